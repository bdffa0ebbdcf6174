#include "filemanager/listpane.h"

#include <ceservices.h>
#include <shellapi.h>

#include <algorithm>
#include <array>

#include "dialogs/dialogs.h"
#include "filemanager/core/paths.h"
#include "filemanager/core/sorting.h"
#include "filemanager/core/status.h"
#include "filemanager/core/text_format.h"
#include "filemanager/folderwatcher.h"
#include "filemanager/resource.h"
#include "filemanager/settings.h"
#include "filemanager/winutil.h"
#include "win32/scope.h"
#include "win32/shell.h"

namespace quintar::folderon {

namespace qf = core;

namespace {

// The first eight images of both image lists.
enum FixedImage { kImgFolder, kImgCard, kImgMyDocuments, kImgStartMenu, kImgFile, kImgRom, kImgNetwork, kImgArchive };

constexpr wchar_t kNoExtensionKey[] = L"\\\\";

std::uint64_t Ticks(const FILETIME& ft) {
  return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

qf::CivilTime LocalNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  qf::CivilTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.dayOfWeek = st.wDayOfWeek;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  return t;
}

unsigned long g_shellIconLookups = 0;

win32::Icon ShellIcon(const std::wstring& path, DWORD attributes, bool byAttributesOnly, bool large) {
  ++g_shellIconLookups;
  SHFILEINFOW info{};
  UINT flags = SHGFI_ICON | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON);
  if (byAttributesOnly) flags |= SHGFI_USEFILEATTRIBUTES;
  if (!SHGetFileInfoW(path.c_str(), attributes, &info, sizeof info, flags)) return {};
  return win32::Icon(info.hIcon);
}

win32::Icon StockIcon(int shell32Index, bool large) {
  HICON big = nullptr, little = nullptr;
  if (ExtractIconExW(L"shell32.dll", shell32Index, large ? &big : nullptr, large ? nullptr : &little, 1) == 0) {
    return {};
  }
  return win32::Icon(large ? big : little);
}

// Adds `icon` (or, when there is none, a copy of image `fallback`); returns the index.
int AddIcon(HIMAGELIST list, win32::Icon icon, int fallback) {
  int index = icon ? ImageList_AddIcon(list, icon.get()) : -1;
  if (index < 0 && fallback >= 0 && fallback < ImageList_GetImageCount(list)) {
    win32::Icon copy(ImageList_GetIcon(list, fallback, ILD_NORMAL));
    if (copy) index = ImageList_AddIcon(list, copy.get());
  }
  return index;
}

void CopyText(NMLVDISPINFOW* info, const std::u16string& text) {
  if (!info->item.pszText || info->item.cchTextMax <= 0) return;
  lstrcpynW(info->item.pszText, win32::WidePtr(text.c_str()), info->item.cchTextMax);
}

}  // namespace

unsigned long ShellIconLookups() { return g_shellIconLookups; }

ListPane::~ListPane() { ClearRows(); }

void ListPane::LoadSettings() {
  SettingsKey key(kSettingsKey);
  std::array<std::byte, qf::kListViewSettingsBytes> raw{};
  if (key.ReadExact(L"ListView", raw.data(), static_cast<DWORD>(raw.size()))) {
    settings_ = qf::ParseListViewSettings(raw);
  }
  key.ReadUpTo(L"FileImageList", &imageFlags_, sizeof imageFlags_);
  key.ReadString(L"LastFolder", lastFolder_);
  key.ReadString(L"CompressFolder", compressFolder_);
  key.ReadDword(L"TimeStump", timeStump_);
  key.ReadDword(L"HideFolder", hideFolder_);
  key.ReadDword(L"NoExtShortcut", noExtShortcut_);
}

