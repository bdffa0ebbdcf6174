// Export, Export All and Import through the registry-file I/O, with the platform's file
// dialogs; and the About dialog.
#include <windows.h>

#include <commdlg.h>

#include <span>

#include "regeditor/commands.h"
#include "regeditor/core/numbers.h"
#include "regeditor/dialogbase.h"
#include "regeditor/regfile_io.h"
#include "regeditor/resource.h"
#include "win32/scope.h"
#include "win32/shell.h"
#include "win32/text.h"

namespace quintar::tamsk {

namespace {

using win32::ShowMessage;

const dialogs::TemplateSet kAboutTemplates =
    dialogs::TemplatesById(IDD_ABOUT_SQUARE, IDD_ABOUT_PORTRAIT, IDD_ABOUT_LANDSCAPE);

bool PlatformChooser(HWND owner, bool save, std::wstring& file) {
  wchar_t name[256] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = L"Registry Files (*.reg)\0*.reg\0";
  ofn.lpstrFile = name;
  ofn.nMaxFile = static_cast<DWORD>(std::size(name));
  ofn.lpstrTitle = L"Export to Registry File";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
  BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!chosen) return false;
  file = name;
  return !file.empty();
}

// A failed export says why: the file could not be created, or writing it failed part way.
void ReportExportError(const std::wstring& error) {
  ShowMessage(nullptr, error.empty() ? std::wstring(kCreateFileError) : error, L"Warning!",
              MB_OK | MB_ICONEXCLAMATION);
}

class AboutDialog : public TamskDialog<AboutDialog> {
 public:
  explicit AboutDialog(Browser& browser) noexcept : TamskDialog(browser) {}

 private:
  friend Dialog;
  static std::span<const win32::DialogMessageEntry<AboutDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<AboutDialog> kMessages[] = {
        win32::On<&AboutDialog::OnInitDialog>(WM_INITDIALOG)};
    return kMessages;
  }
  static std::span<const win32::CommandEntry<AboutDialog>> Commands() {
    static constexpr win32::CommandEntry<AboutDialog> kCommands[] = {
        win32::Command<&AboutDialog::Close>(IDOK), win32::Command<&AboutDialog::Close>(IDM_DONE),
        win32::Command<&AboutDialog::Close>(IDCANCEL), win32::Command<&AboutDialog::Close>(IDM_CANCEL)};
    return kCommands;
  }

  INT_PTR OnInitDialog(WPARAM, LPARAM) {
    Init(kAboutTemplates, IDR_ABOUT_BAR, false);
    return TRUE;
  }
  void Close() { EndDialog(hwnd(), IDOK); }
};

}  // namespace

Files::Files(Browser& browser) noexcept : browser_(browser), chooser_(PlatformChooser) {}

FileChooser Files::SetChooser(FileChooser chooser) noexcept {
  FileChooser old = chooser_;
  chooser_ = chooser ? chooser : PlatformChooser;
  return old;
}

void Files::Export() {
  const CurrentKey& current = browser_.State().current;
  HWND owner = browser_.Main();
  if (current.rootName.empty()) {
    ShowMessage(owner, L"Please select the registry you want to export!", L"Warning!", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  std::wstring file;
  if (!chooser_(owner, true, file)) return;
  std::wstring error;
  bool written;
  {
    win32::WaitCursor wait;
    written = ExportKey(current.root, current.rootName, current.path, file, true, &error);
  }
  if (!written) {
    ReportExportError(error);
    return;
  }
  ShowMessage(owner, L"Finished exporting!\nThe exported file path is:\n" + file, L"Zek Registry Editor",
              MB_OK | MB_ICONINFORMATION);
}

void Files::ExportAll() {
  HWND owner = browser_.Main();
  std::wstring file;
  if (!chooser_(owner, true, file)) return;
  std::wstring error;
  bool written;
  {
    win32::WaitCursor wait;
    written = quintar::tamsk::ExportAll(file, true, &error);
  }
  if (!written) {
    ReportExportError(error);
    return;
  }
  ShowMessage(owner, L"The registry has been exported successfully!\nThe registry file is in:\n\\My Documents\\",
              L"Zek Registry Editor", MB_OK | MB_ICONINFORMATION);
}

void Files::Import() {
  HWND owner = browser_.Main();
  std::wstring file;
  if (!chooser_(owner, false, file)) return;
  ImportStats stats;
  std::wstring error;
  bool read;
  {
    win32::WaitCursor wait;
    read = ImportFile(file, &stats, &error);
  }
  if (!read) {
    // Nothing was read: saying it was imported would be untrue.
    ShowMessage(nullptr, error.empty() ? std::wstring(L"The file could not be read.") : error, L"Warning!",
                MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (stats.badNumbers > 0) {
    ShowMessage(owner, win32::WideView(core::kHexInputMessage), win32::WideView(core::kWarningCaption),
                MB_OK | MB_ICONEXCLAMATION);
  }
  ShowMessage(nullptr, L"The registry has been imported successfully.", L"Information", MB_OK | MB_ICONINFORMATION);
  browser_.Keys().Rebuild();
}

void Files::About() { AboutDialog(browser_).Run(kAboutTemplates); }

}  // namespace quintar::tamsk
