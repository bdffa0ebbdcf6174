#include "fileops/textdialog.h"

#include <aygshell.h>

#include <span>
#include <string>

#include "fileops/winutil.h"
#include "win32/shell.h"
#include "win32/window.h"

namespace quintar::fileops {
namespace {

class TextDialog : public win32::Dialog<TextDialog> {
 public:
  explicit TextDialog(const TextRequest& request) : request_(request) {}

  INT_PTR Run(HWND owner) {
    return dialogs::DialogBoxForShape(ResourceModule(), request_.templates, owner, Proc, Param());
  }
  const std::wstring& Text() const noexcept { return text_; }

 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<TextDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<TextDialog> kTable[] = {
        win32::On<&TextDialog::OnInit>(WM_INITDIALOG),
        win32::On<&TextDialog::OnSize>(WM_SIZE),
        win32::On<&TextDialog::OnClose>(WM_CLOSE),
    };
    return kTable;
  }
  static std::span<const win32::CommandEntry<TextDialog>> Commands() {
    static constexpr win32::CommandEntry<TextDialog> kTable[] = {
        win32::Command<&TextDialog::Done>(IDOK),
        win32::Command<&TextDialog::Cancel>(IDCANCEL),
    };
    return kTable;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    HWND dlg = hwnd();
    // Full screen with Done, the input panel up for typing: no SIPDOWN here.
    win32::InitFullScreenDialog(dlg, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN);
    dialogs::AttachRelayout(dlg, ResourceModule(), request_.templates);
    dialogs::AttachSipSwitch(dlg, dialogs::SipOnClose::Restore);
    Fit();
    SetDlgItemTextW(dlg, request_.shownId, request_.shown.c_str());
    HWND edit = GetDlgItem(dlg, request_.editId);
    SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(request_.maxLength), 0);
    SetWindowTextW(edit, request_.initial.c_str());
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
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
    Stretch(hwnd(), request_.shownId, 4, false);
    Stretch(hwnd(), request_.editId, 4, false);
  }

  void Done() {
    try {
      std::wstring text(static_cast<size_t>(request_.maxLength) + 1, L'\0');
      int length = GetDlgItemTextW(hwnd(), request_.editId, text.data(), request_.maxLength + 1);
      text.resize(static_cast<size_t>(length < 0 ? 0 : length));
      text_ = std::move(text);
    } catch (...) {
      Cancel();
      return;
    }
    EndDialog(hwnd(), IDOK);
  }

  void Cancel() { EndDialog(hwnd(), IDCANCEL); }

  const TextRequest& request_;
  std::wstring text_;
};

}  // namespace

INT_PTR AskText(HWND owner, const TextRequest& request, std::wstring& text) {
  if (TextDialog::IsOpen()) return IDCANCEL;
  TextDialog dialog(request);
  INT_PTR result = dialog.Run(owner);
  if (result == IDOK) text = dialog.Text();
  return result == IDOK || result == -1 ? result : IDCANCEL;
}

}  // namespace quintar::fileops
