// The "Encrypt File..." and "Decrypt File..." dialogs. Both work on the shell's thread inside the
// modal dialog, with the wait cursor as the only feedback.
#include "shellext/crypt_dialogs.h"

#include <aygshell.h>

#include <string>

#include "dialogs/dialogs.h"
#include "enfcrypt/enfcrypt.h"
#include "enfcrypt/enfile.h"
#include "shellext/menu_plan.h"
#include "shellext/module.h"
#include "shellext/resource.h"

namespace quintar::menuvex {
namespace {

using enfcrypt::FileResult;

constexpr wchar_t kEncryptError[] = L"Error Encrypting File";
constexpr wchar_t kDecryptError[] = L"Error Decrypting File";
constexpr int kEntryChars = 160;  // what is read of a password box, terminator included

const dialogs::TemplateSet& EncryptTemplates() {
  static const dialogs::TemplateSet set =
      dialogs::TemplatesById(IDD_ENCRYPT_SQUARE, IDD_ENCRYPT_PORTRAIT, IDD_ENCRYPT_LANDSCAPE);
  return set;
}
const dialogs::TemplateSet& DecryptTemplates() {
  static const dialogs::TemplateSet set =
      dialogs::TemplatesById(IDD_DECRYPT_SQUARE, IDD_DECRYPT_PORTRAIT, IDD_DECRYPT_LANDSCAPE);
  return set;
}

// A password box's text, wiped from memory when it goes.
class Secret {
 public:
  Secret(HWND dialog, int id) noexcept { GetDlgItemTextW(dialog, id, text_, kEntryChars); }
  Secret(const Secret&) = delete;
  Secret& operator=(const Secret&) = delete;
  ~Secret() { SecureZeroMemory(text_, sizeof text_); }
  std::u16string_view View() const noexcept {
    return {reinterpret_cast<const char16_t*>(text_), static_cast<std::size_t>(lstrlenW(text_))};
  }

 private:
  wchar_t text_[kEntryChars] = {};
};

class WaitCursor {
 public:
  WaitCursor() noexcept : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
  ~WaitCursor() { SetCursor(previous_); }

