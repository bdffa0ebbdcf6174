// The archive commands: Compress of the selection, Extract To of the selected archives, Extract
// Here of the focused one, and archives opened with "Open archives with Folderon". The device's
// archiver does the work (fileops/archiver); this unit picks the rows, the folders and what the
// panes show afterwards.
#include <windows.h>

#include "filemanager/core/paths.h"
#include "filemanager/mainframe.h"
#include "filemanager/winutil.h"

namespace quintar::folderon {

namespace qf = core;
namespace qo = fileops::core;

namespace {

std::wstring ParentOf(const std::wstring& path) {
  const size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool Exists(const fileops::FileItem& item) {
  std::wstring path(FieldText(item.folder));
  path.push_back(L'\\');
  path.append(FieldText(item.name));
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int MainFrame::ArchiveKindFor(const std::wstring& name) const {
  const int kind = qo::ArchiveKindOf(U16(name));
  if (kind == qo::kArchiveLzh && archiver_.lzh) return kind;
  if (kind == qo::kArchiveZip && archiver_.zip) return kind;
  return 0;
}

bool MainFrame::CanCompress() const {
  if (qf::IsSearchPath(U16(list_.Path())) && !TreeFocused()) return false;
  const bool lzh = list_.Settings().archiveKind == static_cast<std::uint32_t>(qo::kArchiveLzh);
  return (lzh ? archiver_.lzh : archiver_.zip) && CanUseSelection();
}

void MainFrame::Compress() {
  std::vector<fileops::FileItem> items = TakeSelection();
  bool any = false;
  for (const fileops::FileItem& item : items) any = any || Exists(item);
  if (!any) return;
  // The rows' own folder: paths in the archive start below it.
  const std::wstring base(FieldText(items.front().folder));
  const int kind =
      list_.Settings().archiveKind == static_cast<std::uint32_t>(qo::kArchiveLzh) ? qo::kArchiveLzh : qo::kArchiveZip;
  std::wstring archive;
  if (!fileops::AskArchiveName(hwnd(), kind, base, archive)) return;
  if (!fileops::CompressItems(hwnd(), base, items, kind, archive)) return;
  const std::wstring folder = ParentOf(archive);
  tree_.SelectPath(folder, true, false);
  list_.Navigate(list_.Settings().openExtractFolder ? folder : list_.Path());
  UpdateCommandStates();
}

bool MainFrame::CanExtract() const { return (archiver_.zip || archiver_.lzh) && CanUseSelection(); }

void MainFrame::ExtractSelected() {
  std::vector<std::pair<std::wstring, std::wstring>> files;
  for (const fileops::FileItem& item : TakeSelection())
    if (item.kind == fileops::kKindFile) files.emplace_back(FieldText(item.folder), FieldText(item.name));
  ExtractFiles(files);
}

bool MainFrame::ExtractFiles(const std::vector<std::pair<std::wstring, std::wstring>>& files) {
  const qf::ListViewSettings& settings = list_.Settings();
  std::wstring show = list_.Path();
  if (!settings.extractInPlace) {
    std::wstring start = list_.Path();
    if (qf::IsSearchPath(U16(start)) || !IsExistingFolder(start)) start.clear();
    bool changed = false;
    const int chosen = fileops::ChooseFolder(hwnd(), L"Extract To", start, &changed);
    if (chosen != 1) {
      if (changed) list_.Navigate(list_.Path());
      return false;
    }
    chosenFolder_ = start;
    list_.SetCompressFolder(start);
    show = start;
  }
  bool any = false;
  for (const auto& [folder, name] : files) {
    const int kind = ArchiveKindFor(name);
    if (!kind) continue;
    const std::wstring destination = settings.extractInPlace ? folder : list_.CompressFolder();
    std::wstring target;
    // A failing archive stops only itself.
    if (!fileops::ExtractArchive(hwnd(), folder, name, destination, kind, settings.autoCreateFolder != 0, target))
      continue;
    any = true;
    if (settings.openExtractFolder)
      show = target;
    else
      tree_.SelectPath(ParentOf(target), true, false);
  }
  list_.Navigate(show);
  UpdateCommandStates();
  return any;
}

bool MainFrame::CanExtractHere() const { return archiver_.zip && HasFocusedFile(); }

void MainFrame::ExtractHere() {
  const qf::FileEntry* entry = FocusedFile();
  if (!entry) return;
  const std::wstring folder = Wide(entry->folder), name = Wide(entry->name);
  std::wstring target;
  if (!fileops::ExtractArchive(hwnd(), folder, name, folder, qo::kArchiveZip, false, target)) return;
  tree_.SelectPath(folder, true, false);
  list_.Navigate(list_.Path());
  UpdateCommandStates();
}

}  // namespace quintar::folderon
