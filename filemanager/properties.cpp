// The Properties sheet: a general page, a counting page and a shortcut page, shown full screen
// with the tabs along the bottom; changes are applied after the sheet closed with OK.
#include "filemanager/properties.h"

#include <windows.h>
// (these need windows.h first)
#include <commctrl.h>
#include <shellapi.h>

#include <aygshell.h>
#include <ceservices.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dialogs/dialogs.h"
#include "filemanager/core/paths.h"
#include "filemanager/core/shortcuts.h"
#include "filemanager/listpane.h"
#include "filemanager/resource.h"
#include "filemanager/winutil.h"
#include "fileops/core/properties.h"
#include "fileops/search.h"
#include "fileops/winutil.h"
#include "win32/handle.h"
#include "win32/messagebox.h"
#include "win32/scope.h"
#include "win32/shell.h"
#include "win32/window.h"

namespace quintar::folderon {
namespace {

namespace ids = props_ids;
namespace pc = fileops::core;
namespace qf = core;

constexpr wchar_t kCannotRename[] = L"This file cannot be renamed.";
constexpr wchar_t kNoTarget[] = L"No Link-Target.";
constexpr wchar_t kCannotRetarget[] = L"This link target cannot be changed.";
constexpr wchar_t kCannotSetAttributes[] = L"These attributes cannot be changed.";
constexpr wchar_t kInvalidShortcut[] = L"Invalid Shortcut";

void Fail(HWND owner, const wchar_t* text) { win32::ScreenMessageBox(owner, text, nullptr, MB_OK | MB_ICONSTOP); }

std::wstring Join(std::wstring_view folder, std::wstring_view name) {
  return std::wstring(folder).append(L"\\").append(name);
}

std::optional<WIN32_FIND_DATAW> FindEntry(const std::wstring& path) {
  if (path.size() > pc::kMaxPath) return std::nullopt;
  WIN32_FIND_DATAW data{};
  DeviceFind find(CeFindFirstFile(path.c_str(), &data));
  if (!find) return std::nullopt;
  return data;
}

std::wstring TimeText(const FILETIME& utc) {
  FILETIME local{};
  if (!FileTimeToLocalFileTime(&utc, &local)) return {};
  std::uint64_t ticks = (static_cast<std::uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
  return Wide(qf::DateText(ticks, qf::CivilFromTicks(ticks), false, UserDateTimeFormat()));
}

// The shell's icon and type name for a device path.
struct ShellLook {
  win32::Icon icon;
  std::wstring type;
};
ShellLook LookOf(const std::wstring& path, DWORD attributes) {
  ShellLook look;
  SHFILEINFOW info{};
  if (SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON | SHGFI_TYPENAME) ||
      SHGetFileInfoW(path.c_str(), attributes, &info, sizeof info,
                     SHGFI_ICON | SHGFI_LARGEICON | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES)) {
    look.icon.reset(info.hIcon);
    look.type = info.szTypeName;
  }
  return look;
}

std::optional<std::wstring> ShortcutLine(const std::wstring& shortcut) {
  if (shortcut.size() >= MAX_PATH) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  shortcut.copy(path, shortcut.size());
  wchar_t line[MAX_PATH] = {};
  if (!SHGetShortcutTarget(path, line, MAX_PATH)) return std::nullopt;
  return std::wstring(line);
}

// The shortcut written anew under a temporary name in its folder, then put in the old one's place:
// on any failure the old file stays as it was. Its attributes are kept.
bool ReplaceShortcut(std::wstring_view folder, const std::wstring& shortcut, const std::wstring& target) {
  if (target.size() >= MAX_PATH) return false;
  std::wstring temp;
  for (int n = 1; n <= 99 && temp.empty(); ++n) {
    auto candidate = pc::TemporaryShortcutPath(win32::U16View(folder), n);
    if (!candidate) return false;
    if (DeviceAttributes(Wide(*candidate)) == INVALID_FILE_ATTRIBUTES) temp = Wide(*candidate);
  }
  if (temp.empty()) return false;
  std::wstring line = target;
  if (!SHCreateShortcut(temp.data(), line.data())) {
    if (GetLastError() != ERROR_FILE_EXISTS) DeleteFileW(temp.c_str());
    return false;
  }
  const DWORD kept = CeGetFileAttributes(shortcut.c_str());
  if (kept == INVALID_FILE_ATTRIBUTES) {
    DeleteFileW(temp.c_str());
    return false;
  }
  SetFileAttributesW(shortcut.c_str(), FILE_ATTRIBUTE_NORMAL);
  const bool replaced = MoveFileExW(temp.c_str(), shortcut.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
  if (!replaced) DeleteFileW(temp.c_str());
  const DWORD settable =
      kept & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
  SetFileAttributesW(shortcut.c_str(), settable ? settable : FILE_ATTRIBUTE_NORMAL);
  return replaced;
}

// What the sheet edits; one at a time.
struct PropertiesRequest {
  std::span<const fileops::FileItem> items;
  std::wstring folder;  // of a single row
  std::wstring name;
  bool single = false;
  bool isFolder = false;
  bool isShortcut = false;
  bool attributesEditable = false;
  DWORD attributes = 0;
  DWORD attributesAtOpen = 0;
  std::wstring newName;
  std::wstring targetAtOpen;
  std::wstring newTarget;
  std::optional<WIN32_FIND_DATAW> findData;
  std::wstring caption;
  bool ok = false;  // the sheet ended with OK
};

enum class PageKind { General, Count, Shortcut };

dialogs::TemplateSet GeneralTemplates() {
  return dialogs::TemplatesById(ids::kGeneralSquare, ids::kGeneralPortrait, ids::kGeneralLandscape);
}

void SetIcon(HWND page, int id, win32::Icon& keep, win32::Icon icon) {
  keep = std::move(icon);
  if (keep) SendDlgItemMessageW(page, id, STM_SETICON, reinterpret_cast<WPARAM>(keep.get()), 0);
}

class PropertiesPage : public win32::Dialog<PropertiesPage> {
 public:
  PropertiesPage(PropertiesRequest& request, PageKind kind) : request_(request), kind_(kind) {}

 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<PropertiesPage>> Messages() {
    static constexpr win32::DialogMessageEntry<PropertiesPage> kTable[] = {
        win32::On<&PropertiesPage::OnInit>(WM_INITDIALOG),
        win32::On<&PropertiesPage::OnNotify>(WM_NOTIFY),
        win32::On<&PropertiesPage::OnSize>(WM_SIZE),
        win32::On<&PropertiesPage::OnDestroy>(WM_DESTROY),
    };
    return kTable;
  }
  static std::span<const win32::CommandEntry<PropertiesPage>> Commands() {
    static constexpr win32::CommandEntry<PropertiesPage> kTable[] = {
        win32::Command<&PropertiesPage::NameChanged>(ids::kName),
        win32::Command<&PropertiesPage::TargetChanged>(ids::kTarget),
        win32::Command<&PropertiesPage::BoxClicked>(ids::kArchive),
        win32::Command<&PropertiesPage::BoxClicked>(ids::kHidden),
        win32::Command<&PropertiesPage::BoxClicked>(ids::kReadOnly),
    };
    return kTable;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    SetDlgItemTextW(hwnd(), ids::kHeader, request_.caption.c_str());
    win32::WaitCursor wait;
    switch (kind_) {
      case PageKind::General:
        dialogs::AttachRelayout(hwnd(), GetModuleHandleW(nullptr), GeneralTemplates());
        FillGeneral();
        break;
      case PageKind::Count:
        FillCount();
        break;
      case PageKind::Shortcut:
        FillShortcut();
        break;
    }
    return TRUE;
  }

  INT_PTR OnNotify(WPARAM, LPARAM lParam) {
    if (reinterpret_cast<NMHDR*>(lParam)->code == PSN_APPLY) {
      request_.ok = true;
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, PSNRET_NOERROR);
      return TRUE;
    }
    return FALSE;
  }

  // After the re-layout from the shape's template: the texts take the page's whole width.
  INT_PTR OnSize(WPARAM, LPARAM) {
    for (int id : {ids::kHeader, ids::kName, ids::kType, ids::kLocation, ids::kSize, ids::kCreated, ids::kModified,
                   ids::kFolders, ids::kFiles, ids::kTotal, ids::kTotalBytes, ids::kShortcutName, ids::kTarget,
                   ids::kShortcutType})
      fileops::Stretch(hwnd(), id, 4, false);
    return FALSE;
  }

  INT_PTR OnDestroy(WPARAM, LPARAM) {
    if (kind_ == PageKind::General) dialogs::DetachRelayout(hwnd());
    return FALSE;
  }

  void FillGeneral() {
    HWND page = hwnd();
    PropertiesRequest& r = request_;
    const std::wstring path = Join(r.folder, r.name);
    HWND edit = GetDlgItem(page, ids::kName);
    SendMessageW(edit, EM_LIMITTEXT, pc::NameLimit(win32::U16View(r.folder)), 0);
    SetWindowTextW(edit, r.name.c_str());
    SetDlgItemTextW(page, ids::kLocation, r.folder.empty() ? L"My Pocket PC" : r.folder.c_str());
    const DWORD attributes = CeGetFileAttributes(path.c_str());
    ShellLook look = LookOf(path, attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes);
    std::wstring type = look.type;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_INROM))
      type = Wide(pc::InRomTypeText(U16(type)));
    SetDlgItemTextW(page, ids::kType, type.c_str());
    SetIcon(page, ids::kIcon, icon_, std::move(look.icon));
    if (r.findData) {
      const auto& d = *r.findData;
      std::uint64_t size = r.isFolder ? 0 : (static_cast<std::uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
      SetDlgItemTextW(page, ids::kSize, Wide(pc::PropertySizeText(size, UserNumberFormat())).c_str());
      SetDlgItemTextW(page, ids::kCreated, TimeText(d.ftCreationTime).c_str());
      SetDlgItemTextW(page, ids::kModified, TimeText(d.ftLastWriteTime).c_str());
    }
    r.attributes = r.attributesAtOpen = attributes;
    r.attributesEditable = !r.isFolder && attributes != INVALID_FILE_ATTRIBUTES;
    if (r.attributesEditable) {
      CheckDlgButton(page, ids::kReadOnly, (attributes & FILE_ATTRIBUTE_READONLY) ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(page, ids::kHidden, (attributes & FILE_ATTRIBUTE_HIDDEN) ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(page, ids::kArchive, (attributes & FILE_ATTRIBUTE_ARCHIVE) ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(page, ids::kRom, (attributes & FILE_ATTRIBUTE_SYSTEM) ? BST_INDETERMINATE : BST_UNCHECKED);
    } else {
      for (int id : {ids::kReadOnly, ids::kHidden, ids::kArchive}) EnableWindow(GetDlgItem(page, id), FALSE);
    }
    EnableWindow(GetDlgItem(page, ids::kRom), FALSE);
  }

  void FillCount() {
    HWND page = hwnd();
    fileops::ContentCount count;
    for (const fileops::FileItem& item : request_.items) {
      const std::wstring path = Join(FieldText(item.folder), FieldText(item.name));
      if (item.kind == fileops::kKindFolder) {
        fileops::CountFolder(path, count);
      } else if (item.kind == fileops::kKindFile) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (path.size() <= pc::kMaxPath && CeGetFileAttributesEx(path.c_str(), GetFileExInfoStandard, &data)) {
          count.bytes += (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
          ++count.files;
        }
      }
    }
    if (request_.single && request_.isFolder && count.folders) --count.folders;
    SetDlgItemTextW(page, ids::kFolders, Wide(pc::FoldersText(count.folders)).c_str());
    SetDlgItemTextW(page, ids::kFiles, Wide(pc::FilesText(count.files)).c_str());
    SetDlgItemTextW(page, ids::kTotal, Wide(pc::TotalSizeText(count.bytes, UserNumberFormat())).c_str());
    SetDlgItemTextW(page, ids::kTotalBytes, Wide(pc::TotalBytesText(count.bytes, UserNumberFormat())).c_str());
    SHFILEINFOW info{};
    if (SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                       SHGFI_ICON | SHGFI_LARGEICON | SHGFI_USEFILEATTRIBUTES))
      SetIcon(page, ids::kIcon, icon_, win32::Icon(info.hIcon));
  }

  void FillShortcut() {
    HWND page = hwnd();
    PropertiesRequest& r = request_;
    SetDlgItemTextW(page, ids::kShortcutName, r.name.c_str());
    HWND edit = GetDlgItem(page, ids::kTarget);
    SendMessageW(edit, EM_LIMITTEXT, MAX_PATH - 1, 0);
    auto line = ShortcutLine(Join(r.folder, r.name));
    if (!line) {
      SetDlgItemTextW(page, ids::kShortcutType, kInvalidShortcut);
      EnableWindow(edit, FALSE);
      return;
    }
    r.targetAtOpen = r.newTarget = *line;
    filling_ = true;
    SetWindowTextW(edit, line->c_str());
    filling_ = false;
    std::u16string target = qf::SplitShortcutTarget(U16(*line)).path;
    DWORD attributes = qf::IsDevicePath(target) ? DeviceAttributes(Wide(target)) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      SetDlgItemTextW(page, ids::kShortcutType, kInvalidShortcut);
      return;
    }
    ShellLook look = LookOf(Wide(target), attributes);
    SetDlgItemTextW(page, ids::kShortcutType, look.type.c_str());
    SetIcon(page, ids::kShortcutIcon, icon_, std::move(look.icon));
  }

  static std::wstring EditText(HWND edit) {
    int length = GetWindowTextLengthW(edit);
    std::wstring text(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, L'\0');
    int got = GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
    return text;
  }

  void NameChanged(int, int code) {
    if (code == EN_CHANGE) request_.newName = EditText(GetDlgItem(hwnd(), ids::kName));
  }

  void TargetChanged(int, int code) {
    if (code == EN_CHANGE && !filling_) request_.newTarget = EditText(GetDlgItem(hwnd(), ids::kTarget));
  }

  void BoxClicked(int id, int code) {
    if (code != BN_CLICKED || !request_.attributesEditable) return;
    DWORD bit = id == ids::kReadOnly ? FILE_ATTRIBUTE_READONLY
                : id == ids::kHidden ? FILE_ATTRIBUTE_HIDDEN
                                     : FILE_ATTRIBUTE_ARCHIVE;
    if (IsDlgButtonChecked(hwnd(), id) == BST_CHECKED)
      request_.attributes |= bit;
    else
      request_.attributes &= ~bit;
  }

  PropertiesRequest& request_;
  PageKind kind_;
  win32::Icon icon_;
  bool filling_ = false;
};

// ---- The sheet ----------------------------------------------------------------------------------


LRESULT CALLBACK SheetSubclass(HWND sheet, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (msg == WM_SIZE) {
    LRESULT result = DefSubclassProc(sheet, msg, wParam, lParam);
    quintar::dialogs::LayoutDeviceSheet(sheet);
    return result;
  }
  if (msg == WM_DISPLAYCHANGE) win32::InitFullScreenDialog(sheet, SHIDIF_SIZEDLGFULLSCREEN);
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(sheet, SheetSubclass, 1);
  return DefSubclassProc(sheet, msg, wParam, lParam);
}

int CALLBACK SheetCallback(HWND sheet, UINT msg, LPARAM) {
  if (msg != PSCB_INITIALIZED || !sheet) return 0;
  SetWindowSubclass(sheet, SheetSubclass, 1, 0);
  win32::InitFullScreenDialog(sheet, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN);
  quintar::dialogs::LayoutDeviceSheet(sheet);
  return 0;
}

int Apply(HWND owner, PropertiesRequest& r, const PropertiesHooks& hooks, PropertiesOutcome& outcome) {
  auto call = [](const std::function<void()>& f) {
    if (f) f();
  };
  // The temporary shortcut and the rename would wake the watcher: paused for all of it.
  auto paused = win32::Paired([&] { call(hooks.suspendWatching); }, [&hooks, call] { call(hooks.resumeWatching); });
  bool changed = false;
  const std::wstring oldPath = Join(r.folder, r.name);
  const pc::NameCheck check =
      pc::CheckNewName(win32::U16View(r.folder), win32::U16View(r.name), win32::U16View(r.newName));
  if (check == pc::NameCheck::Empty || check == pc::NameCheck::Refused) Fail(owner, kCannotRename);

  if (r.isShortcut && r.newTarget != r.targetAtOpen) {
    if (r.newTarget.empty()) {
      Fail(owner, kNoTarget);
    } else if (ReplaceShortcut(r.folder, oldPath, r.newTarget)) {
      changed = true;
      if (hooks.shortcutRetargeted) hooks.shortcutRetargeted(oldPath);
    } else {
      Fail(owner, kCannotRetarget);
    }
  }

  if (r.attributesEditable) {
    const DWORD current = CeGetFileAttributes(oldPath.c_str());
    if (auto wanted = pc::AttributesToApply(current == INVALID_FILE_ATTRIBUTES ? r.attributesAtOpen : current,
                                            r.attributesAtOpen, r.attributes)) {
      if (current != INVALID_FILE_ATTRIBUTES &&
          SetFileAttributesW(oldPath.c_str(), *wanted ? *wanted : FILE_ATTRIBUTE_NORMAL)) {
        changed = true;
      } else {
        Fail(owner, kCannotSetAttributes);
      }
    }
  }

  if (check == pc::NameCheck::Ok) {
    const std::wstring newPath = Join(r.folder, r.newName);
    if (MoveFileW(oldPath.c_str(), newPath.c_str())) {
      changed = true;
      outcome.newPath = newPath;
      outcome.newName = r.newName;
    } else {
      Fail(owner, kCannotRename);
    }
  }
  return changed ? 1 : 0;
}

}  // namespace

int ShowProperties(HWND owner, std::span<const fileops::FileItem> items, const PropertiesHooks& hooks,
                   PropertiesOutcome& outcome) {
  if (items.empty()) return 0;
  try {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    PropertiesRequest r;
    r.items = items;
    r.single = items.size() == 1;
    const fileops::FileItem& first = items.front();
    if (r.single) {
      r.folder = FieldText(first.folder);
      r.name = FieldText(first.name);
      r.newName = r.name;
      r.isFolder = first.kind == fileops::kKindFolder;
      r.isShortcut = !r.isFolder && qf::IsShortcutName(U16(r.name));
      r.findData = FindEntry(Join(r.folder, r.name));
      r.caption = L"Properties of " + r.name;
    } else {
      r.caption = L"Files Properties";
    }

    HINSTANCE module = GetModuleHandleW(nullptr);
    std::vector<std::unique_ptr<PropertiesPage>> pages;
    std::vector<PROPSHEETPAGEW> sheets;
    auto add = [&](PageKind kind, LPCWSTR templateName, const wchar_t* title) {
      pages.push_back(std::make_unique<PropertiesPage>(r, kind));
      PROPSHEETPAGEW page{};
      page.dwSize = sizeof page;
      page.dwFlags = PSP_USETITLE;
      page.hInstance = module;
      page.pszTemplate = templateName;
      page.pfnDlgProc = &PropertiesPage::PageProc;
      page.pszTitle = title;
      page.lParam = pages.back()->Param();
      sheets.push_back(page);
    };
    if (r.single) {
      add(PageKind::General, GeneralTemplates().For(dialogs::CurrentScreenShape()), L"Properties");
      if (r.isFolder) add(PageKind::Count, MAKEINTRESOURCEW(ids::kCountPage), L"Contents");
      if (r.isShortcut) add(PageKind::Shortcut, MAKEINTRESOURCEW(ids::kShortcutPage), L"Shortcut");
    } else {
      add(PageKind::Count, MAKEINTRESOURCEW(ids::kCountPage), L"Properties");
    }
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
    header.hwndParent = owner;
    header.hInstance = module;
    header.pszCaption = r.caption.c_str();
    header.nPages = static_cast<UINT>(sheets.size());
    header.ppsp = sheets.data();
    header.pfnCallback = &SheetCallback;
    PropertySheetW(&header);
    if (!r.single || !r.ok) return 0;
    return Apply(owner, r, hooks, outcome);
  } catch (...) {
    return 0;
  }
}

}  // namespace quintar::folderon
