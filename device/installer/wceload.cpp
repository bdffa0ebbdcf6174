// The device's package installer. Every start is recorded in the launch log, as the device's
// other programs record theirs. A package (a folder holding "package.txt", or a ZIP of one) is
// installed for real: its setup DLL is loaded and asked first, the files, registry values and
// shortcuts are put in place, then the DLL is told the installation ended. "/remove NAME"
// takes an installed package away again around the DLL's two removal hooks. Anything else (a
// theme, a cabinet) is only recorded.
//
// Exit codes: 0 done (or recorded), 1 cancelled by the setup DLL, 2 the launch log could not be
// written (for a start that is only recorded), 3 the package could not be read or is not
// installed, 4 installed or removed with failures.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "device/installer/package.h"
#include "device/shell/devicelog_dyn.h"
#include "win32/handle.h"
#include "win32/messagebox.h"
#include "zip/zipfiles.h"

namespace {

namespace pkg = quintar::device::installer;
namespace device = quintar::device;
using quintar::win32::Module;
using quintar::win32::RegKey;

constexpr wchar_t kAppMgr[] = L"\\Windows\\AppMgr";
constexpr wchar_t kApps[] = L"SOFTWARE\\Apps";
constexpr DWORD kDone = 0, kCancelled = 1, kUnreadable = 3, kFailures = 4;

using InstallInitFn = DWORD(WINAPI*)(HWND, BOOL, BOOL, LPCWSTR);
using InstallExitFn = DWORD(WINAPI*)(HWND, LPCWSTR, WORD, WORD, WORD, WORD, WORD);
using UninstallInitFn = DWORD(WINAPI*)(HWND, LPCWSTR);
using UninstallExitFn = DWORD(WINAPI*)(HWND);

std::wstring W(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }
std::u16string U(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

template <class Fn>
Fn Export(HMODULE dll, const char* name) {
  return dll ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name))) : nullptr;
}

struct Options {
  bool noUi = false;
  std::wstring destination;  // /dest FOLDER
  std::wstring remove;       // /remove NAME
  std::wstring package;      // the last plain argument
};

std::vector<std::wstring> Tokens(const std::wstring& line) {
  std::vector<std::wstring> tokens;
  std::wstring current;
  bool quoted = false, any = false;
  for (wchar_t c : line) {
    if (c == L'"') {
      quoted = !quoted, any = true;
    } else if (!quoted && (c == L' ' || c == L'\t')) {
      if (any) tokens.push_back(current);
      current.clear(), any = false;
    } else {
      current += c, any = true;
    }
  }
  if (any) tokens.push_back(current);
  return tokens;
}

Options ParseOptions(const std::wstring& line) {
  Options o;
  auto tokens = Tokens(line);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const std::wstring& t = tokens[i];
    bool last = i + 1 == tokens.size();
    if (_wcsicmp(t.c_str(), L"/noui") == 0 || _wcsicmp(t.c_str(), L"/silent") == 0) {
      o.noUi = true;
    } else if (_wcsicmp(t.c_str(), L"/dest") == 0 && !last) {
      o.destination = tokens[++i];
    } else if (_wcsicmp(t.c_str(), L"/remove") == 0 && !last) {
      o.remove = tokens[++i];
    } else if (_wcsicmp(t.c_str(), L"/delete") == 0 && !last) {
      ++i;
    } else if (!t.empty() && t[0] != L'/') {
      o.package = t;
    }
  }
  return o;
}

bool IsFolder(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool EndsWithZip(const std::wstring& path) {
  return path.size() > 4 && _wcsicmp(path.c_str() + path.size() - 4, L".zip") == 0;
}

// Every folder of a device path, from the root down.
bool MakeFolders(const std::wstring& folder) {
  for (std::size_t at = 1; at != std::wstring::npos;) {
    at = folder.find(L'\\', at + 1);
    std::wstring part = folder.substr(0, at);
    if (!CreateDirectoryW(part.c_str(), nullptr) && !IsFolder(part)) return false;
  }
  return true;
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  quintar::win32::FindHandle find(FindFirstFileW((folder + L"\\*.*").c_str(), &data));
  if (find) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find.get(), &data));
  }
  find.reset();
  RemoveDirectoryW(folder.c_str());
}

