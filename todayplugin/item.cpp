#include "todayplugin/item.h"

#include <windows.h>

#include <shellapi.h>

#include <ceservices.h>
#include <todaycmn.h>

#include <memory>
#include <optional>

#include "todayplugin/core/glancet_edit.h"
#include "todayplugin/core/glancet_tap.h"
#include "todayplugin/datafile.h"
#include "todayplugin/menus.h"
#include "todayplugin/resource.h"
#include "todayplugin/status.h"
#include "todayplugin/themes.h"
#include "win32/handle.h"
#include "win32/shell.h"
#include "win32/text.h"

namespace quintar::glancet {

using namespace core;

core::Metrics MeasureScreen() {
  Metrics m;
  if (win32::WindowDc dc{nullptr}) m.scale = GetDeviceCaps(dc.get(), LOGPIXELSX) > 96 ? 2 : 1;
  m.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  m.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  return m;
}

std::u16string NameFromPath(std::u16string_view path) {
  std::u16string name(path.substr(path.find_last_of(u'\\') + 1));
  if (name.size() > 4 && lstrcmpiW(win32::Wide(name.substr(name.size() - 4)).c_str(), L".lnk") == 0)
    name.resize(name.size() - 4);
  return name;
}

std::u16string ShellDisplayName(std::u16string_view path) {
  SHFILEINFOW info = {};
  std::wstring wide = win32::Wide(path);
  if (SHGetFileInfoW(wide.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME) && info.szDisplayName[0])
    return win32::U16(info.szDisplayName);
  return NameFromPath(path);
}

Item::Item(HINSTANCE instance)
    : instance_(instance), metrics_(MeasureScreen()), paths_(MakeStripPaths(metrics_.scale)) {
  // The file was written at attach when there was none; if that failed, the defaults live in
  // memory only.
  if (ReadDataFile(image_))
    Load(image_, metrics_, state_);
  else
    BuildDefaults(metrics_, paths_, NameFromPath, image_, state_);
  ArrangeFrom(state_.grid[0], state_.columns, 0, 0);
  ComputeHeights(state_);
  laidOutLandscape_ = metrics_.Landscape();
  LayOut();
}

HWND Item::Open(HINSTANCE instance, HWND parent) {
  std::unique_ptr<Item> item(new Item(instance));
  WNDCLASSW wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.hInstance = instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  wc.lpszClassName = kClassName;
  RegisterClass(wc);  // already registered by an earlier item: fine
  HWND hwnd = item->Create(0, kClassName, kWindowTitle, WS_CHILD | WS_VISIBLE,
                           {CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT}, parent, instance);
  if (!hwnd) return nullptr;
  item.release()->owned_ = true;
  return hwnd;
}

void Item::OnFinalMessage() noexcept {
  if (owned_) delete this;
}

std::span<const win32::MessageEntry<Item>> Item::Messages() {
  static constexpr win32::MessageEntry<Item> kMessages[] = {
      win32::On<&Item::OnPaint>(WM_PAINT),
      win32::On<&Item::OnSize>(WM_SIZE),
      win32::On<&Item::OnPress>(WM_LBUTTONDOWN),
      win32::On<&Item::OnMove>(WM_MOUSEMOVE),
      win32::On<&Item::OnRelease>(WM_LBUTTONUP),
      win32::On<&Item::OnRightPress>(WM_RBUTTONDOWN),
      win32::On<&Item::OnInitMenuPopup>(WM_INITMENUPOPUP),
      win32::On<&Item::OnCopyData>(WM_COPYDATA),
      win32::On<&Item::OnClearCache>(WM_TODAYCUSTOM_CLEARCACHE),
      win32::On<&Item::OnQueryRefresh>(WM_TODAYCUSTOM_QUERYREFRESHCACHE),
      win32::On<&Item::OnRenameTab>(MSG_RENAME_TAB),
  };
  return kMessages;
}

std::span<const win32::CommandEntry<Item>> Item::Commands() {
  using win32::Command;
  static constexpr win32::CommandEntry<Item> kCommands[] = {
      Command<&Item::GaugeCommand>(IDM_PROGRAM_MEMORY, IDM_TOTAL_USED),
      Command<&Item::GaugeCommand>(IDM_FREE_SPACE, IDM_USED_SPACE),
      Command<&Item::GaugeCommand>(IDM_CARD_FIRST, IDM_CARD_LAST),
      Command<&Item::NewTabCommand>(IDM_NEW_TAB),
      Command<&Item::RenameTabCommand>(IDM_RENAME_TAB),
      Command<&Item::DeleteTabCommand>(IDM_DELETE_TAB),
      Command<&Item::ChangeIconCommand>(IDM_CHANGE_ICON),
      Command<&Item::AddCommand>(IDM_ADD_ITEMS_TAB),
      Command<&Item::ArrangeCommand>(IDM_ARRANGE),
      Command<&Item::AutoArrangeCommand>(IDM_AUTO_ARRANGE),
      Command<&Item::AddCommand>(IDM_ADD_ITEMS_EMPTY, IDM_ADD_FOLDER),
      Command<&Item::AddCommand>(IDM_ADD_ITEMS_ITEM),
      Command<&Item::RemoveCommand>(IDM_REMOVE_ITEM),
      Command<&Item::LargeIconCommand>(IDM_LARGE_ICON),
      Command<&Item::ThemeCommand>(IDM_THEME_FIRST, IDM_THEME_LAST),
  };
  return kCommands;
}

// ---- Layout ------------------------------------------------------------------------------------

void Item::LayOut() { core::LayOut(metrics_, gauges_.battery, state_, layout_); }

// A turn of the screen flows the stored items again into the new number of columns; any other
// change of its size lays the same content out again.
void Item::FollowScreen() {
  Metrics m = metrics_;
  m.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  m.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  if (m.Landscape() != laidOutLandscape_) {
    Reload(m);
    laidOutLandscape_ = m.Landscape();
  } else if (m.screenWidth != metrics_.screenWidth || m.screenHeight != metrics_.screenHeight) {
    metrics_ = m;
    LayOut();
  }
}

void Item::Reload(const Metrics& m) {
  State& s = state_;
  metrics_ = m;
  LayoutTabBar(m, s);
  if (!ReadDataFile(image_)) core::Save(s, image_);  // no file: the content in memory is the truth
  Load(image_, m, s);
  LayoutTabBar(m, s);
  s.page = 0;
  s.tabsOnPage = s.tabsPerPage;
  ArrangeFrom(s.grid[s.SelectedTab()], s.columns, 0, 0);
  ComputeHeights(s);
  LayOut();
}

bool Item::Save() {
  core::Save(state_, image_);
  return WriteDataFile(image_);
}

// ---- Messages ----------------------------------------------------------------------------------

LRESULT Item::OnPaint(WPARAM, LPARAM) {
  FollowScreen();
  win32::PaintDc paint(hwnd());
  drawing_.Item(paint.get(), hwnd(), View());
  return 0;
}

LRESULT Item::OnSize(WPARAM, LPARAM) {
  FollowScreen();
  return 0;
}

bool Item::Held(POINT at) const { return win32::IsTapAndHold(hwnd(), at); }

int Item::TabAt(POINT at) const {
  const State& s = state_;
  int first = s.FirstTabOfPage();
  for (int t = first; t < first + s.tabsOnPage && t < s.tabCount; ++t)
    if (s.tabs[t].rect.Contains(at.x, at.y)) return t;
  return -1;
}

bool Item::InNextButton(POINT at) const { return state_.MoreTabsThanFit() && layout_.nextIcon.Contains(at.x, at.y); }

LRESULT Item::OnPress(WPARAM, LPARAM lParam) {
  POINT at = win32::PointOf(lParam);
  int tab = TabAt(at);
  if (win32::WindowDc dc{hwnd()}) {
    if (InNextButton(at)) drawing_.PressedNext(dc.get(), View());
    if (tab >= 0) {
      state_.Select(tab);
      LayOut();
      drawing_.SelectedTab(dc.get(), View(), tab, TextColour(hwnd()));
    }
  }
  if (tab >= 0) {
    iconOnTab_ = true;
    if (Held(at)) {
      // The hold becomes a right press at the stylus, which opens the tab menu.
      PostMessageW(hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, lParam);
      PostMessageW(hwnd(), WM_RBUTTONUP, 0, lParam);
    }
    InvalidateRect(hwnd(), nullptr, FALSE);
    return 0;
  }
  PressCell(at);
  return 0;
}

// A press in the grid: the first cell that takes the point, in rows from the top.
void Item::PressCell(POINT at) {
  State& s = state_;
  const Metrics& m = metrics_;
  auto& grid = s.grid[s.SelectedTab()];
  for (int r = 0; r < kShownRows; ++r)
    for (int c = 0; c < s.columns; ++c) grid[r][c].highlight = 0;
  const int cell = m.Cell(), x = at.x, y = at.y;
  for (int r = 0; r < kShownRows; ++r) {
    for (int c = 0; c < s.columns; ++c) {
      ItemRecord& item = grid[r][c];
      int cx = m.CellX(c), cy = m.CellY(r);
      if (item.kind == kEmpty) {
        if (x >= cx && x < cx + cell && y >= cy && y < cy + cell) {
          if (Held(at)) OpenItemMenu(hwnd(), instance_, s, item, at, themeMenu_);
          return;
        }
      } else if (IsOneCell(item.kind) || IsLarge(item.kind)) {
        int size = IsLarge(item.kind) ? 2 * cell : cell;
        if (x >= cx && x < cx + size && y >= cy && y < cy + size) {
          item.highlight = 1;
          iconOnTab_ = false;
          if (win32::WindowDc dc{hwnd()}) drawing_.PressedCell(dc.get(), View(), item, c, r);
          if (Held(at)) OpenItemMenu(hwnd(), instance_, s, item, at, themeMenu_);
          InvalidateRect(hwnd(), nullptr, FALSE);
          return;
        }
      } else if (const GaugePlace* gauge = IsGauge(item.kind) ? layout_.GaugeAt(c, r) : nullptr) {
        if (gauge->band.Contains(x, y)) {
          item.highlight = 1;
          iconOnTab_ = false;
          if (item.kind == kBacklight && OnBacklightBar(at)) {
            dragging_ = true;
            SetBacklightAt(x, false);
            return;
          }
          if (win32::WindowDc dc{hwnd()}) drawing_.Gauge(dc.get(), View(), *gauge, true);
          if (Held(at)) OpenItemMenu(hwnd(), instance_, s, item, at, themeMenu_);
          InvalidateRect(hwnd(), nullptr, FALSE);
          return;
        }
      }
    }
  }
}

LRESULT Item::OnMove(WPARAM wParam, LPARAM lParam) {
  POINT at = win32::PointOf(lParam);
  if (dragging_ && (wParam & MK_LBUTTON) && OnBacklightBar(at)) SetBacklightAt(at.x, true);
  return 0;
}

LRESULT Item::OnRelease(WPARAM, LPARAM lParam) {
  POINT at = win32::PointOf(lParam);
  dragging_ = false;
  TapAction(at);
  if (InNextButton(at)) {
    NextPage(state_);
    LayOut();
    InvalidateRect(hwnd(), nullptr, FALSE);
  }
  int tab = TabAt(at);
  if (tab >= 0) {
    state_.Select(tab);
    LayOut();
    InvalidateRect(hwnd(), nullptr, FALSE);
  }
  return 0;
}

LRESULT Item::OnRightPress(WPARAM, LPARAM lParam) {
  OpenTabMenu(hwnd(), instance_, win32::PointOf(lParam));
  return 0;
}

LRESULT Item::OnInitMenuPopup(WPARAM wParam, LPARAM) {
  SetCheckMarks(reinterpret_cast<HMENU>(wParam), state_);
  return 0;
}

// Another program's "Add to Today Screen". Only a whole UTF-16 device path that fits the target
// field is taken (a terminator at its end is allowed); anything else adds nothing, and the file is
// saved either way, as it always is after this message.
LRESULT Item::OnCopyData(WPARAM, LPARAM lParam) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (!data || !data->lpData || data->cbData == 0 || data->cbData % sizeof(wchar_t) != 0) return 0;
  std::size_t chars = data->cbData / sizeof(wchar_t);
  if (chars > kPathChars) return 0;  // 99 characters and perhaps the terminator
  std::u16string path(static_cast<const char16_t*>(data->lpData), chars);
  if (!path.empty() && path.back() == u'\0') path.pop_back();
  if (IsStorableTarget(path)) AddLauncher(state_, path, ShellDisplayName(path));
  Changed();
  return 0;
}

