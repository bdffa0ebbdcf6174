// "Add to Today Screen" and the properties dialog. The dialog counts a folder's size on a worker
// that only posts to it; the dialog writes the text itself and stops and waits for the worker
// before its window goes, so nothing is ever written to a closed dialog.
#include "shellext/properties_dialog.h"

#include <shellapi.h>

#include <ceservices.h>

#include <atomic>
#include <span>
#include <string>
#include <vector>

#include "dialogs/dialogs.h"
#include "shellext/menu_plan.h"
#include "shellext/module.h"
#include "shellext/properties_text.h"
#include "shellext/resource.h"
#include "win32/device_find.h"
#include "win32/handle.h"
#include "win32/shell.h"
#include "win32/text.h"
#include "win32/window.h"

namespace quintar::menuvex {
namespace {

constexpr wchar_t kDesktopTitle[] = L"DeskTop";
constexpr wchar_t kTodayTitle[] = L"MyTodayScreen";
constexpr UINT kTodayTimeoutMs = 5000;

// Depth first, a window's children before its next sibling; only the first 49 characters of a
// text are compared, as the Today screen's item keeps no longer title.
HWND FindByText(HWND parent, int depth = 0) {
  if (depth > 64) return nullptr;  // a tree that deep is no window tree of the Today screen
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t text[50] = L"";
    GetWindowTextW(child, text, static_cast<int>(std::size(text)));
    if (lstrcmpW(text, kTodayTitle) == 0) return child;
    if (HWND below = FindByText(child, depth + 1)) return below;
  }
  return nullptr;
}

const dialogs::TemplateSet& PropertiesTemplates() {
  static const dialogs::TemplateSet set =
      dialogs::TemplatesById(IDD_PROPS_SQUARE, IDD_PROPS_PORTRAIT, IDD_PROPS_LANDSCAPE);
  return set;
}

std::wstring TimeText(const FILETIME& utc) {
  FILETIME local{};
  SYSTEMTIME t{};
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t)) return {};
  return win32::Wide(core::DateTimeText({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond}));
}

