// decryptor: decrypts the encrypted file named by the whole command line, after asking for its
// password in one dialog. It always ends with exit code 0.
#include <windows.h>

#include <string>
#include <vector>

#include "decryptor/resource.h"
#include "dialogs/dialogs.h"
#include "enfcrypt/enfcrypt.h"
#include "enfcrypt/enfile.h"

namespace {

constexpr wchar_t kTitle[] = L"Decryption File";
constexpr wchar_t kErrorCaption[] = L"Error Decryption File";
constexpr wchar_t kWrongPassword[] = L"Sorry Your Decryption Password Is Wrong !!!";

struct State {
  std::wstring path;  // the command line exactly as received
};

std::wstring ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1);
  GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
  return text.data();
}

// True when the file was decrypted; every failure has been told to the user.
bool Decrypt(HWND dialog, const State& state) {
  const std::wstring typed = ControlText(dialog, IDC_PASSWORD);
  const std::string password = quintar::enfcrypt::PasswordBytes(
      std::u16string_view(reinterpret_cast<const char16_t*>(typed.data()), typed.size()));
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  const auto result = quintar::enfcrypt::DecryptFile(state.path, password);
  SetCursor(previous);
  using quintar::enfcrypt::FileResult;
  if (result == FileResult::Ok) return true;
  // The wrong password has the program's own text; the other failures, which would otherwise
  // pass in silence, get a sentence that says what happened.
  const wchar_t* text =
      result == FileResult::WrongPassword ? kWrongPassword : quintar::enfcrypt::FileResultText(result);
  MessageBoxW(nullptr, text, kErrorCaption, MB_OK | MB_ICONHAND);
  return false;
}

void Finish(HWND dialog, INT_PTR result) {
  quintar::dialogs::ShowSip(false);
  EndDialog(dialog, result);
}

INT_PTR OnCommand(HWND dialog, int id) {
  auto* state = reinterpret_cast<const State*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (id) {
    case IDC_DECRYPT: {
      const bool decrypted = state && Decrypt(dialog, *state);
      if (decrypted && IsDlgButtonChecked(dialog, IDC_DELETE) == BST_CHECKED)
        DeleteFileW(state->path.c_str());
      Finish(dialog, IDC_DECRYPT);
      return TRUE;
    }
    case IDC_CANCEL:
      Finish(dialog, IDC_CANCEL);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    switch (message) {
      case WM_INITDIALOG: {
        const auto* state = reinterpret_cast<const State*>(lparam);
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        SetWindowTextW(dialog, kTitle);
        SetDlgItemTextW(dialog, IDC_PATH, state->path.c_str());
        SetFocus(GetDlgItem(dialog, IDC_PASSWORD));
        quintar::dialogs::ShowSip(true);
        return TRUE;
      }
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(dialog, &ps);
        // A fixed line under the title area; it does not scale with the screen.
        const POINT line[2] = {{0, 23}, {240, 23}};
        Polyline(dc, line, 2);
        EndPaint(dialog, &ps);
        return TRUE;
      }
      case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wparam));
    }
  } catch (...) {
    // Nothing may cross the dialog procedure; the dialog stays as it was.
  }
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
  try {
    // The whole line, quotes and all, is the path. It is kept whole rather than cut to a fixed
    // buffer, so an overlong line cannot turn into the name of some other file.
    State state{commandLine ? commandLine : L""};
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_DECRYPT), nullptr, DialogProc,
                    reinterpret_cast<LPARAM>(&state));
  } catch (...) {
  }
  return 0;
}
