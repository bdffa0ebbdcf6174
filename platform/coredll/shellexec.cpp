// The device's ShellExecuteEx: shortcuts followed, folders shown in File Explorer, programs
// started by device path and documents opened through the device's HKEY_CLASSES_ROOT, none of
// which Wine's own shell knows.
#include <ceservices.h>

#include <optional>
#include <string>

#include "platform/coredll/devicelog_internal.h"
#include "platform/coredll/profile.h"
#include "platform/coredll/shortcut.h"
#include "win32/handle.h"
#include "win32/messagebox.h"

namespace quintar::coredll {

namespace {

constexpr wchar_t kWindowsFolder[] = L"\\Windows\\";
constexpr wchar_t kExplorer[] = L"\\Windows\\fexplore.exe";
// A shortcut may name another one; a loop of them ends here.
constexpr int kMaxShortcutHops = 8;

class ExecuteError {
 public:
  explicit ExecuteError(DWORD code) : code_(code) {}
  DWORD code() const { return code_; }

 private:
  DWORD code_;
};

struct Launch {
  std::wstring program;  // device path
  std::wstring arguments;
};

std::wstring Lower(std::wstring text) {
  if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

std::wstring Leaf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

// The extension of the path's leaf with its dot, in lower case; empty when it has none.
std::wstring Extension(const std::wstring& path) {
  const std::wstring leaf = Leaf(path);
  size_t dot = leaf.find_last_of(L'.');
  return dot == std::wstring::npos || dot == 0 ? std::wstring() : Lower(leaf.substr(dot));
}

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// A device path, or a bare program name looked up in \Windows as the device does.
std::wstring Locate(const std::wstring& file) {
  if (DWORD error = CheckDevicePath(file); error != ERROR_SUCCESS) throw ExecuteError(error);
  if (file.find(L'\\') != std::wstring::npos) return file;
  std::wstring inWindows = kWindowsFolder + file;
  if (Extension(file).empty() && Attributes(inWindows) == INVALID_FILE_ATTRIBUTES) inWindows += L".exe";
  return inWindows;
}

std::optional<std::wstring> ClassesValue(const std::wstring& key) {
  wchar_t value[1024];
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS ||
      value[0] == L'\0') {
    return std::nullopt;
  }
  return std::wstring(value);
}

// The association's command with the file and the parameters put in.
std::wstring FillCommand(const std::wstring& command, const std::wstring& file, const std::wstring& parameters) {
  std::wstring out;
  bool hadFile = false;
  for (size_t i = 0; i < command.size(); ++i) {
    wchar_t next = i + 1 < command.size() ? command[i + 1] : L'\0';
    if (command[i] != L'%' || next == L'\0') {
      out += command[i];
      continue;
    }
    ++i;
    if (next == L'1' || next == L'l' || next == L'L') {
      out += file;
      hadFile = true;
    } else if (next == L'*') {
      out += parameters;
    } else if (next == L'%') {
      out += L'%';
    }  // other placeholders stand for nothing on the device
  }
  if (!hadFile) out += L" " + Quoted(file);
  return out;
}

Launch Associated(const std::wstring& file, const std::wstring& verb, const std::wstring& parameters) {
  const std::wstring extension = Extension(file);
  std::optional<std::wstring> fileClass = extension.empty() ? std::nullopt : ClassesValue(extension);
  std::optional<std::wstring> command;
  if (fileClass) command = ClassesValue(*fileClass + L"\\shell\\" + verb + L"\\command");
  if (!command) throw ExecuteError(ERROR_NO_ASSOCIATION);
  const CommandLine line = SplitCommandLine(FillCommand(*command, file, parameters));
  return {Locate(line.path), line.parameters};
}

Launch Resolve(const std::wstring& file, const std::wstring& parameters, const std::wstring& verb, int hops) {
  const std::wstring path = Locate(file);
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    throw ExecuteError(error == ERROR_PATH_NOT_FOUND ? error : ERROR_FILE_NOT_FOUND);
  }
  const bool open = lstrcmpiW(verb.c_str(), L"open") == 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    if (!open && lstrcmpiW(verb.c_str(), L"explore") != 0) throw ExecuteError(ERROR_NO_ASSOCIATION);
    return {kExplorer, Quoted(path)};
  }
  const std::wstring extension = Extension(path);
  if (extension == L".lnk" && open) {
    if (hops >= kMaxShortcutHops) throw ExecuteError(ERROR_CANT_RESOLVE_FILENAME);
    std::optional<std::wstring> target = ReadShortcut(path);
    if (!target) throw ExecuteError(GetLastError());
    CommandLine line = SplitCommandLine(*target);
    if (!parameters.empty()) line.parameters += (line.parameters.empty() ? L"" : L" ") + parameters;
    return Resolve(line.path, line.parameters, verb, hops + 1);
  }
  if (extension == L".exe" && open) return {path, parameters};
  return Associated(path, verb, parameters);
}