 private:
  HCURSOR previous_;
};

void Fail(HWND owner, const wchar_t* text, const wchar_t* caption) {
  MessageBoxW(owner, text, caption, MB_OK | MB_ICONHAND);
}

// What differs between the two dialogs; the rest is CryptProc's.
struct CryptForm {
  const dialogs::TemplateSet& (*templates)();
  void (*init)(HWND dialog);  // after the re-layout is attached
  int focusId;
  int runId;
  void (*run)(HWND dialog);
  int cancelId;
  bool doneCloses;  // the title bar's Done button (IDOK) closes it too
};

struct CryptRequest {
  const CryptForm& form;
  const std::wstring& path;
};

const std::wstring& PathOf(HWND dialog) {
  return reinterpret_cast<const CryptRequest*>(GetWindowLongPtrW(dialog, DWLP_USER))->path;
}

void PaintSeparator(HWND dialog) {
  PAINTSTRUCT ps;
  if (HDC dc = BeginPaint(dialog, &ps)) {
    dialogs::PaintTitleSeparator(dc);
    EndPaint(dialog, &ps);
  }
}

void OnEncrypt(HWND dialog) {
  std::string password;
  {
    const Secret typed(dialog, IDC_PASSWORD), confirmation(dialog, IDC_CONFIRM);
    switch (CheckEncryptionEntry(typed.View(), confirmation.View())) {
      case EntryCheck::Empty:
        Fail(dialog, L"The password cannot be empty.", kEncryptError);
        return;
      case EntryCheck::Mismatch:
        Fail(dialog, L"Password and confirmation do not match.", kEncryptError);
        return;
      case EntryCheck::TooLong:
        Fail(dialog, L"The password cannot be longer than 32 characters.", kEncryptError);
        return;
      case EntryCheck::Ok:
        break;
    }
    password = enfcrypt::PasswordBytes(typed.View());
  }
  const std::wstring& source = PathOf(dialog);
  FileResult result;
  {
    WaitCursor wait;
    result = enfcrypt::EncryptFile(source, password);
  }
  SecureZeroMemory(password.data(), password.size());
  if (result == FileResult::Ok) {
    // The original goes only once its encrypted copy is complete.
    if (IsDlgButtonChecked(dialog, IDC_DELETE_ORIGINAL) == BST_CHECKED) DeleteFileW(source.c_str());
  } else {
    Fail(dialog, enfcrypt::FileResultText(result), kEncryptError);
  }
  EndDialog(dialog, IDOK);
}

void OnDecrypt(HWND dialog) {
  std::string password;
  {
    const Secret typed(dialog, IDC_DECRYPT_PASSWORD);
    password = enfcrypt::PasswordBytes(typed.View());
  }
  const std::wstring& encrypted = PathOf(dialog);
  FileResult result;
  {
    WaitCursor wait;
    result = enfcrypt::DecryptFile(encrypted, password);
  }
  SecureZeroMemory(password.data(), password.size());
  switch (result) {
    case FileResult::Ok:
      if (IsDlgButtonChecked(dialog, IDC_DELETE_ENCRYPTED) == BST_CHECKED) DeleteFileW(encrypted.c_str());
      break;
    case FileResult::WrongPassword:
    case FileResult::PasswordTooLong:  // longer than any stored password: not the one
      Fail(nullptr, L"The password is not valid.", kDecryptError);
      break;
    default:
      Fail(dialog, enfcrypt::FileResultText(result), kDecryptError);
      break;
  }
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK CryptProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    const auto* request =
        reinterpret_cast<const CryptRequest*>(msg == WM_INITDIALOG ? lp : GetWindowLongPtrW(dialog, DWLP_USER));
    if (!request) return FALSE;
    const CryptForm& form = request->form;
    switch (msg) {
      case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lp);
        dialogs::AttachRelayout(dialog, Module().instance, form.templates());
        form.init(dialog);
        SetFocus(GetDlgItem(dialog, form.focusId));
        dialogs::AttachSipSwitch(dialog);
        return FALSE;  // focus is set
      case WM_PAINT:
        PaintSeparator(dialog);
        return TRUE;
      case WM_COMMAND: {
        const int id = LOWORD(wp);
        if (id == form.runId) {
          form.run(dialog);
          return TRUE;
        }
        if (id == form.cancelId || id == IDCANCEL || (id == IDOK && form.doneCloses)) {
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        }
        break;
      }
      default:
        break;
    }
  } catch (...) {
    EndDialog(dialog, IDABORT);
    return TRUE;
  }
  return FALSE;
}

void InitEncrypt(HWND dialog) {
  SHINITDLGINFO init = {SHIDIM_FLAGS, dialog, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
  SHInitDialog(&init);
  dialogs::RelayoutForCurrentShape(dialog, Module().instance, EncryptTemplates());
}

void InitDecrypt(HWND dialog) {
  SetWindowTextW(dialog, L"Decrypt File");
  SetDlgItemTextW(dialog, IDC_DECRYPT_PATH, PathOf(dialog).c_str());
}

constexpr CryptForm kEncryptForm{EncryptTemplates, InitEncrypt,        IDC_PASSWORD, IDC_ENCRYPT,
                                 OnEncrypt,        IDC_ENCRYPT_CANCEL, true};
constexpr CryptForm kDecryptForm{DecryptTemplates,   InitDecrypt, IDC_DECRYPT_PASSWORD, IDC_DECRYPT, OnDecrypt,
                                 IDC_DECRYPT_CANCEL, false};

HRESULT Run(const CryptForm& form, HWND owner, const std::wstring& path) {
  const CryptRequest request{form, path};
  const INT_PTR result = dialogs::DialogBoxForShape(Module().instance, form.templates(), owner, CryptProc,
                                                    reinterpret_cast<LPARAM>(&request));
  if (result == -1) return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_DATA);
  return S_OK;
}

}  // namespace

HRESULT RunEncryptDialog(HWND owner, const std::wstring& sourcePath) noexcept {
  return Run(kEncryptForm, owner, sourcePath);
}

HRESULT RunDecryptDialog(HWND owner, const std::wstring& encryptedPath) noexcept {
  return Run(kDecryptForm, owner, encryptedPath);
}

}  // namespace quintar::menuvex
