#include "fileops/archiver.h"

#include <vector>

#include "fileops/winutil.h"
#include "win32/handle.h"
#include "win32/messagebox.h"
#include "win32/scope.h"
#include "win32/text.h"

namespace quintar::fileops {

namespace {

using win32::U16View;
using win32::WideView;

constexpr wchar_t kLibrary[] = L"\\Windows\\UNZip.dll";
constexpr wchar_t kDialogLibrary[] = L"\\Windows\\getFiles.dll";
// The library's answer: wide characters, zeroed and ended whatever it writes.
constexpr DWORD kOutputChars = 2048;

using ArchiverEntry = int(WINAPI*)(HWND, const wchar_t*, wchar_t*, DWORD);
using FileDialogEntry = BOOL(WINAPI*)(OPENFILENAMEW*);

template <class Fn>
Fn Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const char* EntryName(int kind) { return kind == core::kArchiveLzh ? "Unlha" : "UnZip"; }

void Stop(HWND owner, std::wstring_view text) {
  win32::ScreenMessageBox(owner, std::wstring(text).c_str(), nullptr, MB_OK | MB_ICONSTOP);
}

void StopMissing(HWND owner, int kind) {
  Stop(owner, WideView(kind == core::kArchiveLzh ? core::kLzhMissing : core::kZipMissing));
}

std::wstring PathOf(const FileItem& item) {
  return std::wstring(WideView(core::JoinPath(U16View(item.folder), U16View(item.name))));
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Each missing folder of `target` ("\a\b\", its trailing backslash ignored), from the left.
bool MakeFolders(const std::wstring& target) {
  for (size_t at = target.find(L'\\', 1); at != std::wstring::npos; at = target.find(L'\\', at + 1)) {
    const std::wstring folder = target.substr(0, at);
    if (!IsFolder(folder) && !CreateDirectoryW(folder.c_str(), nullptr)) return false;
  }
  return true;
}

// A free name beside `archive` for keeping the old one while the new one is written.
std::wstring AsideName(const std::wstring& archive) {
  for (int n = 0; n < 1000; ++n) {
    std::wstring candidate = archive + L"." + std::to_wstring(n) + L".old";
    if (candidate.size() > core::kMaxPath) return {};
    if (!Exists(candidate)) return candidate;
  }
  return {};
}

}  // namespace

ArchiverKinds ProbeArchiver() {
  ArchiverKinds kinds;
  win32::Module library(LoadLibraryW(kLibrary));
  if (!library) return kinds;
  kinds.zip = GetProcAddress(library.get(), "UnZip") != nullptr;
  kinds.lzh = GetProcAddress(library.get(), "Unlha") != nullptr;
  return kinds;
}

bool RunArchiver(HWND owner, int kind, const std::wstring& command) {
  win32::Module library(LoadLibraryW(kLibrary));
  auto entry = library ? Entry<ArchiverEntry>(library.get(), EntryName(kind)) : nullptr;
  if (!entry) {
    StopMissing(owner, kind);
    return false;
  }
  std::vector<wchar_t> output(kOutputChars, L'\0');
  int result = 0;
  {
    win32::WaitCursor wait;
    result = entry(nullptr, command.c_str(), output.data(), kOutputChars);
  }
  output.back() = L'\0';
  if (result == 0) return true;
  Stop(owner, output.data());
  return false;
}

bool AskFileName(OPENFILENAMEW& ofn, bool save, const wchar_t* deviceStartFolder) {
  win32::Module library(LoadLibraryW(kDialogLibrary));
  if (auto entry =
          library ? Entry<FileDialogEntry>(library.get(), save ? "gsGetSaveFileName" : "gsGetOpenFileName") : nullptr) {
    OPENFILENAMEW device = ofn;
    if (deviceStartFolder) device.lpstrInitialDir = deviceStartFolder;
    const bool chosen = entry(&device) != FALSE;
    device.lpstrInitialDir = ofn.lpstrInitialDir;
    ofn = device;
    return chosen;
  }
  return (save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)) != FALSE;
}

bool AskArchiveName(HWND owner, int kind, const std::wstring& folder, std::wstring& archive) {
  const bool lzh = kind == core::kArchiveLzh;
  const wchar_t* filter = lzh ? L"LHA Files(*.lzh)\0*.lzh\0" : L"ZIP Files(*.zip)\0*.zip\0";
  wchar_t name[260] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name;
  ofn.nMaxFile = 260;
  ofn.lpstrTitle = L"Compress Filename";
  ofn.lpstrDefExt = lzh ? L"lzh" : L"zip";
  ofn.Flags = OFN_OVERWRITEPROMPT;
  const std::wstring start = folder.empty() ? L"\\" : folder;
  const bool chosen = AskFileName(ofn, true, start.c_str());
  name[259] = L'\0';
  if (!chosen || !name[0]) return false;
  archive = name;
  return true;
}

bool CompressItems(HWND owner, const std::wstring& base, std::span<const FileItem> items, int kind,
                   const std::wstring& archive) {
  std::vector<core::ArchiveSource> sources, folded;
  std::vector<std::wstring> foldedTexts;
  for (const FileItem& item : items) {
    if ((item.kind != kKindFile && item.kind != kKindFolder) || !Exists(PathOf(item))) continue;
    sources.push_back({U16View(item.folder), U16View(item.name), item.kind == kKindFolder});
  }
  if (sources.empty()) return false;
  foldedTexts.reserve(2 * sources.size() + 1);
  for (const core::ArchiveSource& source : sources) {
    foldedTexts.push_back(FoldCase(WideView(source.folder)));
    foldedTexts.push_back(FoldCase(WideView(source.name)));
  }
  for (size_t i = 0; i < sources.size(); ++i)
    folded.push_back({U16View(foldedTexts[2 * i]), U16View(foldedTexts[2 * i + 1]), sources[i].isFolder});
  if (core::ArchiveAmongSources(U16View(FoldCase(archive)), folded)) {
    Stop(owner, WideView(core::kArchiveInSources));
    return false;
  }
  const std::wstring command(WideView(core::CompressCommand(U16View(archive), U16View(base), sources)));
  // The library adds to an archive that exists; a replaced one must not be merged into the new.
  std::wstring aside;
  if (Exists(archive)) {
    aside = AsideName(archive);
    if (aside.empty() || !MoveFileW(archive.c_str(), aside.c_str())) {
      Stop(owner, L"'" + archive + L"' cannot be replaced.");
      return false;
    }
  }
  const bool done = RunArchiver(owner, kind, command);
  if (!aside.empty()) {
    if (done) {
      DeleteFileW(aside.c_str());
    } else {
      DeleteFileW(archive.c_str());
      MoveFileW(aside.c_str(), archive.c_str());
    }
  }
  return done;
}

bool ExtractArchive(HWND owner, const std::wstring& folder, const std::wstring& name, const std::wstring& destination,
                    int kind, bool createFolder, std::wstring& target) {
  auto place = core::ExtractTarget(U16View(destination), U16View(name), createFolder);
  const std::wstring archive(WideView(core::JoinPath(U16View(folder), U16View(name))));
  if (!place || !MakeFolders(std::wstring(WideView(*place)))) {
    Stop(owner, WideView(core::kNoTargetFolder));
    return false;
  }
  const std::wstring into(WideView(*place));
  if (!RunArchiver(owner, kind, std::wstring(WideView(core::ExtractCommand(U16View(archive), U16View(into))))))
    return false;
  target = into.substr(0, into.size() - 1);
  return true;
}

}  // namespace quintar::fileops
