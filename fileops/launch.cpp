// Starting programs and documents through the device's shell, and the "Specify parameter" dialog
// that asks what to start a file with.
#include <windows.h>
// (these need windows.h first)
#include <shellapi.h>

#include <aygshell.h>
#include <ceservices.h>

#include <span>
#include <string>

#include "dialogs/dialogs.h"
#include "fileops/fileops.h"
#include "fileops/winutil.h"
#include "win32/shell.h"
#include "win32/window.h"

namespace quintar::fileops {
namespace {

constexpr int kMaxParameters = 512;

dialogs::TemplateSet ParameterTemplates() {
  return dialogs::TemplatesById(ids::kParametersSquare, ids::kParametersPortrait, ids::kParametersLandscape);
}

class ParameterDialog : public win32::Dialog<ParameterDialog> {
 public:
  explicit ParameterDialog(std::wstring_view name) : name_(name) {}

  INT_PTR Run(HWND owner) {
    return dialogs::DialogBoxForShape(ResourceModule(), ParameterTemplates(), owner, Proc, Param());
  }
  const std::wstring& Parameters() const noexcept { return parameters_; }

 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<ParameterDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<ParameterDialog> kTable[] = {
        win32::On<&ParameterDialog::OnInit>(WM_INITDIALOG),
        win32::On<&ParameterDialog::OnSize>(WM_SIZE),
        win32::On<&ParameterDialog::OnClose>(WM_CLOSE),
    };
    return kTable;
  }
  static std::span<const win32::CommandEntry<ParameterDialog>> Commands() {
    static constexpr win32::CommandEntry<ParameterDialog> kTable[] = {
        win32::Command<&ParameterDialog::Done>(IDOK),
        win32::Command<&ParameterDialog::Cancel>(IDCANCEL),
    };
    return kTable;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    HWND dlg = hwnd();
    // Full screen with Done, the input panel up for typing: no SIPDOWN here.
    win32::InitFullScreenDialog(dlg, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN);
    dialogs::AttachRelayout(dlg, ResourceModule(), ParameterTemplates());
    dialogs::AttachSipSwitch(dlg, dialogs::SipOnClose::Restore);
    const std::wstring text = L"Input parameter to open file '" + name_ + L"'.";
    SetDlgItemTextW(dlg, ids::kParameterText, text.c_str());
    HWND edit = GetDlgItem(dlg, ids::kParameterEdit);
    SendMessageW(edit, EM_LIMITTEXT, kMaxParameters, 0);
    Fit();
    SetFocus(edit);
    return FALSE;
  }

  INT_PTR OnSize(WPARAM, LPARAM) {  // after the re-layout from the shape's template
    Fit();
    return FALSE;
  }

  INT_PTR OnClose(WPARAM, LPARAM) {
    Cancel();
    return TRUE;
  }

  void Fit() {
    KeepTopRight(hwnd(), IDCANCEL, 4);
    Stretch(hwnd(), ids::kParameterText, 4, false);
    Stretch(hwnd(), ids::kParameterEdit, 4, false);
  }

  void Done() {
    wchar_t text[kMaxParameters + 1] = L"";
    GetDlgItemTextW(hwnd(), ids::kParameterEdit, text, kMaxParameters + 1);
    try {
      parameters_ = text;
    } catch (...) {
      Cancel();
      return;
    }
    EndDialog(hwnd(), IDOK);
  }

  void Cancel() { EndDialog(hwnd(), IDCANCEL); }

  std::wstring name_;
  std::wstring parameters_;
};

}  // namespace

int AskParameters(HWND owner, std::wstring_view name, std::wstring& parameters) {
  if (ParameterDialog::IsOpen()) return 2;
  try {
    if (dialogs::FindDialogTemplate(ResourceModule(), ParameterTemplates().For(dialogs::CurrentScreenShape())).empty())
      return 0;
    ParameterDialog dialog(name);
    INT_PTR result = dialog.Run(owner);
    if (result == -1) return 0;
    if (result != IDOK) return 2;
    parameters = dialog.Parameters();
    return 1;
  } catch (...) {
    return 2;
  }
}

bool ShellOpen(HWND owner, std::wstring_view file, std::wstring_view parameters) {
  try {
    const std::wstring path(file);
    const std::wstring arguments(parameters);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    info.lpDirectory = nullptr;
    info.nShow = SW_SHOW;
    // The device's shell tells the user itself when it cannot open the file.
    return CeShellExecuteEx(&info) != FALSE;
  } catch (...) {
    return false;
  }
}

}  // namespace quintar::fileops
