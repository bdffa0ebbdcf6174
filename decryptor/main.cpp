// decryptor: decrypts the encrypted file named by the whole command line, after asking for its
// password in one dialog. It always ends with exit code 0.
#include <windows.h>

#include <span>
#include <string>

#include "decryptor/resource.h"
#include "dialogs/dialogs.h"
#include "enfcrypt/enfcrypt.h"
#include "enfcrypt/enfile.h"
#include "win32/handle.h"
#include "win32/scope.h"
#include "win32/shell.h"
#include "win32/text.h"
#include "win32/window.h"

namespace quintar::decryptor {
namespace {

constexpr wchar_t kTitle[] = L"Decryption File";
constexpr wchar_t kErrorCaption[] = L"Error Decryption File";
constexpr wchar_t kWrongPassword[] = L"Sorry Your Decryption Password Is Wrong !!!";

class DecryptDialog : public win32::Dialog<DecryptDialog> {
 public:
  // `path` is the command line exactly as received.
  explicit DecryptDialog(std::wstring path) : path_(std::move(path)) {}

 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<DecryptDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<DecryptDialog> kMessages[] = {
        win32::On<&DecryptDialog::OnInit>(WM_INITDIALOG), win32::On<&DecryptDialog::OnPaint>(WM_PAINT)};
    return kMessages;
  }
  static std::span<const win32::CommandEntry<DecryptDialog>> Commands() {
    static constexpr win32::CommandEntry<DecryptDialog> kCommands[] = {
        win32::Command<&DecryptDialog::DecryptAndClose>(IDC_DECRYPT),
        win32::Command<&DecryptDialog::Cancel>(IDC_CANCEL),
        // Enter and Esc (IDOK, IDCANCEL) are none of the dialog's buttons: they neither decrypt
        // nor end the dialog, so a stray key never loses what was typed or half does the work.
        win32::Command<&DecryptDialog::Ignore>(IDOK), win32::Command<&DecryptDialog::Ignore>(IDCANCEL)};
    return kCommands;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    SetWindowTextW(hwnd(), kTitle);
    SetDlgItemTextW(hwnd(), IDC_PATH, path_.c_str());
    SetFocus(GetDlgItem(hwnd(), IDC_PASSWORD));
    dialogs::ShowSip(true);
    return TRUE;
  }
  INT_PTR OnPaint(WPARAM, LPARAM) {
    win32::PaintDc paint(hwnd());
    // A fixed line under the title area; it does not scale with the screen.
    const POINT line[2] = {{0, 23}, {240, 23}};
    Polyline(paint.get(), line, 2);
    return TRUE;
  }

  void DecryptAndClose() {
    if (Decrypt() && IsDlgButtonChecked(hwnd(), IDC_DELETE) == BST_CHECKED) DeleteFileW(path_.c_str());
    Finish(IDC_DECRYPT);
  }
  void Cancel() { Finish(IDC_CANCEL); }
  void Ignore() {}
  void Finish(INT_PTR result) {
    dialogs::ShowSip(false);
    EndDialog(hwnd(), result);
  }

  // True when the file was decrypted; every failure has been told to the user.
  bool Decrypt() {
    const std::wstring typed = win32::ControlText(hwnd(), IDC_PASSWORD);
    const std::string password = enfcrypt::PasswordBytes(win32::U16View(typed));
    enfcrypt::FileResult result;
    {
      win32::WaitCursor wait;
      result = enfcrypt::DecryptFile(path_, password);
    }
    if (result == enfcrypt::FileResult::Ok) return true;
    // The wrong password has the program's own text; the other failures, which would otherwise
    // pass in silence, get a sentence that says what happened.
    const wchar_t* text =
        result == enfcrypt::FileResult::WrongPassword ? kWrongPassword : enfcrypt::FileResultText(result);
    win32::ShowMessage(nullptr, text, kErrorCaption, MB_OK | MB_ICONHAND);
    return false;
  }

  const std::wstring path_;
};

}  // namespace
}  // namespace quintar::decryptor

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
  try {
    // The whole line, quotes and all, is the path. It is kept whole rather than cut to a fixed
    // buffer, so an overlong line cannot turn into the name of some other file.
    quintar::decryptor::DecryptDialog dialog(commandLine ? commandLine : L"");
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_DECRYPT), nullptr, &quintar::decryptor::DecryptDialog::Proc,
                    dialog.Param());
  } catch (...) {
  }
  return 0;
}
