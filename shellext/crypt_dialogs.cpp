// The "Encrypt File..." and "Decrypt File..." dialogs. Both work on the shell's thread inside the
// modal dialog, with the wait cursor as the only feedback.
#include "shellext/crypt_dialogs.h"

#include <span>
#include <string>

#include "dialogs/dialogs.h"
#include "enfcrypt/enfcrypt.h"
#include "enfcrypt/enfile.h"
#include "shellext/menu_plan.h"
#include "shellext/module.h"
#include "shellext/resource.h"
#include "win32/handle.h"
#include "win32/scope.h"
#include "win32/shell.h"
#include "win32/text.h"
#include "win32/window.h"

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
    return win32::U16View({text_, static_cast<std::size_t>(lstrlenW(text_))});
  }

 private:
  wchar_t text_[kEntryChars] = {};
};

void Fail(HWND owner, const wchar_t* text, const wchar_t* caption) {
  win32::ShowMessage(owner, text, caption, MB_OK | MB_ICONHAND);
}

// What the two dialogs share: the path they work on, the layout of the screen's shape, the
// title's separator and closing. Derived names its templates, its first focus and its commands.
template <class Derived>
class CryptDialog : public win32::Dialog<Derived> {
 public:
  // S_OK once the dialog has closed; the last error when it could not be opened.
  HRESULT Run(HWND owner) noexcept {
    const INT_PTR result = dialogs::DialogBoxForShape(Module().instance, Derived::Templates(), owner,
                                                      &win32::Dialog<Derived>::Proc, this->Param());
    if (result == -1) return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_DATA);
    return S_OK;
  }

 protected:
  explicit CryptDialog(const std::wstring& path) noexcept : path_(path) {}

  static std::span<const win32::DialogMessageEntry<Derived>> Messages() {
    static constexpr win32::DialogMessageEntry<Derived> kMessages[] = {
        {WM_INITDIALOG, [](Derived& self, WPARAM, LPARAM) -> INT_PTR { return self.OnInit(); }},
        {WM_PAINT, [](Derived& self, WPARAM, LPARAM) -> INT_PTR { return self.OnPaint(); }},
    };
    return kMessages;
  }
  static constexpr win32::CommandEntry<Derived> CloseOn(int id) noexcept {
    return {id, id, [](Derived& self, int, int) { EndDialog(self.hwnd(), IDCANCEL); }, nullptr};
  }

  INT_PTR OnInit() {
    const HWND dialog = this->hwnd();
    dialogs::AttachRelayout(dialog, Module().instance, Derived::Templates());
    static_cast<Derived&>(*this).Init();
    SetFocus(GetDlgItem(dialog, Derived::kFocusId));
    dialogs::AttachSipSwitch(dialog);
    return FALSE;  // focus is set
  }
  INT_PTR OnPaint() {
    win32::PaintDc paint(this->hwnd());
    dialogs::PaintTitleSeparator(paint.get());
    return TRUE;
  }
  // A failure on the way ends the dialog rather than leaving it half done.
  template <class Work>
  void Guarded(Work work) noexcept {
    try {
      work();
    } catch (...) {
      EndDialog(this->hwnd(), IDABORT);
    }
  }

  const std::wstring& path_;
};

class EncryptDialog final : public CryptDialog<EncryptDialog> {
 public:
  explicit EncryptDialog(const std::wstring& sourcePath) noexcept : CryptDialog(sourcePath) {}

 private:
  friend Dialog;
  friend CryptDialog;
  static constexpr int kFocusId = IDC_PASSWORD;

  static const dialogs::TemplateSet& Templates() { return EncryptTemplates(); }
  static std::span<const win32::CommandEntry<EncryptDialog>> Commands() {
    static constexpr win32::CommandEntry<EncryptDialog> kCommands[] = {
        win32::Command<&EncryptDialog::Encrypt>(IDC_ENCRYPT), CloseOn(IDC_ENCRYPT_CANCEL), CloseOn(IDCANCEL),
        CloseOn(IDOK)};  // the title bar's Done button
    return kCommands;
  }