bool ListPane::Create(HWND parent, HINSTANCE instance, const std::wstring& commandLineFolder) {
  LoadSettings();
  list_ =
      CreateWindowExW(0, WC_LISTVIEWW, L"",
                      WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
                          LVS_EDITLABELS | LVS_OWNERDATA | LVS_ICON,
                      0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LIST)), instance, nullptr);
  if (!list_) return false;
  // An owner-data list keeps only selection and focus; the cut look and the drop target are the
  // pane's, asked for with the texts.
  SendMessageW(list_, LVM_SETCALLBACKMASK, LVIS_CUT | LVIS_DROPHILITED, 0);
  static const wchar_t* const kNames[] = {L"Name", L"Size", L"Type", L"Modified"};
  static const int kFormats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_LEFT, LVCFMT_LEFT};
  for (int i = 0; i < 4; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = kFormats[i];
    column.cx = static_cast<int>(settings_.columnWidth[i]);
    column.pszText = const_cast<wchar_t*>(kNames[i]);
    column.iSubItem = i;
    SendMessageW(list_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  CreateImageLists();

  if (!commandLineFolder.empty() && IsExistingFolder(commandLineFolder)) {
    startFolder_ = commandLineFolder;
  } else if (settings_.rememberLastFolder && IsExistingFolder(lastFolder_)) {
    startFolder_ = lastFolder_;
  } else {
    startFolder_.clear();
  }
  ApplyViewStyle();
  return true;
}

void ListPane::CreateImageLists() {
  largeCache_.clear();
  smallCache_.clear();
  // A high-density screen shows the device's pictures at twice their size, as its system would.
  const int scale = quintar::dialogs::ScreenScale();
  large_.reset(ImageList_Create(32 * scale, 32 * scale, ILC_COLOR32 | ILC_MASK, 3, 3));
  small_.reset(ImageList_Create(16 * scale, 16 * scale, ILC_COLOR32 | ILC_MASK, 3, 3));
  for (int pass = 0; pass < 2; ++pass) {
    bool large = pass == 0;
    HIMAGELIST list = large ? large_.get() : small_.get();
    if (!list) continue;
    AddIcon(list, ShellIcon(L"folder", FILE_ATTRIBUTE_DIRECTORY, true, large), -1);  // folder
    AddIcon(list, StockIcon(7, large), kImgFolder);                                  // storage card (removable drive)
    AddIcon(list, ShellIcon(L"folder", FILE_ATTRIBUTE_DIRECTORY, true, large), kImgFolder);  // My Documents
    AddIcon(list, StockIcon(19, large), kImgFolder);                                         // Start Menu
    AddIcon(list, ShellIcon(L"file", FILE_ATTRIBUTE_NORMAL, true, large), -1);               // generic file
    AddIcon(list, StockIcon(2, large), kImgFile);                                            // ROM file
    AddIcon(list, StockIcon(9, large), kImgFolder);                                          // network folder
    AddIcon(list, ShellIcon(L"a.zip", FILE_ATTRIBUTE_NORMAL, true, large), kImgFile);        // archive
  }
  if (list_) {
    // The list shares the lists (LVS_SHAREIMAGELISTS): the pane keeps them.
    SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large_.get()));
    SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small_.get()));
  }
}

void ListPane::SaveListView() const {
  SettingsKey key(kSettingsKey);
  auto raw = qf::SerializeListViewSettings(settings_);
  key.WriteBinary(L"ListView", raw.data(), static_cast<DWORD>(raw.size()));
}

void ListPane::SetOptions(const ListOptions& options) {
  settings_ = options.settings;
  imageFlags_ = options.images;
  compressFolder_ = options.compressFolder;
  timeStump_ = options.timeStump;
  hideFolder_ = options.hideFolder;
}

void ListPane::RebuildImageLists() {
  CreateImageLists();
  // No row may keep an index into the lists just dropped.
  for (auto& record : records_) record.iconIndex = -1;
  if (list_) InvalidateRect(list_, nullptr, TRUE);
}