std::uint64_t SizeOf(const WIN32_FIND_DATAW& found) {
  return (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

bool IsDots(const wchar_t* name) { return lstrcmpW(name, L".") == 0 || lstrcmpW(name, L"..") == 0; }

// The shell's rename, as File Explorer does it; a change of case only is a plain move, since the
// shell takes the new name for one that is already there.
bool RenameItem(const std::wstring& from, const std::wstring& to) {
  if (lstrcmpiW(from.c_str(), to.c_str()) == 0) return MoveFileW(from.c_str(), to.c_str()) != FALSE;
  std::wstring source = from + L'\0', target = to + L'\0';  // lists ending in two zeros
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_RENAME;
  op.pFrom = source.c_str();
  op.pTo = target.c_str();
  op.fFlags = FOF_ALLOWUNDO;
  return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
}

class PropertiesDialog final : public win32::Dialog<PropertiesDialog> {
 public:
  PropertiesDialog(std::wstring path, const WIN32_FIND_DATAW& found, std::wstring typeName, HICON icon) noexcept
      : path_(std::move(path)), found_(found), typeName_(std::move(typeName)), icon_(icon) {}

  HRESULT Run(HWND owner) noexcept {
    const INT_PTR result =
        dialogs::DialogBoxForShape(Module().instance, PropertiesTemplates(), owner, &Dialog::Proc, Param());
    if (result == -1) return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_DATA);
    return S_OK;
  }

 private:
  friend Dialog;
  static constexpr UINT kSizeCounted = WM_APP + 80, kSizeDone = WM_APP + 81;
  static constexpr int kBoxes[3] = {IDC_PROPS_READONLY, IDC_PROPS_HIDDEN, IDC_PROPS_ARCHIVE};

  static std::span<const win32::DialogMessageEntry<PropertiesDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<PropertiesDialog> kMessages[] = {
        win32::On<&PropertiesDialog::OnInit>(WM_INITDIALOG),
        win32::On<&PropertiesDialog::OnPaint>(WM_PAINT),
        win32::On<&PropertiesDialog::OnSize>(WM_SIZE),
        win32::On<&PropertiesDialog::OnTap>(WM_LBUTTONDOWN),
        win32::On<&PropertiesDialog::OnTimer>(WM_TIMER),
        win32::On<&PropertiesDialog::OnSizeCounted>(kSizeCounted),
        win32::On<&PropertiesDialog::OnSizeCounted>(kSizeDone),
        win32::On<&PropertiesDialog::OnDestroy>(WM_DESTROY),
    };
    return kMessages;
  }
  static std::span<const win32::CommandEntry<PropertiesDialog>> Commands() {
    static constexpr win32::CommandEntry<PropertiesDialog> kCommands[] = {
        win32::Command<&PropertiesDialog::Confirm>(IDOK),  // Done
        win32::Command<&PropertiesDialog::Close>(IDCANCEL),
        win32::Command<&PropertiesDialog::OnNameBox>(IDC_PROPS_NAME),
        win32::Command<&PropertiesDialog::OnBox>(IDC_PROPS_READONLY),
        win32::Command<&PropertiesDialog::OnBox>(IDC_PROPS_HIDDEN),
        win32::Command<&PropertiesDialog::OnBox>(IDC_PROPS_ARCHIVE),
    };
    return kCommands;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    const HWND dialog = hwnd();
    win32::InitFullScreenDialog(dialog);
    dialogs::AttachRelayout(dialog, Module().instance, PropertiesTemplates());
    dialogs::RelayoutForCurrentShape(dialog, Module().instance, PropertiesTemplates());
    ShowForShape();
    name_ = found_.cFileName;
    folder_ = win32::Wide(core::FolderPart(win32::U16View(path_)));
    SetDlgItemTextW(dialog, IDC_PROPS_NAME, name_.c_str());
    SetDlgItemTextW(dialog, IDC_PROPS_TYPE, typeName_.c_str());
    SetDlgItemTextW(dialog, IDC_PROPS_LOCATION, folder_.c_str());
    SetDlgItemTextW(dialog, IDC_PROPS_CREATED, TimeText(found_.ftCreationTime).c_str());
    SetDlgItemTextW(dialog, IDC_PROPS_UPDATED, TimeText(found_.ftLastWriteTime).c_str());
    const DWORD attributes = found_.dwFileAttributes;
    const DWORD bits[3] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_ARCHIVE};
    for (int i = 0; i < 3; ++i) {
      initial_[i] = (attributes & bits[i]) != 0;
      CheckDlgButton(dialog, kBoxes[i], initial_[i] ? BST_CHECKED : BST_UNCHECKED);
    }
    CheckDlgButton(dialog, IDC_PROPS_SYSTEM, (attributes & FILE_ATTRIBUTE_SYSTEM) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_PROPS_ROM, (attributes & core::kRomModule) ? BST_CHECKED : BST_UNCHECKED);
    StartSize();
    SetFocus(GetDlgItem(dialog, IDC_PROPS_NAME));  // the panel comes up with the name box's focus
    return FALSE;
  }

  // ---- Size ----

  void StartSize() {
    if (!(found_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      SetDlgItemTextW(hwnd(), IDC_PROPS_SIZE, win32::Wide(core::SizeText(SizeOf(found_))).c_str());
      return;
    }
    SetDlgItemTextW(hwnd(), IDC_PROPS_SIZE, win32::Wide(core::SizeText(0)).c_str());
    ObjectCreated();  // File Explorer may ask to unload the DLL while the walk goes on
    target_ = hwnd();
    worker_.reset(CreateThread(nullptr, 0, &PropertiesDialog::Walk, this, 0, nullptr));
    if (!worker_) ObjectDestroyed();  // the size stays at what was counted: nothing
  }

  static DWORD WINAPI Walk(LPVOID param) {
    auto& self = *static_cast<PropertiesDialog*>(param);
    std::vector<std::wstring> folders{self.path_};
    while (!folders.empty() && !self.stop_.load()) {
      const std::wstring folder = std::move(folders.back());
      folders.pop_back();
      WIN32_FIND_DATAW found;
      win32::DeviceFindHandle find(CeFindFirstFile((folder + L"\\*.*").c_str(), &found));
      if (!find) continue;  // what cannot be listed is skipped
      do {
        if (IsDots(found.cFileName)) continue;
        std::wstring child = folder + L"\\" + found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          if (child.size() <= core::kMaxPathChars) folders.push_back(std::move(child));
          continue;
        }
        self.total_.fetch_add(SizeOf(found));
        if (!self.posted_.exchange(true)) PostMessageW(self.target_, kSizeCounted, 0, 0);
      } while (!self.stop_.load() && CeFindNextFile(find.get(), &found));
    }
    PostMessageW(self.target_, kSizeDone, 0, 0);
    ObjectDestroyed();
    return 0;
  }

  INT_PTR OnSizeCounted(WPARAM, LPARAM) {
    posted_.store(false);
    SetDlgItemTextW(hwnd(), IDC_PROPS_SIZE, win32::Wide(core::SizeText(total_.load())).c_str());
    return TRUE;
  }

  INT_PTR OnDestroy(WPARAM, LPARAM) {
    // The worker only posts, so waiting here cannot hold it up; it stops at its next entry.
    stop_.store(true);
    if (worker_) WaitForSingleObject(worker_.get(), INFINITE);
    worker_.reset();
    dialogs::ShowSip(false);
    return FALSE;
  }

  // ---- Drawing and layout ----

  INT_PTR OnPaint(WPARAM, LPARAM) {
    win32::PaintDc paint(hwnd());
    const HDC dc = paint.get();
    const int s = dialogs::ScreenScale();
    const dialogs::ScreenShape shape = dialogs::CurrentScreenShape();
    const int offset = shape == dialogs::ScreenShape::Landscape ? 100 : 0;
    if (icon_) DrawIconEx(dc, 20 * s, 28 * s, icon_.get(), 32 * s, 32 * s, 0, nullptr, DI_NORMAL);
    dialogs::PaintHorizontalLine(dc, 0, (240 + offset) * s, 23 * s);
    dialogs::PaintHorizontalLine(dc, 18 * s, (220 + offset) * s, 65 * s);
    dialogs::PaintHorizontalLine(dc, 18 * s, (220 + offset) * s, 175 * s);
    if (shape != dialogs::ScreenShape::Landscape) dialogs::PaintHorizontalLine(dc, 18 * s, 220 * s, 130 * s);
    return TRUE;
  }

  // The controls have moved already; "Attributes:" belongs to the square and portrait shapes.
  INT_PTR OnSize(WPARAM, LPARAM) {
    ShowForShape();
    InvalidateRect(hwnd(), nullptr, TRUE);
    return FALSE;
  }
  void ShowForShape() {
    const bool label = dialogs::CurrentScreenShape() != dialogs::ScreenShape::Landscape;
    ShowWindow(GetDlgItem(hwnd(), IDC_PROPS_ATTRIBUTES), label ? SW_SHOWNA : SW_HIDE);
  }

  INT_PTR OnTimer(WPARAM, LPARAM) {
    KillTimer(hwnd(), 1);
    return TRUE;
  }

  // ---- Soft input panel ----

  void OnNameBox(int, int code) {
    if (code == EN_SETFOCUS) dialogs::ShowSip(true);
  }
  void OnBox(int, int code) {
    if (code == BN_CLICKED) dialogs::ShowSip(false);
  }
  // A tap on the dialog itself (labels pass their taps on) away from the name box.
  INT_PTR OnTap(WPARAM, LPARAM lParam) {
    RECT box{};
    const HWND name = GetDlgItem(hwnd(), IDC_PROPS_NAME);
    GetWindowRect(name, &box);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&box), 2);
    if (!PtInRect(&box, win32::PointOf(lParam))) dialogs::ShowSip(false);
    return FALSE;
  }

  // ---- Done ----

  void Confirm() {
    const HWND dialog = hwnd();
    bool failed = false;
    bool chosen[3];
    for (int i = 0; i < 3; ++i) chosen[i] = IsDlgButtonChecked(dialog, kBoxes[i]) == BST_CHECKED;
    if (chosen[0] != initial_[0] || chosen[1] != initial_[1] || chosen[2] != initial_[2]) {
      const DWORD now = CeGetFileAttributes(path_.c_str());
      const DWORD word = core::NewAttributes(now != INVALID_FILE_ATTRIBUTES ? now : found_.dwFileAttributes, chosen[0],
                                             chosen[1], chosen[2]);
      if (now != INVALID_FILE_ATTRIBUTES && SetFileAttributesW(path_.c_str(), word)) {
        for (int i = 0; i < 3; ++i) initial_[i] = chosen[i];
      } else {
        failed = true;
        win32::ShowMessage(dialog, win32::WideView(core::AttributeFailureText(win32::U16View(name_))),
                           win32::WideView(core::kPropertiesCaption), MB_OK | MB_ICONEXCLAMATION);
      }
    }
    // The name box is read whole; a name the file system cannot take counts as a failed rename.
    const std::wstring typed = win32::ControlText(dialog, IDC_PROPS_NAME);
    if (typed != name_) {
      const std::wstring target = win32::Wide(core::JoinFolder(win32::U16View(folder_), win32::U16View(typed)));
      if (core::IsAcceptableNewName(win32::U16View(folder_), win32::U16View(typed)) && RenameItem(path_, target)) {
        path_ = target;  // a second Done works on the item under its new name
        name_ = typed;
      } else {
        failed = true;
        SetDlgItemTextW(dialog, IDC_PROPS_NAME, name_.c_str());
      }
    }
    if (!failed) EndDialog(dialog, IDOK);
  }
  void Close() { EndDialog(hwnd(), IDCANCEL); }

  std::wstring path_;
  WIN32_FIND_DATAW found_;
  std::wstring typeName_;
  win32::Icon icon_;
  std::wstring name_, folder_;
  bool initial_[3] = {};
  win32::KernelHandle worker_;
  HWND target_ = nullptr;  // the dialog, for the worker's messages
  std::atomic<bool> stop_{false};
  std::atomic<std::uint64_t> total_{0};
  std::atomic<bool> posted_{false};
};

}  // namespace