// A program or library of the package may still be let go of (the Today screen unloads its
// items after the message that asks it to): a file in use is tried again for a while.
bool DeleteInUse(const std::wstring& path) {
  for (int tries = 0;; ++tries) {
    if (DeleteFileW(path.c_str())) return true;
    DWORD error = GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || tries == 50) return false;
    Sleep(100);
  }
}

class Quiet final : public quintar::zip::Progress {
 public:
  void Entry(std::wstring_view, unsigned) override {}
};

// The installer's own window: the owner of the setup DLL's boxes.
class Installer {
 public:
  Installer(const Options& options, const wchar_t* title) : options_(options) {
    window_ = CreateWindowExW(0, L"STATIC", title, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  }
  ~Installer() {
    if (window_) DestroyWindow(window_);
    if (!staging_.empty()) RemoveTree(staging_);
  }
  Installer(const Installer&) = delete;
  Installer& operator=(const Installer&) = delete;

  DWORD Install();
  DWORD Remove();

 private:
  DWORD Fail(const std::wstring& why) {
    device::LogEvent((L"wceload failed: " + why).c_str());
    if (!options_.noUi) quintar::win32::ScreenMessageBox(window_, why.c_str(), L"Installation", MB_OK | MB_ICONERROR);
    return kUnreadable;
  }
  bool ReadManifest(const std::wstring& path, pkg::Manifest& manifest, std::wstring& why);
  bool SetValue(const pkg::Value& v, const std::wstring& folder);
  // Removes the installed package `name`, as its record describes it.
  DWORD Uninstall(const std::wstring& name);
  static HKEY RootOf(pkg::Root root) {
    switch (root) {
      case pkg::Root::CurrentUser:
        return HKEY_CURRENT_USER;
      case pkg::Root::ClassesRoot:
        return HKEY_CLASSES_ROOT;
      default:
        return HKEY_LOCAL_MACHINE;
    }
  }

  const Options& options_;
  HWND window_ = nullptr;
  std::wstring staging_;
};

bool Installer::ReadManifest(const std::wstring& path, pkg::Manifest& manifest, std::wstring& why) {
  quintar::win32::FileHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size = {};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > (1 << 20)) {
    why = L"The package has no readable " + W(pkg::kManifestName) + L".";
    return false;
  }
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())) {
    why = L"The package's manifest could not be read.";
    return false;
  }
  pkg::ParseResult parsed = pkg::ParseManifest(bytes, manifest);
  if (!parsed.ok) {
    why = L"The package's manifest is damaged (line " + std::to_wstring(parsed.line) + L": " +
          std::wstring(parsed.error.begin(), parsed.error.end()) + L").";
    return false;
  }
  return true;
}

