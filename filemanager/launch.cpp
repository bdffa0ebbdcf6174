// Opening files through the device's shell (shortcuts followed), opening with typed parameters
// or with a program of the open-with folder, and making shortcuts: beside the entries, from the
// clipboard, into a chosen folder and into Favorites.
#include <windows.h>

#include <ceservices.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "filemanager/core/paths.h"
#include "filemanager/core/shortcuts.h"
#include "filemanager/core/sorting.h"
#include "filemanager/mainframe.h"
#include "filemanager/winutil.h"
#include "win32/scope.h"

namespace quintar::folderon {

namespace qf = core;

namespace {

bool IsSearch(const std::wstring& path) { return qf::IsSearchPath(U16(path)); }

std::wstring_view FolderOf(const fileops::FileItem& item) { return FieldText(item.folder); }
std::wstring_view NameOf(const fileops::FileItem& item) { return FieldText(item.name); }

// The command line a device shortcut holds; nothing when it cannot be read.
std::optional<std::wstring> ShortcutLine(const std::wstring& shortcut) {
  if (shortcut.size() >= MAX_PATH) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  shortcut.copy(path, shortcut.size());
  wchar_t line[MAX_PATH] = {};
  if (!SHGetShortcutTarget(path, line, MAX_PATH)) return std::nullopt;
  return std::wstring(line);
}

// The folder a shortcut's command line leads to, when it is an existing one on the device.
std::optional<std::wstring> FolderTarget(const std::wstring& line) {
  std::u16string target = qf::SplitShortcutTarget(U16(line)).path;
  if (!qf::IsDevicePath(target)) return std::nullopt;
  auto folder = qf::NormalizeFolder(target);
  if (!folder) return std::nullopt;
  win32::WaitCursor wait;
  std::wstring path = Wide(*folder);
  if (!IsExistingFolder(path)) return std::nullopt;
  return path;
}

}  // namespace

// ---- Opening -------------------------------------------------------------------------------------

void MainFrame::OpenFile(const std::wstring& path) {
  std::wstring file = path;
  std::wstring parameters;
  if (qf::IsShortcutName(U16(path))) {
    if (auto line = ShortcutLine(path)) {
      if (auto folder = FolderTarget(*line)) {
        list_.Navigate(*folder);
        return;
      }
      qf::ShortcutTarget target = qf::SplitShortcutTarget(U16(*line));
      file = Wide(target.path);
      parameters = Wide(target.parameters);
    }
  } else if (list_.Settings().openArchives) {
    // The opened archive alone (never the other selected rows) is extracted when asked for.
    const size_t slash = path.rfind(L'\\');
    if (slash != std::wstring::npos && ArchiveKindFor(path.substr(slash + 1))) {
      ExtractFiles({{path.substr(0, slash), path.substr(slash + 1)}});
      return;
    }
  }
  fileops::ShellOpen(hwnd(), file, parameters);
}

const qf::FileEntry* MainFrame::FocusedFile() const {
  if (TreeFocused() || focusedPane_ != list_.Window()) return nullptr;
  const qf::FileEntry* entry = list_.FirstSelectedEntry();
  return entry && entry->kind == qf::EntryKind::File ? entry : nullptr;
}

void MainFrame::OpenWithParameters() {
  const qf::FileEntry* entry = FocusedFile();
  if (!entry) return;
  // The row's own folder (a search hit's too), taken before the dialog: the list may be re-read
  // while it is open.
  auto path = qf::JoinPath(entry->folder, entry->name);
  if (!path) return;
  const std::wstring file = Wide(*path);
  std::wstring parameters;
  if (fileops::AskParameters(hwnd(), Wide(entry->name), parameters) != 1) return;
  fileops::ShellOpen(hwnd(), file, parameters);
}

bool MainFrame::CanOpenWith(int id) const {
  return static_cast<size_t>(id - IDM_OPENWITH_FIRST) < openWith_.size() && HasFocusedFile();
}

void MainFrame::OpenWithProgram(int id) {
  const qf::FileEntry* entry = FocusedFile();
  const size_t index = static_cast<size_t>(id - IDM_OPENWITH_FIRST);
  if (!entry || index >= openWith_.size()) return;
  const std::wstring program = Wide(openWith_[index].shortcut);
  // An entry that leads to a folder takes shortcuts to the selection instead.
  auto line = ShortcutLine(program);
  if (auto folder = line ? FolderTarget(*line) : std::nullopt) {
    CreateShortcuts(list_.SelectedItems(), *folder);
    return;
  }
  auto argument = qf::OpenWithArgument(entry->folder, entry->name, settings_.checkQAdd != 0);
  if (!argument) return;
  // The device's shell follows the shortcut and puts the file after the shortcut's own parameters.
  fileops::ShellOpen(hwnd(), program, Wide(*argument));
}

// ---- Shortcuts -----------------------------------------------------------------------------------

qf::ShortcutNaming MainFrame::Naming() const {
  qf::ShortcutNaming naming;
  naming.noShortcutMention = list_.Settings().noShortcutMention != 0;
  naming.dropExtension = list_.Settings().hideExtensions != 0 || list_.NoExtShortcut();
  return naming;
}

bool MainFrame::CreateShortcut(const std::wstring& dest, const fileops::FileItem& item) {
  const std::u16string destination = U16(dest);
  if (!qf::IsRoot(destination) && !qf::IsDevicePath(destination)) return false;
  auto line = qf::ShortcutCommandLine(U16(FolderOf(item)), U16(NameOf(item)));
  if (!line) return false;
  std::wstring target = Wide(*line);
  const qf::ShortcutNaming naming = Naming();
  const bool isFile = item.kind == fileops::kKindFile;
  auto resume = win32::Paired([this] { watcher_.Suspend(); }, [this] { watcher_.Resume(); });
  for (int n = 1; n <= qf::kMaxShortcutAttempts; ++n) {
    auto path = qf::ShortcutPath(destination, U16(NameOf(item)), isFile, naming, n);
    if (!path) return false;  // this name and the longer ones after it do not fit
    std::wstring shortcut = Wide(*path);
    if (SHCreateShortcut(shortcut.data(), target.data())) return true;
    // Only a taken name is worth another number; any other failure would repeat.
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

void MainFrame::CreateShortcuts(std::span<const fileops::FileItem> items, const std::wstring& dest) {
  const bool here = qf::EqualsNoCase(U16(dest), U16(list_.Path()));
  {
    win32::WaitCursor wait;
    for (const fileops::FileItem& item : items) CreateShortcut(dest, item);
  }
  if (here) list_.Navigate(list_.Path());
}

bool MainFrame::CanMakeShortcuts() const { return CanUseSelection() && !IsSearch(list_.Path()); }

void MainFrame::MakeShortcuts() {
  std::vector<fileops::FileItem> items = TakeSelection();
  if (items.empty()) return;
  {
    win32::WaitCursor wait;
    for (const fileops::FileItem& item : items) CreateShortcut(std::wstring(FolderOf(item)), item);
  }
  list_.Navigate(list_.Path());
}

void MainFrame::PasteShortcut() {
  // The clipboard stays as it is: the same entries can be pasted again.
  std::vector<fileops::FileItem> items = list_.Clipboard().items;
  if (items.empty()) return;
  CreateShortcuts(items, list_.Path());
}

void MainFrame::SendShortcutTo() {
  // Taken now: a folder made inside the chooser re-reads the list.
  std::vector<fileops::FileItem> items = TakeSelection();
  if (items.empty()) return;
  std::wstring chosen = IsSearch(list_.Path()) ? std::wstring() : list_.Path();
  bool changed = false;
  int answer = fileops::ChooseFolder(hwnd(), L"Create shortcut to", chosen, &changed);
  if (answer == 1) CreateShortcuts(items, chosen);
  if (changed) {
    tree_.SelectPath(chosen, true, false);
    list_.Navigate(list_.Path());
  }
}

bool MainFrame::CanAddFavorites() const {
  if (AddressFocused()) return false;
  return list_.HasSelectedItem() || !TreeFolderItem().empty();
}

void MainFrame::AddFavorites() {
  // The selected rows, else the tree's folder; the program's clipboard is left alone.
  std::vector<fileops::FileItem> items = list_.SelectedItems();
  if (items.empty()) items = TreeFolderItem();
  if (items.empty()) return;
  list_.SelectAll(false);
  CreateShortcuts(items, special_.favorites);
  RebuildFavoritesMenu();
}

}  // namespace quintar::folderon