HRESULT RunAddToToday(const std::wstring& path) noexcept {
  const HWND desktop = FindWindowW(nullptr, kDesktopTitle);
  if (!desktop) return S_OK;
  const HWND today = FindByText(desktop);
  if (!today) return S_OK;
  COPYDATASTRUCT data{};
  data.cbData = static_cast<DWORD>(path.size() * sizeof(wchar_t));
  data.lpData = const_cast<wchar_t*>(path.c_str());
  DWORD_PTR result = 0;
  // A busy or hung Today screen must not hang File Explorer; it is as silent as a missing one.
  SendMessageTimeoutW(today, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kTodayTimeoutMs,
                      &result);
  return S_OK;
}

HRESULT RunProperties(HWND owner, const std::wstring& path) noexcept {
  try {
    if (PropertiesDialog::IsOpen()) return HRESULT_FROM_WIN32(ERROR_BUSY);
    WIN32_FIND_DATAW found;
    {
      win32::DeviceFindHandle find(CeFindFirstFile(path.c_str(), &found));
      if (!find) return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_FILE_NOT_FOUND);
    }
    SHFILEINFOW info{};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_TYPENAME | SHGFI_ICON);
    // Without the shell's icon for the item, its icon of a document or a folder.
    if (!info.hIcon)
      ExtractIconExW(L"shell32.dll", (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 3 : 0, &info.hIcon, nullptr,
                     1);
    PropertiesDialog dialog(path, found, info.szTypeName, info.hIcon);
    return dialog.Run(owner);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace quintar::menuvex
