// The commands that hand a file or the device to other programs of the platform: infrared,
// e-mail, the desktop connection, synchronisation and network shares.
#include <windows.h>

#include <winnetwk.h>

#include <ceservices.h>

#include <string>

#include "filemanager/core/dragdrop.h"
#include "filemanager/core/paths.h"
#include "filemanager/mainframe.h"
#include "filemanager/winutil.h"
#include "win32/shell.h"

namespace quintar::folderon {

namespace qf = core;

namespace {

constexpr wchar_t kRedirKey[] = L"Comm\\Redir";
constexpr wchar_t kRegisterFsRoot[] = L"RegisterFSRoot";
constexpr wchar_t kNetworkCaption[] = L"Network Folder";
constexpr wchar_t kMailProgram[] = L"\\windows\\tmail.exe";
// What the network dialogs answer when the user cancels.
constexpr DWORD kDialogCancelled = 0xFFFFFFFF;

struct CloseRequest {
  DWORD processId;
};

BOOL CALLBACK AskToClose(HWND window, LPARAM param) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == reinterpret_cast<const CloseRequest*>(param)->processId && IsWindowVisible(window))
    PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

}  // namespace

void MainFrame::StartDeviceProgram(const wchar_t* file, const std::wstring& parameters) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = hwnd();
  info.lpVerb = L"open";
  info.lpFile = file;
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.lpDirectory = special_.windows.c_str();
  info.nShow = SW_SHOWNORMAL;
  // A failure is reported by the device's shell itself.
  CeShellExecuteEx(&info);
}

const wchar_t* MainFrame::InfraredProgram() const {
  const DWORD attributes = DeviceAttributes(L"\\Windows\\beam.exe");
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? L"beam.exe"
                                                                                           : L"irsquirt.exe";
}

void MainFrame::SendViaInfrared() {
  const qf::FileEntry* file = FocusedFile();
  if (!file) return;
  auto path = qf::JoinPath(file->folder, file->name);
  if (!path) return;
  StartDeviceProgram(InfraredProgram(), Wide(*path));
}

void MainFrame::ReceiveInfrared() { StartDeviceProgram(InfraredProgram(), {}); }
void MainFrame::StartPcLink() { StartDeviceProgram(L"repllog.exe", {}); }
void MainFrame::StartActiveSync() { StartDeviceProgram(L"async.asy", {}); }

void MainFrame::MailFile() {
  const qf::FileEntry* file = FocusedFile();
  if (!file) return;
  // A path cut short would attach another file, or none.
  auto arguments = qf::MailArguments(file->folder, file->name);
  if (!arguments) {
    MessageBeep(MB_ICONERROR);
    return;
  }
  if (composer_) {
    // The composer may hold an unsent message: it is asked to close, not ended.
    if (WaitForSingleObject(composer_.get(), 0) == WAIT_TIMEOUT) {
      CloseRequest request{GetProcessId(composer_.get())};
      EnumWindows(&AskToClose, reinterpret_cast<LPARAM>(&request));
    }
    composer_.reset();
  }
  std::wstring line = L"\"" + std::wstring(kMailProgram) + L"\" " + Wide(*arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(kMailProgram, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return;
  CloseHandle(process.hThread);
  composer_.reset(process.hProcess);
}

bool MainFrame::NetworkFolderReady() {
  DWORD enabled = 0;
  DWORD size = sizeof enabled;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kRedirKey, kRegisterFsRoot, RRF_RT_REG_DWORD, nullptr, &enabled, &size) ==
          ERROR_SUCCESS &&
      enabled != 0) {
    return true;
  }
  if (win32::ShowMessage(hwnd(), L"The 'Network' folder is not enabled :\ndo you want to enable it?", kNetworkCaption,
                         MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return false;
  }
  win32::RegKey key;
  const DWORD one = 1;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRedirKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
          ERROR_SUCCESS ||
      RegSetValueExW(key.get(), kRegisterFsRoot, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one) !=
          ERROR_SUCCESS) {
    win32::ShowMessage(hwnd(), L"The 'Network' folder could not be enabled.", kNetworkCaption, MB_ICONERROR);
    return false;
  }
  win32::ShowMessage(hwnd(), L"Soft-reset your device to activate the changes.\nAfter reset, run this command again.",
                     kNetworkCaption, MB_ICONEXCLAMATION);
  return false;
}

void MainFrame::NetworkConnect() {
  if (!NetworkFolderReady()) return;
  NETRESOURCEW resource{};
  resource.dwType = RESOURCETYPE_DISK;
  CONNECTDLGSTRUCTW dialog{};
  dialog.cbStructure = sizeof dialog;
  dialog.hwndOwner = hwnd();
  dialog.lpConnRes = &resource;
  const DWORD result = WNetConnectionDialog1W(&dialog);
  if (result == kDialogCancelled) return;
  if (result != NO_ERROR) {
    win32::ShowMessage(hwnd(), L"Network Connection failed.", {}, MB_ICONERROR);
    return;
  }
  Refresh();
}

void MainFrame::NetworkDisconnect() {
  const DWORD result = WNetDisconnectDialog(hwnd(), RESOURCETYPE_ANY);
  if (result == kDialogCancelled) return;
  if (result != NO_ERROR) {
    win32::ShowMessage(hwnd(), L"Network Disconnection failed.", {}, MB_ICONERROR);
    return;
  }
  // The shown folder may have been on the share that went away.
  std::wstring path = list_.Path();
  if (!qf::IsSearchPath(U16(path))) {
    path = Wide(qf::NearestExisting(U16(path), [](std::u16string_view p) { return IsExistingFolder(Wide(p)); }));
  }
  tree_.RebuildRoots();
  list_.GoTo(path, hwnd());
  RebuildOpenWithMenu();
  RebuildFavoritesMenu();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

}  // namespace quintar::folderon
