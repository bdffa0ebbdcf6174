// The item window "MyToday": height negotiation, paint, stylus, menus and the add-a-launcher
// message.
#include <windows.h>
#include <windowsx.h>

#include <string>

#include "platform/include/aygshell.h"
#include "platform/include/todaycmn.h"
#include "todayplugin/glancet.h"
#include "todayplugin/resource.h"

namespace glancet {
namespace {

// Commands of tab and launcher editing, tap actions and themes: not built yet, so their entries
// are shown disabled and the commands are ignored.
constexpr UINT kUnbuiltCommands[] = {IDM_NEW_TAB,       IDM_RENAME_TAB, IDM_DELETE_TAB,     IDM_CHANGE_ICON,
                                     IDM_ADD_ITEMS_TAB, IDM_ARRANGE,    IDM_AUTO_ARRANGE,   IDM_ADD_ITEMS_EMPTY,
                                     IDM_ADD_FILE,      IDM_ADD_FOLDER, IDM_ADD_ITEMS_ITEM, IDM_REMOVE_ITEM,
                                     IDM_LARGE_ICON};

bool IsUnbuilt(UINT id) {
  for (UINT u : kUnbuiltCommands)
    if (u == id) return true;
  return id >= IDM_THEME_FIRST && id <= IDM_THEME_LAST;
}

bool Held(HWND hwnd, int x, int y) {
  SHRGINFO info = {};
  info.cbSize = sizeof info;
  info.hwndClient = hwnd;
  info.ptDown = {x, y};
  info.dwFlags = SHRG_RETURNCMD;
  return SHRecognizeGesture(&info) == GN_CONTEXTMENU;
}

void Track(HWND hwnd, HMENU popup, int x, int y) {
  for (UINT id : kUnbuiltCommands) EnableMenuItem(popup, id, MF_BYCOMMAND | MF_GRAYED);
  POINT pt = {x, y};
  ClientToScreen(hwnd, &pt);
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, 0, hwnd, nullptr);
}

void OpenTabMenu(HWND hwnd, int x, int y) {
  HMENU menu = LoadMenuW(G().instance, MAKEINTRESOURCEW(IDR_MENU_TAB));
  if (!menu) return;
  Track(hwnd, GetSubMenu(menu, 0), x, y);
  DestroyMenu(menu);
}

// The theme files of \windows, for the theme submenu.
HMENU ThemeSubmenu() {
  HMENU sub = CreatePopupMenu();
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(L"\\windows\\*.tsk", &fd);
  if (find != INVALID_HANDLE_VALUE) {
    UINT id = IDM_THEME_FIRST;
    do {
      AppendMenuW(sub, MF_STRING | MF_GRAYED, id++, fd.cFileName);
    } while (id <= IDM_THEME_LAST && FindNextFileW(find, &fd));
    FindClose(find);
  }
  return sub;
}

void OpenItemMenu(HWND hwnd, const ItemRecord& item, int x, int y) {
  Plugin& g = G();
  State& s = *g.state;
  int32_t kind = item.kind;
  HMENU menu = LoadMenuW(g.instance, MAKEINTRESOURCEW(kind == kEmpty ? IDR_MENU_EMPTY : IDR_MENU_ITEM));
  if (!menu) return;
  HMENU popup = GetSubMenu(menu, 0);
  auto top = [&](UINT id, const wchar_t* text, bool separator) {
    if (separator) InsertMenuW(popup, 0, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    InsertMenuW(popup, 0, MF_BYPOSITION | MF_STRING, id, text);
  };
  if (kind == kSmall || kind == kLarge) {
    std::wstring name = Wide(FieldText(item.name));
    top(IDM_TITLE_NAME, name.c_str(), true);
    AppendMenuW(popup, MF_STRING, IDM_LARGE_ICON, L"Large Icon");
    AppendMenuW(popup, MF_STRING, IDM_CHANGE_ICON, L"Change Icon");
  } else if (kind == kBattery) {
    top(IDM_TITLE_BATTERY, L"Battery", false);
  } else if (kind == kMemory) {
    top(IDM_TITLE_MEMORY, L"Memory", true);
    AppendMenuW(popup, MF_STRING, IDM_PROGRAM_MEMORY, L"Used Program Memory");
    AppendMenuW(popup, MF_STRING, IDM_STORAGE_MEMORY, L"Used Storage  Memory");
    AppendMenuW(popup, MF_STRING, IDM_TOTAL_USED, L"Total Used");
  } else if (kind == kStorage) {
    top(IDM_TITLE_STORAGE, L"Storage Card", true);
    for (int k = 0; k < s.cardCount && k < kCardSlots; ++k)
      AppendMenuW(popup, MF_STRING, IDM_CARD_FIRST + k, Wide(FieldText(s.cards[k].name)).c_str());
    AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(popup, MF_STRING, IDM_FREE_SPACE, L"Free Space");
    AppendMenuW(popup, MF_STRING, IDM_USED_SPACE, L"Used Space");
  } else if (kind == kBacklight) {
    top(IDM_TITLE_BACKLIGHT, L"Back Light", false);
  } else if (kind == kThemeSmall || kind == kThemeLarge) {
    top(0, L"Theme Loop", true);
    AppendMenuW(popup, MF_POPUP | MF_GRAYED, reinterpret_cast<UINT_PTR>(ThemeSubmenu()), L"Select Theme");
    AppendMenuW(popup, MF_STRING, IDM_LARGE_ICON, L"Large Icon");
    AppendMenuW(popup, MF_STRING, IDM_CHANGE_ICON, L"Change Icon");
  } else if (kind == kPowerOff || kind == kSoftReset || kind == kHardReset) {
    top(IDM_TITLE_BACKLIGHT, kind == kPowerOff ? L"Power Off" : (kind == kSoftReset ? L"Soft Resert" : L"Hard Resert"),
        false);
    AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(popup, MF_STRING, IDM_CHANGE_ICON, L"Change Icon");
  }
  if (kind == kSmall || kind == kThemeSmall) s.settings.largeIconCheck = 0;
  if (kind == kLarge || kind == kThemeLarge) s.settings.largeIconCheck = kOn;
  Track(hwnd, popup, x, y);
  DestroyMenu(menu);
}

void SetCheckMarks(HMENU menu) {
  const State& s = *G().state;
  CheckMenuRadioItem(menu, IDM_CARD_FIRST, IDM_CARD_LAST, IDM_CARD_FIRST + CheckedCard(s), MF_BYCOMMAND);
  CheckMenuRadioItem(menu, IDM_FREE_SPACE, IDM_USED_SPACE, s.settings.showFree == kOn ? IDM_FREE_SPACE : IDM_USED_SPACE,
                     MF_BYCOMMAND);
  CheckMenuItem(menu, IDM_LARGE_ICON, MF_BYCOMMAND | (s.settings.largeIconCheck == kOn ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, IDM_AUTO_ARRANGE, MF_BYCOMMAND | (s.settings.autoArrange == kOn ? MF_CHECKED : MF_UNCHECKED));
  int32_t mode = s.settings.memoryMode;
  if (mode >= kProgramMemory && mode <= kTotalUsed)
    CheckMenuRadioItem(menu, IDM_PROGRAM_MEMORY, IDM_TOTAL_USED, IDM_PROGRAM_MEMORY + (mode - kProgramMemory),
                       MF_BYCOMMAND);
}

// After a turn of the screen the stored items flow again into the new number of columns.
void Relayout(const Metrics& m) {
  Plugin& g = G();
  State& s = *g.state;
  g.metrics = m;
  LayoutTabBar(m, s);
  if (!ReadDataFile(*g.image)) Save(s, *g.image);  // no file: the content in memory is the truth
  Load(*g.image, m, s);
  LayoutTabBar(m, s);
  s.page = 0;
  s.tabsOnPage = s.tabsPerPage;
  ArrangeFrom(s.grid[s.SelectedTab()], s.columns, 0, 0);
  ComputeHeights(s);
}

void OnPaint(HWND hwnd) {
  Plugin& g = G();
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  Metrics m = MeasureScreen();
  m.scale = g.metrics.scale;  // measured once per process
  if (m.Landscape() != g.paintedLandscape) {
    Relayout(m);
    g.paintedLandscape = m.Landscape();
  } else {
    g.metrics = m;
  }
  DrawItem(dc, hwnd);
  EndPaint(hwnd, &ps);
}

int TabAt(const State& s, int x, int y) {
  int first = s.FirstTabOfPage();
  for (int t = first; t < first + s.tabsOnPage && t < s.tabCount; ++t)
    if (s.tabs[t].rect.Contains(x, y)) return t;
  return -1;
}

bool InNextButton(const State& s, int x, int y) {
  if (!s.MoreTabsThanFit()) return false;
  RECT r = NextIconSquare();
  POINT pt = {x, y};
  return PtInRect(&r, pt);
}

void OnPress(HWND hwnd, int x, int y) {
  Plugin& g = G();
  State& s = *g.state;
  const Metrics& m = g.metrics;
  int tab = TabAt(s, x, y);
  if (HDC dc = GetDC(hwnd)) {
    if (InNextButton(s, x, y)) DrawPressedNext(dc);
    if (tab >= 0) {
      s.Select(tab);
      DrawSelectedTab(dc, tab);
    }
    ReleaseDC(hwnd, dc);
  }
  if (tab >= 0) {
    if (Held(hwnd, x, y)) {
      // The hold becomes a right press at the stylus, which opens the tab menu.
      PostMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
      PostMessageW(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
    }
    InvalidateRect(hwnd, nullptr, FALSE);
    return;
  }

  auto& grid = s.grid[s.SelectedTab()];
  for (int r = 0; r < kShownRows; ++r)
    for (int c = 0; c < s.columns; ++c) grid[r][c].highlight = 0;
  int cell = m.Cell(), sc = m.scale;
  for (int r = 0; r < kShownRows; ++r) {
    for (int c = 0; c < s.columns; ++c) {
      ItemRecord& item = grid[r][c];
      int cx = m.CellX(c), cy = m.CellY(r);
      if (item.kind == kEmpty) {
        if (x >= cx && x < cx + cell && y >= cy && y < cy + cell) {
          if (Held(hwnd, x, y)) OpenItemMenu(hwnd, item, x, y);
          return;
        }
      } else if (IsOneCell(item.kind) || IsLarge(item.kind)) {
        int size = IsLarge(item.kind) ? 2 * cell : cell;
        if (x >= cx && x < cx + size && y >= cy && y < cy + size) {
          item.highlight = 1;
          if (HDC dc = GetDC(hwnd)) {
            DrawPressedCell(dc, item, c, r);
            ReleaseDC(hwnd, dc);
          }
          if (Held(hwnd, x, y)) OpenItemMenu(hwnd, item, x, y);
          InvalidateRect(hwnd, nullptr, FALSE);
          return;
        }
      } else if (IsGauge(item.kind)) {
        int x0 = m.GridLeft() + (20 * c + 5) * sc, y0 = cy;
        if (x >= x0 - 5 * sc && x < x0 + 55 * sc && y >= y0 && y < y0 + 20 * sc) {
          item.highlight = 1;
          if (item.kind == kBacklight && OnBacklightBar(x, y)) {
            g.dragging = true;
            SetBacklightAt(x, false);
            return;
          }
          if (HDC dc = GetDC(hwnd)) {
            DrawGauge(dc, item.kind, x0, y0, true);
            ReleaseDC(hwnd, dc);
          }
          if (Held(hwnd, x, y)) OpenItemMenu(hwnd, item, x, y);
          InvalidateRect(hwnd, nullptr, FALSE);
          return;
        }
      }
    }
  }
}

void OnRelease(HWND hwnd, int x, int y) {
  State& s = *G().state;
  G().dragging = false;
  // Tap actions (launching, system actions, themes) come with a later version: a tap on a
  // launcher does nothing yet.
  if (InNextButton(s, x, y)) {
    NextPage(s);
    InvalidateRect(hwnd, nullptr, FALSE);
  }
  int tab = TabAt(s, x, y);
  if (tab >= 0) {
    s.Select(tab);
    InvalidateRect(hwnd, nullptr, FALSE);
  }
}

// Another program's "Add to Today Screen": the path is taken for at most its field, however
// long the sender says it is, and never read past cbData.
LRESULT OnCopyData(HWND hwnd, const COPYDATASTRUCT* data) {
  if (!data || !data->lpData || data->cbData < sizeof(wchar_t)) return 0;
  std::size_t chars = data->cbData / sizeof(wchar_t);
  if (chars > kPathChars - 1) chars = kPathChars - 1;
  const auto* text = static_cast<const char16_t*>(data->lpData);
  std::size_t n = 0;
  while (n < chars && text[n] != u'\0') ++n;
  std::u16string path(text, n);
  if (path.empty()) return 0;
  AddLauncher(*G().state, path, ShellDisplayName(path));
  SaveDataFile();
  InvalidateRect(hwnd, nullptr, FALSE);
  return 0;
}

LRESULT OnQueryRefresh(WPARAM wParam) {
  Plugin& g = G();
  State& s = *g.state;
  bool cards = RefreshStatus();
  auto* item = reinterpret_cast<TODAYLISTITEM*>(wParam);
  // Without a storage card the status refresh stops early, but the item still gets its height:
  // a device without a card would otherwise never show the item at all.
  if (!item) return cards ? 1 : 0;
  int selected = s.SelectedTab();
  s.heights[selected] = TabHeight(s.grid[selected]);
  int tallest = TallestTab(s);
  if (item->cyp != 0 && tallest == g.reportedHeight) return 0;
  g.reportedHeight = tallest;
  item->cyp = static_cast<DWORD>(g.metrics.scale * tallest);
  return 1;
}

LRESULT Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Plugin& g = G();
  switch (msg) {
    case WM_CREATE:
      if (HDC dc = GetDC(hwnd)) {
        TEXTMETRICW tm = {};
        GetTextMetricsW(dc, &tm);
        g.lineHeight = tm.tmHeight + tm.tmExternalLeading;
        ReleaseDC(hwnd, dc);
      }
      g.paintedLandscape = g.metrics.Landscape();
      return 0;
    case WM_PAINT:
      OnPaint(hwnd);
      return 0;
    case WM_LBUTTONDOWN:
      OnPress(hwnd, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_MOUSEMOVE: {
      int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
      if (g.dragging && (wParam & MK_LBUTTON) && OnBacklightBar(x, y)) SetBacklightAt(x, true);
      return 0;
    }
    case WM_LBUTTONUP:
      OnRelease(hwnd, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_RBUTTONDOWN:
      OpenTabMenu(hwnd, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_INITMENUPOPUP:
      SetCheckMarks(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_COMMAND: {
      UINT id = LOWORD(wParam);
      if ((id >= IDM_PROGRAM_MEMORY && id <= IDM_TOTAL_USED) || id == IDM_FREE_SPACE || id == IDM_USED_SPACE ||
          (id >= IDM_CARD_FIRST && id <= IDM_CARD_LAST)) {
        OnGaugeCommand(id);
        return 0;
      }
      if (IsUnbuilt(id)) return 0;
      break;
    }
    case WM_COPYDATA:
      return OnCopyData(hwnd, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_TODAYCUSTOM_CLEARCACHE:
      return 0;
    case WM_TODAYCUSTOM_QUERYREFRESHCACHE:
      return OnQueryRefresh(wParam);
    case WM_DESTROY:
      if (g.window == hwnd) g.window = nullptr;
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK ItemProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!G().state) return DefWindowProcW(hwnd, msg, wParam, lParam);
  try {
    return Handle(hwnd, msg, wParam, lParam);
  } catch (...) {
    return 0;  // nothing escapes into the Today screen
  }
}

}  // namespace glancet