bool InWindowsFolder(const std::wstring& program) {
  const size_t prefix = wcslen(kWindowsFolder);
  return program.size() > prefix &&
         CompareStringOrdinal(program.c_str(), static_cast<int>(prefix), kWindowsFolder, static_cast<int>(prefix),
                              TRUE) == CSTR_EQUAL &&
         program.find(L'\\', prefix) == std::wstring::npos;
}

std::wstring CurrentFolder(const SHELLEXECUTEINFOW& info) {
  std::wstring folder = info.lpDirectory && info.lpDirectory[0] ? info.lpDirectory : L"\\";
  if (DWORD error = CheckDevicePath(folder); error != ERROR_SUCCESS) throw ExecuteError(error);
  // The full path names the device's drive, which the started program keeps as its current one.
  wchar_t full[MAX_PATH];
  DWORD length = GetFullPathNameW(folder.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) throw ExecuteError(ERROR_BAD_PATHNAME);
  return full;
}

HANDLE Start(const Launch& launch, const SHELLEXECUTEINFOW& info) {
  const DWORD attributes = Attributes(launch.program);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    throw ExecuteError(ERROR_FILE_NOT_FOUND);
  std::wstring commandLine = Quoted(launch.program);
  if (!launch.arguments.empty()) commandLine += L" " + launch.arguments;
  const std::wstring folder = CurrentFolder(info);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(info.nShow);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(launch.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &process)) {
    throw ExecuteError(GetLastError());
  }
  const win32::KernelHandle thread(process.hThread);
  if (!InWindowsFolder(launch.program))
    AppendLogLine(L"LaunchLog", Lower(Leaf(launch.program)) + L"|" + launch.arguments);
  return process.hProcess;
}

INT_PTR ShellErrorOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return SE_ERR_FNF;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_PATHNAME:
      return SE_ERR_PNF;
    case ERROR_ACCESS_DENIED:
      return SE_ERR_ACCESSDENIED;
    case ERROR_NOT_ENOUGH_MEMORY:
      return SE_ERR_OOM;
    case ERROR_NO_ASSOCIATION:
      return SE_ERR_NOASSOC;
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_BAD_FORMAT:
      return ERROR_BAD_FORMAT;
  }
  return SE_ERR_FNF;
}

void Report(const SHELLEXECUTEINFOW& info, DWORD error) {
  if (info.fMask & SEE_MASK_FLAG_NO_UI) return;
  const std::wstring name = Leaf(std::wstring(info.lpFile, wcsnlen(info.lpFile, MAX_PATH)));
  std::wstring text;
  if (error == ERROR_NO_ASSOCIATION)
    text = L"There is no application associated with '" + name + L"'.";
  else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
    text = L"Cannot find '" + name + L"' (or one of its components).";
  else
    text = L"Cannot open '" + name + L"'.";
  win32::ScreenMessageBox(info.hwnd, text.c_str(), name.c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace

}  // namespace quintar::coredll

extern "C" BOOL WINAPI CeShellExecuteEx(LPSHELLEXECUTEINFOW info) {
  using namespace quintar::coredll;
  if (!info || info->cbSize < sizeof(SHELLEXECUTEINFOW) || !info->lpFile || !info->lpFile[0]) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->hProcess = nullptr;
  DWORD error = ERROR_SUCCESS;
  try {
    const std::wstring verb = info->lpVerb && info->lpVerb[0] ? info->lpVerb : L"open";
    const std::wstring parameters = info->lpParameters ? info->lpParameters : L"";
    const Launch launch = Resolve(std::wstring(info->lpFile, wcsnlen(info->lpFile, MAX_PATH)), parameters, verb, 0);
    quintar::win32::KernelHandle process(Start(launch, *info));
    info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));  // above 32: started
    if (info->fMask & SEE_MASK_NOCLOSEPROCESS) info->hProcess = process.release();
    return TRUE;
  } catch (const ExecuteError& e) {
    error = e.code() ? e.code() : ERROR_FILE_NOT_FOUND;
  } catch (...) {
    error = ERROR_NOT_ENOUGH_MEMORY;
  }
  info->hInstApp = reinterpret_cast<HINSTANCE>(ShellErrorOf(error));
  Report(*info, error);
  SetLastError(error);
  return FALSE;
}