void ListPane::SaveSettingsAndDestroy() {
  if (list_ && settings_.Style() == qf::ViewStyle::Details) {
    for (int i = 0; i < 4; ++i) {
      int width = static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, i, 0));
      if (width > 0) settings_.columnWidth[i] = static_cast<std::uint32_t>(width);
    }
  }
  {
    SettingsKey key(kSettingsKey);
    auto raw = qf::SerializeListViewSettings(settings_);
    key.WriteBinary(L"ListView", raw.data(), static_cast<DWORD>(raw.size()));
    key.WriteBinary(L"FileImageList", &imageFlags_, sizeof imageFlags_);
    key.WriteString(L"LastFolder", qf::IsSearchPath(U16(path_)) ? std::wstring() : path_);
    key.WriteString(L"CompressFolder", compressFolder_);
    key.WriteDword(L"TimeStump", timeStump_);
    key.WriteDword(L"HideFolder", hideFolder_);
    key.WriteDword(L"NoExtShortcut", noExtShortcut_);
  }
  ClearRows();
  history_.Clear();
  if (list_) {
    DestroyWindow(list_);
    list_ = nullptr;
  }
}

void ListPane::ClearRows() {
  if (!list_) return;
  // The rows go first, so that no notification sent while they go can reach a freed record.
  SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
  rows_.clear();
  records_.clear();
  dropRow_ = -1;
}

int ListPane::RowCount() const { return list_ ? static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)) : 0; }

qf::FileEntry* ListPane::RowEntry(int row) const {
  return row >= 0 && static_cast<size_t>(row) < rows_.size() ? rows_[row] : nullptr;
}

const qf::FileEntry* ListPane::EntryOf(int row) const { return RowEntry(row); }

int ListPane::SelectedRow() const {
  return list_ ? static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) : -1;
}

void ListPane::ReadRecords(const std::u16string& path16, bool search) {
  records_.reserve(256);
  auto add = [&](std::u16string folder, std::u16string_view name, DWORD attributes, const FILETIME& time,
                 std::uint64_t fileTime, DWORD size) {
    qf::FileEntry* entry = &records_.emplace_back();
    entry->folder = std::move(folder);
    entry->name = name;
    entry->attributes = attributes;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      entry->kind = qf::EntryKind::Folder;
      entry->time = Ticks(time);
    } else {
      entry->kind = qf::EntryKind::File;
      entry->time = fileTime;
      entry->size = size;
      totalBytes_ += size;
    }
  };
  if (search) {
    // Hits whose file went since the search are dropped for good.
    std::erase_if(hits_, [](const SearchResultNode& hit) {
      auto full = qf::JoinPath(U16(hit.folder), U16(hit.name));
      return !full || DeviceAttributes(Wide(*full)) == INVALID_FILE_ATTRIBUTES;
    });
    for (const auto& hit : hits_)
      add(U16(hit.folder), U16(hit.name), hit.attributes, hit.time, Ticks(hit.time), hit.size);
  } else {
    if (!qf::IsRoot(path16) && settings_.showUpLevel) {
      records_.push_back(qf::MakeUpLevelEntry());
    }
    qf::ListingFilter filter;
    filter.hideHidden = settings_.hideHidden != 0;
    filter.hideSystem = settings_.hideSystem != 0;
    filter.hideRom = settings_.hideRom != 0;
    filter.hideFolders = hideFolder_ != 0;
    // Local time with the zone's current bias, as the platform's conversion gives it: taken once
    // for the listing rather than asked for every file.
    std::uint64_t localBias = 0;
    {
      FILETIME utc{0, 0x01000000}, local{};
      if (FileTimeToLocalFileTime(&utc, &local)) localBias = Ticks(local) - Ticks(utc);
    }
    if (auto pattern = qf::FindPattern(path16)) {
      WIN32_FIND_DATAW data{};
      DeviceFind find(CeFindFirstFile(Wide(*pattern).c_str(), &data));
      if (find) {
        do {
          std::u16string_view name(win32::U16Ptr(data.cFileName));
          if (!qf::IsListed(name, data.dwFileAttributes, filter)) continue;
          std::uint64_t local = 0;
          if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) local = Ticks(data.ftLastWriteTime) + localBias;
          add(path16, name, data.dwFileAttributes, data.ftCreationTime, local, data.nFileSizeLow);
        } while (CeFindNextFile(find.get(), &data));
      }
    }
  }
}