  void Init() {
    win32::InitFullScreenDialog(hwnd());
    dialogs::RelayoutForCurrentShape(hwnd(), Module().instance, EncryptTemplates());
  }
  void Encrypt() {
    Guarded([this] { EncryptAndClose(); });
  }
  void EncryptAndClose();
};

void EncryptDialog::EncryptAndClose() {
  const HWND dialog = hwnd();
  std::string password;
  {
    const Secret typed(dialog, IDC_PASSWORD), confirmation(dialog, IDC_CONFIRM);
    switch (core::CheckEncryptionEntry(typed.View(), confirmation.View())) {
      case core::EntryCheck::Empty:
        Fail(dialog, L"The password cannot be empty.", kEncryptError);
        return;
      case core::EntryCheck::Mismatch:
        Fail(dialog, L"Password and confirmation do not match.", kEncryptError);
        return;
      case core::EntryCheck::TooLong:
        Fail(dialog, L"The password cannot be longer than 32 characters.", kEncryptError);
        return;
      case core::EntryCheck::Ok:
        break;
    }
    password = enfcrypt::PasswordBytes(typed.View());
  }
  FileResult result;
  {
    win32::WaitCursor wait;
    result = enfcrypt::EncryptFile(path_, password);
  }
  SecureZeroMemory(password.data(), password.size());
  if (result == FileResult::Ok) {
    // The original goes only once its encrypted copy is complete.
    if (IsDlgButtonChecked(dialog, IDC_DELETE_ORIGINAL) == BST_CHECKED) DeleteFileW(path_.c_str());
  } else {
    Fail(dialog, enfcrypt::FileResultText(result), kEncryptError);
  }
  EndDialog(dialog, IDOK);
}

class DecryptDialog final : public CryptDialog<DecryptDialog> {
 public:
  explicit DecryptDialog(const std::wstring& encryptedPath) noexcept : CryptDialog(encryptedPath) {}

 private:
  friend Dialog;
  friend CryptDialog;
  static constexpr int kFocusId = IDC_DECRYPT_PASSWORD;

  static const dialogs::TemplateSet& Templates() { return DecryptTemplates(); }
  static std::span<const win32::CommandEntry<DecryptDialog>> Commands() {
    static constexpr win32::CommandEntry<DecryptDialog> kCommands[] = {
        win32::Command<&DecryptDialog::Decrypt>(IDC_DECRYPT), CloseOn(IDC_DECRYPT_CANCEL), CloseOn(IDCANCEL)};
    return kCommands;
  }

  void Init() {
    SetWindowTextW(hwnd(), L"Decrypt File");
    SetDlgItemTextW(hwnd(), IDC_DECRYPT_PATH, path_.c_str());
  }
  void Decrypt() {
    Guarded([this] { DecryptAndClose(); });
  }
  void DecryptAndClose();
};

void DecryptDialog::DecryptAndClose() {
  const HWND dialog = hwnd();
  std::string password;
  {
    const Secret typed(dialog, IDC_DECRYPT_PASSWORD);
    password = enfcrypt::PasswordBytes(typed.View());
  }
  FileResult result;
  {
    win32::WaitCursor wait;
    result = enfcrypt::DecryptFile(path_, password);
  }
  SecureZeroMemory(password.data(), password.size());
  switch (result) {
    case FileResult::Ok:
      if (IsDlgButtonChecked(dialog, IDC_DELETE_ENCRYPTED) == BST_CHECKED) DeleteFileW(path_.c_str());
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

}  // namespace

HRESULT RunEncryptDialog(HWND owner, const std::wstring& sourcePath) noexcept {
  return EncryptDialog(sourcePath).Run(owner);
}

HRESULT RunDecryptDialog(HWND owner, const std::wstring& encryptedPath) noexcept {
  return DecryptDialog(encryptedPath).Run(owner);
}

}  // namespace quintar::menuvex