LRESULT Item::OnQueryRefresh(WPARAM wParam, LPARAM) {
  State& s = state_;
  bool cards = ReadStatus(s, gauges_);
  LayOut();
  auto* item = reinterpret_cast<TODAYLISTITEM*>(wParam);
  // Without a storage card the status refresh stops early, but the item still gets its height:
  // a device without a card would otherwise never show the item at all.
  if (!item) return cards ? 1 : 0;
  int selected = s.SelectedTab();
  s.heights[selected] = TabHeight(s.grid[selected]);
  int tallest = TallestTab(s);
  if (item->cyp != 0 && tallest == reportedHeight_) return 0;
  reportedHeight_ = tallest;
  item->cyp = static_cast<DWORD>(metrics_.scale * tallest);
  return 1;
}

LRESULT Item::OnRenameTab(WPARAM, LPARAM lParam) {
  const auto& name = *reinterpret_cast<const std::u16string*>(lParam);
  State& s = state_;
  int first = s.FirstTabOfPage();
  for (int t = first; t < first + s.tabsOnPage && t < s.tabCount; ++t)
    if (s.tabs[t].selected) SetField(s.tabs[t].name, name);
  return 0;
}

// ---- Editing ------------------------------------------------------------------------------------

EditContext Item::Editing() {
  return {instance_, state_, paths_, metrics_, View(), [this] { Changed(); }};
}