void ListPane::InsertRows(const std::optional<std::u16string>& reselect) {
  // The records stay where they are from here on: the rows point at them.
  rows_.reserve(records_.size());
  for (auto& record : records_) {
    rows_.push_back(&record);
    if (record.kind == qf::EntryKind::UpLevel) upLevelShown_ = true;
  }
  const qf::SortKey key = settings_.Key();
  const bool ascending = settings_.ascending != 0;
  std::sort(rows_.begin(), rows_.end(),
            [key, ascending](const auto& a, const auto& b) { return qf::CompareEntries(*a, *b, key, ascending) < 0; });
  SendMessageW(list_, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  ArrangeIcons();
  if (!reselect) return;
  for (size_t row = 0; row < rows_.size(); ++row) {
    if (rows_[row]->kind != qf::EntryKind::UpLevel && rows_[row]->name == *reselect) {
      LVITEMW state{};
      state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageW(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
      break;
    }
  }
}

void ListPane::ArrangeIcons() {
  // Wine's list view gives an owner-data row an icon position only when the icons are arranged;
  // without that every icon sits at 0,0 and each paint draws them all.
  const LONG_PTR view = GetWindowLongPtrW(list_, GWL_STYLE) & LVS_TYPEMASK;
  if (view == LVS_ICON || view == LVS_SMALLICON) SendMessageW(list_, LVM_ARRANGE, LVA_DEFAULT, 0);
}

void ListPane::Navigate(const std::wstring& requested) {
  if (!list_) return;
  const std::wstring path = requested;  // `requested` may be the path this replaces
  FolderWatcher& watcher = host_.Watcher();
  // Watching resumes and the list draws again however the listing ends.
  auto resume = win32::Paired([&] { watcher.Suspend(); }, [&] { watcher.Resume(); });
  bool search = false;
  {
    win32::RedrawOff redraw(list_);
    std::optional<std::u16string> reselect;
    {
      win32::WaitCursor wait;
      host_.ShowLoading();

      const std::u16string path16 = U16(path);
      search = qf::IsSearchPath(path16);
      if (!search) history_.Append(path16);
      ClearRows();
      totalBytes_ = 0;
      upLevelShown_ = false;

      const std::u16string previous16 = U16(previous_);  // the reselected name is a view into it
      if (auto child = qf::ChildToReselect(previous16, path16)) reselect = std::u16string(*child);
      ReadRecords(path16, search);
      InsertRows(reselect);
      path_ = path;
      ShowCutRows(true);
      listedOnce_ = true;
      RewriteStatus();
      host_.Listed(path_);
    }

    int focused = -1;
    if (reselect)
      focused = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (focused >= 0) {
      SendMessageW(list_, LVM_ENSUREVISIBLE, focused, FALSE);
    } else if (RowCount() > 0) {
      LVITEMW state{};
      state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageW(list_, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    }
    previous_ = path;
  }
  InvalidateRect(list_, nullptr, TRUE);
  if (!search) watcher.SetPath(path);
}

void ListPane::RewriteStatus() {
  std::u16string path16 = U16(path_);
  auto count = qf::ListedCount(static_cast<std::uint64_t>(RowCount()), upLevelShown_, path16);
  host_.ShowStatus(path_, count, totalBytes_);
}

bool ListPane::GoTo(const std::wstring& text, HWND owner) {
  qf::GoToTarget target = qf::ClassifyGoTo(U16(text));
  switch (target.kind) {
    case qf::GoToKind::Root:
      Navigate(L"");
      return true;
    case qf::GoToKind::SearchHits:
      Navigate(Wide(qf::kSearchPath));
      return true;
    case qf::GoToKind::Path: {
      std::wstring path = Wide(target.path);
      // Device paths only: a drive letter, a stream name or a network share never leaves the device.
      bool devicePath = !path.empty() && path[0] == L'\\' && (path.size() < 2 || path[1] != L'\\') &&
                        path.find(L':') == std::wstring::npos;
      DWORD attributes = INVALID_FILE_ATTRIBUTES;
      if (devicePath) {
        win32::WaitCursor wait;
        attributes = DeviceAttributes(path);
      }
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Navigate(path);
        return true;
      }
      if (attributes != INVALID_FILE_ATTRIBUTES) {
        host_.OpenFile(path);
        return false;
      }
      break;
    }
    case qf::GoToKind::TooLong:
      break;
  }
  if (owner) win32::ShowMessage(owner, win32::WideView(qf::kNotFoundMessage));
  return false;
}

void ListPane::UpOneLevel() {
  if (auto parent = qf::UpOneLevel(U16(path_))) Navigate(Wide(*parent));
}

void ListPane::Back() {
  if (auto target = history_.Back(qf::IsSearchPath(U16(path_)))) Navigate(Wide(*target));
}

void ListPane::Forward() {
  if (auto target = history_.Forward(qf::IsSearchPath(U16(path_)))) Navigate(Wide(*target));
}

void ListPane::RowRenamed(int row, const std::wstring& newName) {
  auto* entry = const_cast<qf::FileEntry*>(EntryOf(row));
  if (!entry || entry->kind == qf::EntryKind::UpLevel) return;
  std::wstring folder = Wide(entry->folder), oldName = Wide(entry->name);
  for (auto& hit : hits_) {
    if (hit.folder == folder && hit.name == oldName) hit.name = newName;
  }
  entry->name = U16(newName);
  entry->displayName.reset();
  entry->sizeText.reset();
  entry->typeText.reset();
  entry->dateText.reset();
  if (entry->kind == qf::EntryKind::File) entry->iconIndex = -1;
  SendMessageW(list_, LVM_REDRAWITEMS, row, row);
}

void ListPane::ForgetIcon(const std::wstring& path) {
  largeCache_.erase(path);
  smallCache_.erase(path);
  for (auto& record : records_) {
    auto full = qf::JoinPath(record.folder, record.name);
    if (full && Wide(*full) == path) record.iconIndex = -1;
  }
}

void ListPane::OpenRow(int row) {
  const qf::FileEntry* entry = EntryOf(row);
  if (!entry) return;
  if (entry->kind == qf::EntryKind::UpLevel) {
    UpOneLevel();
  } else if (auto full = qf::JoinPath(entry->folder, entry->name)) {
    if (entry->kind == qf::EntryKind::Folder) {
      Navigate(Wide(*full));
    } else {
      host_.OpenFile(Wide(*full));
    }
  }
}

void ListPane::Sort() {
  if (rows_.size() < 2) return;
  // Selection and focus belong to row numbers in an owner-data list: they are noted by record
  // and given back at the records' new rows.
  std::vector<qf::FileEntry*> selected;
  for (int i = SelectedRow(); i >= 0; i = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, i, LVNI_SELECTED)))
    if (auto* entry = RowEntry(i)) selected.push_back(entry);
  qf::FileEntry* focused =
      RowEntry(static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
  const qf::SortKey key = settings_.Key();
  const bool ascending = settings_.ascending != 0;
  std::stable_sort(rows_.begin(), rows_.end(), [key, ascending](const auto& a, const auto& b) {
    return qf::CompareEntries(*a, *b, key, ascending) < 0;
  });
  std::vector<int> rowOf(records_.size(), -1);
  for (size_t row = 0; row < rows_.size(); ++row) rowOf[static_cast<size_t>(rows_[row] - records_.data())] = static_cast<int>(row);
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  for (qf::FileEntry* entry : selected) {
    state.stateMask = state.state = LVIS_SELECTED | (entry == focused ? LVIS_FOCUSED : 0);
    SendMessageW(list_, LVM_SETITEMSTATE, rowOf[static_cast<size_t>(entry - records_.data())],
                 reinterpret_cast<LPARAM>(&state));
  }
  if (focused && std::find(selected.begin(), selected.end(), focused) == selected.end()) {
    state.stateMask = state.state = LVIS_FOCUSED;
    SendMessageW(list_, LVM_SETITEMSTATE, rowOf[static_cast<size_t>(focused - records_.data())],
                 reinterpret_cast<LPARAM>(&state));
  }
  dropRow_ = -1;
  InvalidateRect(list_, nullptr, TRUE);
}

int ListPane::CachedIcon(std::map<std::wstring, int>& cache, const std::wstring& key, const std::wstring& path,
                         bool byAttributesOnly) {
  auto found = cache.find(key);
  if (found != cache.end()) return found->second;
  // Both lists grow together, so one index serves the large and the small view.
  int index = AddIcon(large_.get(), ShellIcon(path, FILE_ATTRIBUTE_NORMAL, byAttributesOnly, true), kImgFile);
  int smallIndex = AddIcon(small_.get(), ShellIcon(path, FILE_ATTRIBUTE_NORMAL, byAttributesOnly, false), kImgFile);
  if (index < 0 || smallIndex != index) index = kImgFile;
  cache.emplace(key, index);
  return index;
}

int ListPane::IconFor(qf::FileEntry& entry, bool) {
  using qf::EqualsNoCase;
  if (entry.kind == qf::EntryKind::UpLevel) return kImgFolder;
  if (entry.kind == qf::EntryKind::Folder) {
    if (EqualsNoCase(entry.name, U16(leaves_.network))) return kImgNetwork;
    if (EqualsNoCase(entry.name, U16(leaves_.myDocuments))) return kImgMyDocuments;
    if (EqualsNoCase(entry.name, U16(leaves_.startMenu))) return kImgStartMenu;
    if (entry.attributes & FILE_ATTRIBUTE_TEMPORARY) return kImgCard;
    return kImgFolder;
  }
  if (imageFlags_.romProgramIcons && (entry.attributes & FILE_ATTRIBUTE_INROM)) return kImgRom;
  if (imageFlags_.genericIcons) return kImgFile;
  std::u16string ext16(qf::ExtensionOf(entry.name));
  std::wstring ext = Wide(ext16);
  CharUpperBuffW(ext.data(), static_cast<DWORD>(ext.size()));
  if ((ext == L"ZIP" && (imageFlags_.zipProgramIcons || settings_.openArchives)) ||
      (ext == L"LZH" && imageFlags_.zipProgramIcons)) {
    return kImgArchive;
  }
  auto full = qf::JoinPath(entry.folder, entry.name);
  if ((ext == L"EXE" || ext == L"LNK") && full) {
    std::wstring path = Wide(*full);
    return CachedIcon(largeCache_, path, path, false);
  }
  std::wstring key = ext.empty() ? std::wstring(kNoExtensionKey) : ext;
  return CachedIcon(largeCache_, key, L"x." + ext, true);
}

const std::u16string& ListPane::DisplayName(qf::FileEntry& entry) const {
  if (!entry.displayName) {
    entry.displayName = (entry.kind == qf::EntryKind::File && settings_.hideExtensions)
                            ? std::u16string(qf::NameWithoutExtension(entry.name))
                            : entry.name;
  }
  return *entry.displayName;
}

void ListPane::OnGetDispInfo(NMLVDISPINFOW* info) {
  qf::FileEntry* entry = RowEntry(info->item.iItem);
  if (!entry) return;
  if (info->item.mask & LVIF_STATE) {
    UINT state = (entry->cut ? LVIS_CUT : 0) | (info->item.iItem == dropRow_ ? LVIS_DROPHILITED : 0);
    info->item.state = (info->item.state & ~info->item.stateMask) | (state & info->item.stateMask);
  }
  if (info->item.mask & LVIF_IMAGE) {
    if (entry->iconIndex < 0) entry->iconIndex = IconFor(*entry, true);
    info->item.iImage = entry->iconIndex;
  }
  if (!(info->item.mask & LVIF_TEXT)) return;
  bool folder = entry->kind != qf::EntryKind::File;
  switch (info->item.iSubItem) {
    case 0:
      CopyText(info, DisplayName(*entry));
      break;
    case 1:
      if (folder) break;
      if (!entry->sizeText) entry->sizeText = qf::SizeText(entry->size, UserNumberFormat());
      CopyText(info, *entry->sizeText);
      break;
    case 2:
      if (folder) {
        CopyText(info, u"Folder");
        break;
      }
      if (!entry->typeText) {
        SHFILEINFOW shell{};
        std::wstring name = Wide(entry->name);
        SHGetFileInfoW(name.c_str(), FILE_ATTRIBUTE_NORMAL, &shell, sizeof shell,
                       SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
        std::u16string type = U16(shell.szTypeName);
        if (type.size() > 79) type.resize(79);
        entry->typeText = type;
      }
      CopyText(info, *entry->typeText);
      break;
    case 3:
      if (folder) break;
      if (!entry->dateText)
        entry->dateText = qf::DateText(entry->time, LocalNow(), timeStump_ != 0, UserDateTimeFormat());
      CopyText(info, *entry->dateText);
      break;
    default:
      break;
  }
}

int ListPane::OnFindItem(const NMLVFINDITEMW* find) {
  const LVFINDINFOW& what = find->lvfi;
  if (!(what.flags & (LVFI_STRING | LVFI_PARTIAL)) || !what.psz || rows_.empty()) return -1;
  const std::u16string_view text(win32::U16Ptr(what.psz));
  const bool partial = (what.flags & LVFI_PARTIAL) != 0;
  const int count = static_cast<int>(rows_.size());
  const int start = find->iStart >= 0 && find->iStart < count ? find->iStart : 0;
  const int span = (what.flags & LVFI_WRAP) || start == 0 ? count : count - start;
  for (int n = 0; n < span; ++n) {
    const int row = (start + n) % count;
    std::u16string_view name = DisplayName(*rows_[row]);
    if (partial ? name.size() >= text.size() && qf::EqualsNoCase(name.substr(0, text.size()), text)
                : qf::EqualsNoCase(name, text))
      return row;
  }
  return -1;
}

void ListPane::SetDropRow(int row) {
  if (row == dropRow_ || !list_) return;
  const int old = dropRow_;
  dropRow_ = RowEntry(row) ? row : -1;
  if (old >= 0) SendMessageW(list_, LVM_REDRAWITEMS, old, old);
  if (dropRow_ >= 0) SendMessageW(list_, LVM_REDRAWITEMS, dropRow_, dropRow_);
}

void ListPane::OnColumnClick(int column) {
  qf::ApplyColumnClick(settings_, column);
  Sort();
}

void ListPane::ApplyViewStyle() {
  if (!list_) return;
  LONG_PTR style = GetWindowLongPtrW(list_, GWL_STYLE);
  style &= ~(LVS_TYPEMASK | LVS_NOCOLUMNHEADER);
  switch (settings_.Style()) {
    case qf::ViewStyle::Details:
      style |= LVS_REPORT;
      if (settings_.noColumnHeader) style |= LVS_NOCOLUMNHEADER;
      break;
    case qf::ViewStyle::Medium:
      style |= LVS_SMALLICON;
      break;
    case qf::ViewStyle::Small:
      style |= LVS_LIST;
      break;
    default:
      style |= LVS_ICON;
      break;
  }
  SetWindowLongPtrW(list_, GWL_STYLE, style);
  DWORD extended = settings_.lineSelect ? (LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE) : 0;
  SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE, extended);
  if (settings_.Style() == qf::ViewStyle::Large) {
    const int spacing = 72 * quintar::dialogs::ScreenScale();
    SendMessageW(list_, LVM_SETICONSPACING, 0, MAKELPARAM(spacing, spacing));
  }
  SendMessageW(list_, LVM_ARRANGE, LVA_DEFAULT, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

void ListPane::SetViewStyleCommand(int command) {
  settings_.lineSelect = 0;
  switch (command) {
    case IDM_VIEW_LARGE:
      settings_.viewStyle = static_cast<std::uint32_t>(qf::ViewStyle::Large);
      break;
    case IDM_VIEW_MEDIUM:
      settings_.viewStyle = static_cast<std::uint32_t>(qf::ViewStyle::Medium);
      break;
    case IDM_VIEW_SMALL:
      settings_.viewStyle = static_cast<std::uint32_t>(qf::ViewStyle::Small);
      break;
    case IDM_VIEW_DETAILED:
      settings_.viewStyle = static_cast<std::uint32_t>(qf::ViewStyle::Details);
      break;
    case IDM_VIEW_DETAILED_LINE:
      settings_.viewStyle = static_cast<std::uint32_t>(qf::ViewStyle::Details);
      settings_.lineSelect = qf::kLineSelectOn;
      break;
    default:
      return;
  }
  ApplyViewStyle();
}

void ListPane::CycleViewStyle() {
  qf::CycleListStyle(settings_);
  ApplyViewStyle();
}

void ListPane::SetSortCommand(int command) {
  switch (command) {
    case IDM_SORT_NAME:
      qf::ApplySortKey(settings_, qf::SortKey::Name);
      break;
    case IDM_SORT_TYPE:
      qf::ApplySortKey(settings_, qf::SortKey::Type);
      break;
    case IDM_SORT_SIZE:
      qf::ApplySortKey(settings_, qf::SortKey::Size);
      break;
    case IDM_SORT_DATE:
      qf::ApplySortKey(settings_, qf::SortKey::Date);
      break;
    case IDM_SORT_REVERSE:
      qf::ToggleSortDirection(settings_);
      break;
    default:
      return;
  }
  Sort();
}

void ListPane::SelectAll(bool select) {
  if (!list_) return;
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED;
  state.state = select ? LVIS_SELECTED : 0;
  SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
}

void ListPane::ReverseSelection() {
  int count = RowCount();
  for (int i = 0; i < count; ++i) {
    UINT now = static_cast<UINT>(SendMessageW(list_, LVM_GETITEMSTATE, i, LVIS_SELECTED));
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    state.state = (now & LVIS_SELECTED) ? 0 : LVIS_SELECTED;
    SendMessageW(list_, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
  }
}

void ListPane::UpdateMenuMarks(HMENU menu) const {
  if (!menu) return;
  int style = IDM_VIEW_LARGE;
  switch (settings_.Style()) {
    case qf::ViewStyle::Details:
      style = settings_.lineSelect ? IDM_VIEW_DETAILED_LINE : IDM_VIEW_DETAILED;
      break;
    case qf::ViewStyle::Medium:
      style = IDM_VIEW_MEDIUM;
      break;
    case qf::ViewStyle::Small:
      style = IDM_VIEW_SMALL;
      break;
    default:
      break;
  }
  for (int id : {IDM_VIEW_LARGE, IDM_VIEW_MEDIUM, IDM_VIEW_SMALL, IDM_VIEW_DETAILED, IDM_VIEW_DETAILED_LINE}) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (id == style ? MF_CHECKED : MF_UNCHECKED));
  }
  static const int kKeys[] = {IDM_SORT_NAME, IDM_SORT_TYPE, IDM_SORT_SIZE, IDM_SORT_DATE};
  for (int i = 0; i < 4; ++i) {
    CheckMenuItem(menu, kKeys[i],
                  MF_BYCOMMAND | (settings_.sortKey == static_cast<std::uint32_t>(i) ? MF_CHECKED : MF_UNCHECKED));
  }
  CheckMenuItem(menu, IDM_SORT_REVERSE, MF_BYCOMMAND | (settings_.ascending ? MF_UNCHECKED : MF_CHECKED));
}

}  // namespace quintar::folderon
