// Export, Export All and Import through the registry-file I/O, with the platform's file
// dialogs; and the About dialog.
#include <windows.h>

#include <commdlg.h>

#include "dialogbase.h"
#include "regeditor/core/numbers.h"
#include "regfile_io.h"
#include "resource.h"
#include "tamsk.h"

namespace tamsk {

namespace {

namespace qt = quintar::tamsk;

const quintar::dialogs::TemplateSet kAboutTemplates =
    quintar::dialogs::TemplatesById(IDD_ABOUT_SQUARE, IDD_ABOUT_PORTRAIT, IDD_ABOUT_LANDSCAPE);

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

FileChooser g_chooser = PlatformChooser;

class WaitCursor {
 public:
  WaitCursor() : old_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(old_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR old_;
};

// A failed export says why: the file could not be created, or writing it failed part way.
void ReportExportError(const std::wstring& error) {
  Message(nullptr, error.empty() ? std::wstring(qt::kCreateFileError) : error, L"Warning!", MB_OK | MB_ICONEXCLAMATION);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_INITDIALOG) {
    InitTamskDialog(dialog, kAboutTemplates, IDR_ABOUT_BAR, false);
    return TRUE;
  }
  if (msg == WM_COMMAND && ClassifyCommand(wParam) != DialogCommand::None) {
    EndDialog(dialog, IDOK);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

FileChooser SetFileChooser(FileChooser chooser) {
  FileChooser old = g_chooser;
  g_chooser = chooser ? chooser : PlatformChooser;
  return old;
}

void CmdExport(HWND hwnd) {
  App& app = TheApp();
  if (app.current.rootName.empty()) {
    Message(hwnd, L"Please select the registry you want to export!", L"Warning!", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  std::wstring file;
  if (!g_chooser(hwnd, true, file)) return;
  std::wstring error;
  bool written;
  {
    WaitCursor wait;
    written = qt::ExportKey(app.current.root, app.current.rootName, app.current.path, file, true, &error);
  }
  if (!written) {
    ReportExportError(error);
    return;
  }
  Message(hwnd, L"Finished exporting!\nThe exported file path is:\n" + file, L"Zek Registry Editor",
          MB_OK | MB_ICONINFORMATION);
}

void CmdExportAll(HWND hwnd) {
  std::wstring file;
  if (!g_chooser(hwnd, true, file)) return;
  std::wstring error;
  bool written;
  {
    WaitCursor wait;
    written = qt::ExportAll(file, true, &error);
  }
  if (!written) {
    ReportExportError(error);
    return;
  }
  Message(hwnd, L"The registry has been exported successfully!\nThe registry file is in:\n\\My Documents\\",
          L"Zek Registry Editor", MB_OK | MB_ICONINFORMATION);
}

void CmdImport(HWND hwnd) {
  std::wstring file;
  if (!g_chooser(hwnd, false, file)) return;
  qt::ImportStats stats;
  std::wstring error;
  bool read;
  {
    WaitCursor wait;
    read = qt::ImportFile(file, &stats, &error);
  }
  if (!read) {
    // Nothing was read: saying it was imported would be untrue.
    Message(nullptr, error.empty() ? std::wstring(L"The file could not be read.") : error, L"Warning!",
            MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (stats.badNumbers > 0) Message(hwnd, qt::kHexInputMessage, qt::kWarningCaption, MB_OK | MB_ICONEXCLAMATION);
  Message(nullptr, L"The registry has been imported successfully.", L"Information", MB_OK | MB_ICONINFORMATION);
  RebuildTree();
}

void CmdAbout(HWND) { RunDialog(kAboutTemplates, AboutProc, 0); }

}  // namespace tamsk