bool Installer::SetValue(const pkg::Value& v, const std::wstring& folder) {
  RegKey key;
  if (RegCreateKeyExW(RootOf(v.root), W(v.key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
      ERROR_SUCCESS)
    return false;
  if (v.type == pkg::ValueType::Dword) {
    DWORD number = static_cast<DWORD>(v.number);
    return RegSetValueExW(key.get(), W(v.name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                          sizeof number) == ERROR_SUCCESS;
  }
  std::wstring text = W(pkg::Expand(v.text, U(folder)));
  return RegSetValueExW(key.get(), W(v.name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

DWORD Installer::Install() {
  std::wstring source = options_.package;
  if (EndsWithZip(source) && !IsFolder(source)) {
    staging_ = L"\\Temp\\wceload." + std::to_wstring(GetCurrentProcessId());
    RemoveTree(staging_);
    if (!MakeFolders(staging_)) return Fail(L"The package could not be unpacked into \\Temp.");
    Quiet progress;
    std::atomic<bool> stop{false};
    auto result = quintar::zip::Extract(source, staging_, progress, stop);
    if (result.result != quintar::zip::Result::Done || result.skipped)
      return Fail(L"The package " + source + L" could not be unpacked.");
    source = staging_;
  }
  pkg::Manifest manifest;
  std::wstring why;
  if (!ReadManifest(source + L"\\" + W(pkg::kManifestName), manifest, why)) return Fail(why);
  const std::wstring folder = options_.destination.empty() ? W(manifest.folder) : options_.destination;
  if (!pkg::IsDevicePath(U(folder))) return Fail(L"The install folder " + folder + L" is not a device folder.");
  const std::wstring name = W(manifest.name);
  const std::wstring record = std::wstring(kApps) + L"\\" + name;
  RegKey previous;
  const BOOL installed =
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, record.c_str(), 0, KEY_READ, previous.put()) == ERROR_SUCCESS;
  previous.reset();
  wchar_t previousFolder[MAX_PATH] = L"";
  DWORD previousSize = sizeof previousFolder;
  if (installed && RegGetValueW(HKEY_LOCAL_MACHINE, record.c_str(), L"InstallDir", RRF_RT_REG_SZ, nullptr,
                                previousFolder, &previousSize) != ERROR_SUCCESS)
    previousFolder[0] = L'\0';

  Module setup;
  if (!manifest.setup.empty()) {
    std::wstring dll = source + L"\\" + W(manifest.setup);
    setup.reset(LoadLibraryW(dll.c_str()));
    if (!setup) return Fail(L"The setup DLL " + dll + L" could not be loaded.");
  }
  if (auto init = Export<InstallInitFn>(setup.get(), "Install_Init"))
    if (init(window_, TRUE, installed, folder.c_str()) != 0) return kCancelled;
  // Installed elsewhere before: that copy goes first, so that one copy is left, not two with
  // their shortcuts and values pointing at the new one.
  if (previousFolder[0] && CompareStringOrdinal(previousFolder, -1, folder.c_str(), -1, TRUE) != CSTR_EQUAL &&
      Uninstall(name) != kDone)
    device::LogEvent((L"wceload could not wholly remove " + name + L" from " + previousFolder).c_str());

  WORD failedFolders = 0, failedFiles = 0, failedValues = 0, failedShortcuts = 0;
  if (!MakeFolders(folder)) ++failedFolders;
  for (const auto& file : manifest.files) {
    std::wstring target = folder + L"\\" + W(file);
    std::size_t cut = target.find_last_of(L'\\');
    if (cut > folder.size() && !MakeFolders(target.substr(0, cut))) ++failedFolders;
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!CopyFileW((source + L"\\" + W(file)).c_str(), target.c_str(), FALSE)) ++failedFiles;
  }
  for (const auto& value : manifest.values)
    if (!SetValue(value, folder)) ++failedValues;
  using ShortcutFn = BOOL(WINAPI*)(LPWSTR, LPWSTR);
  auto makeShortcut =
      reinterpret_cast<ShortcutFn>(reinterpret_cast<void (*)()>(device::CoreDllExport("SHCreateShortcut")));
  for (const auto& s : manifest.shortcuts) {
    std::wstring link = W(s.link), target = W(pkg::Expand(s.target, U(folder)));
    std::size_t cut = link.find_last_of(L'\\');
    if (cut > 0) MakeFolders(link.substr(0, cut));
    DeleteFileW(link.c_str());
    if (!makeShortcut || !makeShortcut(link.data(), target.data())) ++failedShortcuts;
  }
  // What removal needs: the manifest, the setup DLL and where the package went.
  bool recorded =
      MakeFolders(kAppMgr) &&
      CopyFileW((source + L"\\" + W(pkg::kManifestName)).c_str(),
                (std::wstring(kAppMgr) + L"\\" + name + L".txt").c_str(), FALSE) &&
      (manifest.setup.empty() || CopyFileW((source + L"\\" + W(manifest.setup)).c_str(),
                                           (std::wstring(kAppMgr) + L"\\" + name + L".dll").c_str(), FALSE));
  RegKey entry;
  recorded = recorded && RegCreateKeyExW(HKEY_LOCAL_MACHINE, record.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                         entry.put(), nullptr) == ERROR_SUCCESS;
  if (recorded) {
    RegSetValueExW(entry.get(), L"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    const DWORD one = 1;
    RegSetValueExW(entry.get(), L"Instl", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  }
  if (auto exit = Export<InstallExitFn>(setup.get(), "Install_Exit"))
    exit(window_, folder.c_str(), failedFolders, failedFiles, 0, failedValues, failedShortcuts);
  bool failed = failedFolders || failedFiles || failedValues || failedShortcuts || !recorded;
  if (failed) device::LogEvent((L"wceload installed " + name + L" with failures").c_str());
  return failed ? kFailures : kDone;
}

DWORD Installer::Remove() {
  const std::wstring& name = options_.remove;
  if (!pkg::IsSafeRelativePath(U(name)) || name.find(L'\\') != std::wstring::npos)
    return Fail(L"There is no package named " + name + L".");
  return Uninstall(name);
}

DWORD Installer::Uninstall(const std::wstring& name) {
  const std::wstring record = std::wstring(kApps) + L"\\" + name;
  wchar_t folderText[MAX_PATH] = L"";
  DWORD size = sizeof folderText;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, record.c_str(), L"InstallDir", RRF_RT_REG_SZ, nullptr, folderText, &size) !=
      ERROR_SUCCESS)
    return Fail(name + L" is not installed.");
  const std::wstring folder = folderText;
  if (!pkg::IsDevicePath(U(folder))) return Fail(L"The record of " + name + L" names no device folder.");
  const std::wstring base = std::wstring(kAppMgr) + L"\\" + name;
  pkg::Manifest manifest;
  std::wstring why;
  if (!ReadManifest(base + L".txt", manifest, why)) return Fail(why);

  Module setup;
  if (!manifest.setup.empty()) setup.reset(LoadLibraryW((base + L".dll").c_str()));
  if (auto init = Export<UninstallInitFn>(setup.get(), "Uninstall_Init")) init(window_, folder.c_str());

  int failures = 0;
  for (const auto& s : manifest.shortcuts) {
    DWORD a = GetFileAttributesW(W(s.link).c_str());
    if (a != INVALID_FILE_ATTRIBUTES && !DeleteFileW(W(s.link).c_str())) ++failures;
  }
  // Last first: a subkey's values come after its parent's, so the parent is empty by its turn.
  for (auto it = manifest.values.rbegin(); it != manifest.values.rend(); ++it) {
    const pkg::Value& v = *it;
    HKEY root = RootOf(v.root);
    RegDeleteKeyValueW(root, W(v.key).c_str(), W(v.name).c_str());
    RegKey key;
    // The package's key goes when nothing but its own values was in it.
    if (RegOpenKeyExW(root, W(v.key).c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS) {
      DWORD subkeys = 0, values = 0;
      RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr);
      key.reset();
      if (subkeys == 0 && values == 0) RegDeleteKeyW(root, W(v.key).c_str());
    }
  }
  for (auto it = manifest.files.rbegin(); it != manifest.files.rend(); ++it) {
    std::wstring path = folder + L"\\" + W(*it);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteInUse(path)) ++failures;
  }
  // Folders the package made, deepest first; a folder that keeps other files stays.
  for (auto it = manifest.files.rbegin(); it != manifest.files.rend(); ++it) {
    std::wstring path = folder + L"\\" + W(*it);
    for (std::size_t cut = path.find_last_of(L'\\'); cut > folder.size(); cut = path.find_last_of(L'\\')) {
      path.resize(cut);
      RemoveDirectoryW(path.c_str());
    }
  }
  RemoveDirectoryW(folder.c_str());
  if (auto exit = Export<UninstallExitFn>(setup.get(), "Uninstall_Exit")) exit(window_);
  setup.reset();
  DeleteFileW((base + L".dll").c_str());
  DeleteFileW((base + L".txt").c_str());
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, record.c_str());
  if (failures) device::LogEvent((L"wceload removed " + name + L" with failures").c_str());
  return failures ? kFailures : kDone;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  const bool logged = device::LogOwnStart();
  const Options options = ParseOptions(device::OwnArguments());
  if (!options.remove.empty()) {
    Installer installer(options, (L"Removing " + options.remove).c_str());
    return static_cast<int>(installer.Remove());
  }
  const std::wstring& p = options.package;
  const bool package =
      !p.empty() &&
      ((IsFolder(p) && GetFileAttributesW((p + L"\\" + W(pkg::kManifestName)).c_str()) != INVALID_FILE_ATTRIBUTES) ||
       EndsWithZip(p));
  if (!package) return logged ? 0 : 2;
  Installer installer(options, L"Installing");
  return static_cast<int>(installer.Install());
}