void Item::Changed() {
  ComputeHeights(state_);
  LayOut();
  Save();
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void Item::NewTabCommand() {
  EditContext c = Editing();
  RunNewTabDialog(hwnd(), c);
}

void Item::RenameTabCommand() {
  EditContext c = Editing();
  RunRenameTabDialog(hwnd(), c);
}

void Item::DeleteTabCommand() {
  if (win32::ShowMessage(hwnd(), L"Do you want to delete this tab?", L"Zek Pellvane",
                         MB_YESNOCANCEL | MB_ICONINFORMATION) != IDYES)
    return;
  if (DeleteSelectedTab(state_) == DeleteTabResult::kLastTab) {
    win32::ShowMessage(nullptr, L"Sorry you cannot delete the lastly tab!", L"Error", MB_ICONINFORMATION);
    return;
  }
  Changed();
}

void Item::ChangeIconCommand() {
  EditContext c = Editing();
  RunIconDialog(hwnd(), c, picker_, iconOnTab_);
}

void Item::AddCommand(int id) {
  if (id == IDM_ADD_FILE)
    addPage_ = 1;
  else if (id == IDM_ADD_FOLDER)
    addPage_ = 2;
  else if (id != IDM_ADD_ITEMS_TAB)
    addPage_ = 0;
  EditContext c = Editing();
  RunAddDialog(hwnd(), c, addPage_);
}

void Item::ArrangeCommand() {
  ArrangeSelected(state_);
  Changed();
}

void Item::AutoArrangeCommand() {
  ToggleAutoArrange(state_);
  Changed();
}

void Item::RemoveCommand() {
  RemoveHighlighted(state_);
  Changed();
}

void Item::LargeIconCommand() {
  if (ToggleLargeIcon(state_, paths_) == LargeIconResult::kFull) {
    win32::ShowMessage(hwnd(), L"Sorry the client window is full,so you can't change the icon to larage",
                       L"The run failed", MB_ICONHAND);
    return;
  }
  Changed();
}

// ---- Tap actions ----------------------------------------------------------------------------------

namespace {

// A control-panel applet, started with its command line; failures are not reported.
void StartControlPanel(int32_t gaugeKind) {
  std::wstring line = win32::Wide(ControlPanelCommandLine(gaugeKind));
  if (line.empty()) return;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (CreateProcessW(win32::WidePtr(kControlPanel), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                     &pi)) {
    win32::KernelHandle process(pi.hProcess), thread(pi.hThread);
  }
}

bool Confirmed(const wchar_t* text, const wchar_t* caption) {
  return win32::ShowMessage(nullptr, text, caption, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

}  // namespace

void Item::Launch(std::u16string_view target) {
  std::optional<uint32_t> attributes;
  WIN32_FIND_DATAW fd;
  const std::wstring path = win32::Wide(target);
  if (win32::FindHandle find(FindFirstFileW(path.c_str(), &fd)); find) attributes = fd.dwFileAttributes;
  std::optional<LaunchPlan> plan = PlanLaunch(target, attributes);
  if (!plan) return;
  const std::wstring file = win32::Wide(plan->file), parameters = win32::Wide(plan->parameters);
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOW;
  info.hInstApp = instance_;
  CeShellExecuteEx(&info);  // a target that cannot be opened is not reported
}

void Item::TapAction(POINT at) {
  const TapHit hit = HitItem(state_, layout_, metrics_, at.x, at.y);
  if (hit.kind == kEmpty) return;
  const ItemRecord& item = state_.grid[state_.SelectedTab()][hit.row][hit.column];
  switch (hit.kind) {
    case kSmall:
    case kLarge:
      Launch(FieldText(item.target));
      break;
    case kBattery:
    case kMemory:
    case kStorage:
      StartControlPanel(hit.kind);
      break;
    case kBacklight:
      if (hit.onBar)
        InvalidateRect(hwnd(), nullptr, FALSE);  // the press moved the knob already
      else if (hit.onIcon)
        StartControlPanel(kBacklight);
      break;
    case kPowerOff:
      keybd_event(VK_OFF, 0, 0, 0);
      keybd_event(VK_OFF, 0, KEYEVENTF_KEYUP, 0);
      break;
    case kSoftReset:
      if (Confirmed(L"Do you really want to Soft Reset your Pocket PC", L"Soft Reset Pocket PC"))
        KernelIoControl(IOCTL_HAL_REBOOT, nullptr, 0, nullptr, 0, nullptr);
      break;
    case kHardReset:
      if (Confirmed(L"Do you really want to Hard Reset your Pocket PC", L"Hard Reset Pocket PC")) {
        SetCleanRebootFlag();
        KernelIoControl(IOCTL_HAL_REBOOT, nullptr, 0, nullptr, 0, nullptr);
      }
      break;
    case kThemeSmall:
      NextTheme(hwnd(), state_, themeMenu_.get());  // the small button keeps the index in memory until the next save
      break;
    case kThemeLarge:
      if (NextTheme(hwnd(), state_, themeMenu_.get())) Save();
      break;
    default:
      break;
  }
}

void Item::ThemeCommand(int id) {
  if (ApplyThemeFromMenu(hwnd(), state_, id - IDM_THEME_FIRST, themeMenu_.get())) Changed();
}

// ---- The gauges' controls ----------------------------------------------------------------------

void Item::GaugeCommand(int id) {
  State& s = state_;
  if (id >= IDM_PROGRAM_MEMORY && id <= IDM_TOTAL_USED)
    SetMemoryMode(s, gauges_, kProgramMemory + static_cast<int32_t>(id - IDM_PROGRAM_MEMORY));
  else if (id == IDM_FREE_SPACE || id == IDM_USED_SPACE)
    SetStorageShowsFree(s, id == IDM_FREE_SPACE);
  else if (id >= IDM_CARD_FIRST && id <= IDM_CARD_LAST)
    SelectCard(s, id - IDM_CARD_FIRST);
  LayOut();
  Save();
  InvalidateRect(hwnd(), nullptr, FALSE);
}

bool Item::OnBacklightBar(POINT at) const {
  const GaugePlace* place = layout_.Last(kBacklight);
  return place && place->barPress.Contains(at.x, at.y);
}

void Item::DrawBacklightHighlighted() {
  const GaugePlace* place = layout_.Last(kBacklight);
  if (!place) return;
  if (win32::WindowDc dc{hwnd()}) drawing_.Gauge(dc.get(), View(), *place, true);
}

void Item::SetBacklightAt(int x, bool drag) {
  const GaugePlace* place = layout_.Last(kBacklight);
  if (!place) return;
  const int s = metrics_.scale, x0 = place->x0;
  BacklightSetting setting = BacklightFromOffset((x - x0) / s);
  if (!setting.valid) return;
  if (drag) {
    layout_.knobX = ClampKnob(x, x0, s);
    PlaceKnobs(metrics_, layout_);
    DrawBacklightHighlighted();
    WriteBacklight(setting);
  } else {
    WriteBacklight(setting);
    layout_.knobX = ClampKnob(x, x0, s);
    PlaceKnobs(metrics_, layout_);
    ItemRecord& cell = state_.grid[state_.SelectedTab()][place->row][place->column];
    if (cell.kind == kBacklight) cell.highlight = 1;
    DrawBacklightHighlighted();
  }
  SendMessageW(hwnd(), WM_SETTINGCHANGE, 0xF2, 0);
}

}  // namespace quintar::glancet
