#include "device/shell/today.h"

#include <todaycmn.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "device/shell/devicelog_dyn.h"
#include "device/shell/screen.h"
#include "device/shell/startmenu.h"
#include "win32/handle.h"

namespace quintar::device {
namespace {

constexpr wchar_t kTodayClass[] = L"DesktopExplorerWindow";
constexpr wchar_t kTodayTitle[] = L"DeskTop";
constexpr wchar_t kItemsKey[] = L"SOFTWARE\\Microsoft\\Today\\Items";
constexpr WPARAM kReloadItems = 0xF2;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT_PTR kRunTimer = 3;
constexpr UINT MSG_RELOAD = WM_USER + 0x300;

// The Today theme.
constexpr COLORREF kTopColour = RGB(255, 255, 255);
constexpr COLORREF kBottomColour = RGB(184, 208, 240);
constexpr COLORREF kTextColour = RGB(0, 0, 0);
constexpr COLORREF kHighlightColour = RGB(0, 84, 166);
constexpr COLORREF kHighlightTextColour = RGB(255, 255, 255);
constexpr COLORREF kHeaderColour = RGB(0, 84, 166);

struct Item {
  TODAYLISTITEM record{};  // handed to the item by address, so an Item never moves
  win32::Module module;
  std::wstring windowClass;
};

struct ItemKey {
  std::wstring name;
  std::wstring dll;
  DWORD order = 0, enabled = 0, options = 0, flags = 0;
};

DWORD ReadDword(HKEY key, const wchar_t* name, DWORD fallback) {
  DWORD value = 0, size = sizeof value;
  return RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS ? value : fallback;
}

// The item keys in the order the screen stacks them; keys that cannot name a custom item are left out.
std::vector<ItemKey> ReadItemKeys() {
  std::vector<ItemKey> keys;
  win32::RegKey itemsKey;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kItemsKey, 0, KEY_READ, itemsKey.put()) != ERROR_SUCCESS) return keys;
  const HKEY items = itemsKey.get();
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD nameLength = ARRAYSIZE(name);
    LONG rc = RegEnumKeyExW(items, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) break;
    win32::RegKey subKey;
    if (RegOpenKeyExW(items, name, 0, KEY_READ, subKey.put()) != ERROR_SUCCESS) continue;
    const HKEY sub = subKey.get();
    ItemKey key;
    key.name = name;
    wchar_t dll[MAX_PATH];
    DWORD size = sizeof dll;  // a path that does not fit is refused, never cut
    bool hasDll = RegGetValueW(sub, nullptr, L"DLL", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, dll,
                               &size) == ERROR_SUCCESS &&
                  dll[0] != L'\0';
    DWORD type = ReadDword(sub, L"Type", tlitCustom);
    key.order = ReadDword(sub, L"Order", 0);
    key.enabled = ReadDword(sub, L"Enabled", 0);
    key.options = ReadDword(sub, L"Options", 0);
    key.flags = ReadDword(sub, L"Flags", 0);
    if (!hasDll || type != tlitCustom) continue;
    key.dll = dll;
    keys.push_back(std::move(key));
  }
  std::stable_sort(keys.begin(), keys.end(), [](const ItemKey& a, const ItemKey& b) { return a.order < b.order; });
  return keys;
}

// The owner's name as the device keeps it: the leading text of HKEY_CURRENT_USER
// "ControlPanel\Owner" "Owner" (a binary record on the device, a string when typed in by hand).
std::wstring OwnerName() {
  wchar_t buffer[256] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, L"ControlPanel\\Owner", L"Owner", RRF_RT_REG_SZ | RRF_RT_REG_BINARY, nullptr,
                   buffer, &size) != ERROR_SUCCESS) {
    return {};
  }
  return std::wstring(buffer, wcsnlen(buffer, 36));
}

class TodayScreen {
 public:
  explicit TodayScreen(const TodayOptions& options) : options_(options) {}

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TodayScreen*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
      self = static_cast<TodayScreen*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = self->Handle(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete self;
    }
    return result;
  }

 private:
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
      case WM_CREATE:
        LoadItems();
        SetTimer(hwnd_, kRefreshTimer, options_.refreshMs, nullptr);
        return 0;
      case WM_TIMER:
        if (wParam == kRefreshTimer) Refresh();
        if (wParam == kRunTimer) WatchRunProgram();
        return 0;
      case WM_SETTINGCHANGE:  // == WM_WININICHANGE
        // Deferred: the sender may be one of the items, whose code must not be unloaded under it.
        if (wParam == kReloadItems) PostMessageW(hwnd_, MSG_RELOAD, 0, 0);
        return 0;
      case MSG_RELOAD:
        UnloadItems();
        LoadItems();
        InvalidateRect(hwnd_, nullptr, TRUE);
        return 0;
      case MSG_SHELL_READY:
        if (!StartRunProgram()) WriteReadyMarker();
        return 0;
      case MSG_POWER_OFF_KEY:
        LogEvent(L"power-off-key");
        return 0;
      case TODAYM_GETCOLOR:
        return GetColour(static_cast<DWORD>(wParam));
      case TODAYM_DRAWWATERMARK:
        return DrawWatermark(reinterpret_cast<const TODAYDRAWWATERMARKINFO*>(lParam));
      case TODAYM_TOOKSELECTION:
        TookSelection(wParam, lParam);
        return 0;
      case WM_SIZE:
        Layout();
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        Paint();
        return 0;
      case WM_DESTROY:
        KillTimer(hwnd_, kRefreshTimer);
        UnloadItems();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
  }

  int HeaderHeight() const { return Scaled(22); }

  void LoadItems() {
    for (const ItemKey& key : ReadItemKeys()) {
      auto item = std::make_unique<Item>();
      TODAYLISTITEM& r = item->record;
      lstrcpynW(r.szName, key.name.c_str(), MAX_ITEMNAME);
      r.tlit = tlitCustom;
      r.dwOrder = key.order;
      r.fEnabled = key.enabled != 0;
      r.fOptions = key.options != 0;
      r.grfFlags = key.flags;
      lstrcpynW(r.szDLLPath, key.dll.c_str(), MAX_PATH);
      item->module.reset(LoadLibraryW(r.szDLLPath));
      if (!item->module) continue;
      r.hinstDLL = item->module.get();
      FARPROC entry = GetProcAddress(item->module.get(), MAKEINTRESOURCEA(ORDINAL_INITIALIZEITEM));
      HWND window = nullptr;
      if (entry) {
        auto init = reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(reinterpret_cast<void (*)()>(entry));
        window = init(&r, hwnd_);
      }
      // A disabled item is asked too (it learns of the flag), but is never shown.
      if (window && IsWindow(window) && !r.fEnabled) DestroyWindow(window), window = nullptr;
      if (!window || !IsWindow(window)) continue;
      r.hwndCustom = window;
      wchar_t className[256];
      if (GetClassNameW(window, className, ARRAYSIZE(className))) item->windowClass = className;
      SendMessageW(window, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&r), 0);
      items_.push_back(std::move(item));
    }
    Layout();
  }

  void UnloadItems() {
    for (auto& item : items_) {
      HWND window = item->record.hwndCustom;
      if (!IsWindow(window)) continue;
      SendMessageW(window, WM_TODAYCUSTOM_CLEARCACHE, reinterpret_cast<WPARAM>(&item->record), 0);
      DestroyWindow(window);
    }
    // Classes outlive their DLL unless unregistered, and a later load would find a dangling procedure.
    for (auto& item : items_) {
      if (!item->windowClass.empty()) UnregisterClassW(item->windowClass.c_str(), item->module.get());
    }
    items_.clear();
    selected_ = nullptr;
  }

  void Layout() {
    RECT client;
    GetClientRect(hwnd_, &client);
    int y = HeaderHeight();
    for (auto& item : items_) {
      const TODAYLISTITEM& r = item->record;
      SetWindowPos(r.hwndCustom, nullptr, 0, y, client.right, static_cast<int>(r.cyp), SWP_NOZORDER | SWP_NOACTIVATE);
      y += static_cast<int>(r.cyp);
    }
  }

  void Refresh() {
    bool relayout = false;
    for (auto& item : items_) {
      TODAYLISTITEM& r = item->record;
      if (!IsWindow(r.hwndCustom)) continue;
      DWORD before = r.cyp;
      bool wanted = SendMessageW(r.hwndCustom, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&r), 0);
      if (r.cyp != before) relayout = true;
      if (wanted || r.cyp != before) InvalidateRect(r.hwndCustom, nullptr, TRUE);
    }
    if (relayout) {
      Layout();
      InvalidateRect(hwnd_, nullptr, TRUE);
    }
  }

  static LRESULT GetColour(DWORD which) {
    switch (which) {
      case TODAYCOLOR_TEXT:
        return kTextColour;
      case TODAYCOLOR_HIGHLIGHT:
        return kHighlightColour;
      case TODAYCOLOR_HIGHLIGHTEDTEXT:
        return kHighlightTextColour;
    }
    return GetSysColor(COLOR_WINDOWTEXT);
  }

  // The background of the whole screen, drawn into dc whose origin sits at origin (screen client
  // coordinates), clipped to clip (dc coordinates).
  void PaintBackground(HDC dc, POINT origin, const RECT& clip) const {
    RECT client;
    GetClientRect(hwnd_, &client);
    int saved = SaveDC(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    auto channel = [](COLORREF c, int shift) { return static_cast<COLOR16>(((c >> shift) & 0xFF) << 8); };
    TRIVERTEX v[2] = {
        {-origin.x, -origin.y, channel(kTopColour, 0), channel(kTopColour, 8), channel(kTopColour, 16), 0},
        {client.right - origin.x, client.bottom - origin.y, channel(kBottomColour, 0), channel(kBottomColour, 8),
         channel(kBottomColour, 16), 0}};
    GRADIENT_RECT g = {0, 1};
    GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
    RestoreDC(dc, saved);
  }

  LRESULT DrawWatermark(const TODAYDRAWWATERMARKINFO* info) const {
    if (!info || !info->hdc) return FALSE;
    POINT origin = {0, 0};
    if (info->hwnd && IsWindow(info->hwnd)) MapWindowPoints(info->hwnd, hwnd_, &origin, 1);
    PaintBackground(info->hdc, origin, info->rc);
    return TRUE;
  }

  // Items name themselves by window or by record, in either parameter; both are accepted.
  void TookSelection(WPARAM wParam, LPARAM lParam) {
    Item* taker = nullptr;
    for (auto& item : items_) {
      auto record = reinterpret_cast<UINT_PTR>(&item->record),
           window = reinterpret_cast<UINT_PTR>(item->record.hwndCustom);
      UINT_PTR w = wParam, l = static_cast<UINT_PTR>(lParam);
      if (w == record || w == window || l == record || l == window) taker = item.get();
    }
    if (selected_ && selected_ != taker && IsWindow(selected_->record.hwndCustom)) {
      SendMessageW(selected_->record.hwndCustom, WM_TODAYCUSTOM_LOSTSELECTION, 0, 0);
    }
    selected_ = taker;
  }

  void Paint() {
    const win32::PaintDc paint(hwnd_);
    const HDC dc = paint.get();
    const RECT& dirty = paint.paint().rcPaint;
    RECT client;
    GetClientRect(hwnd_, &client);
    // Drawn off screen so a repaint does not flicker through white.
    const win32::MemoryDc memory(CreateCompatibleDC(dc));
    const HDC mem = memory.get();
    const win32::Bitmap bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    const win32::Selection selected(mem, bitmap.get());
    PaintBackground(mem, {0, 0}, client);
    PaintHeader(mem, client);
    BitBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, mem, dirty.left, dirty.top,
           SRCCOPY);
  }

  void PaintHeader(HDC dc, const RECT& client) const {
    int h = HeaderHeight();
    RECT band = {0, 0, client.right, h};
    FillRect(dc, &band, win32::Brush(CreateSolidBrush(kHeaderColour)).get());
    wchar_t date[80] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, date, ARRAYSIZE(date));
    const win32::Font font(CreateUiFont(8, FW_BOLD));
    const win32::Selection selected(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kHighlightTextColour);
    RECT text = {Scaled(6), 0, client.right - Scaled(6), h};
    std::wstring owner = OwnerName();
    if (!owner.empty()) {
      DrawTextW(dc, owner.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
      SIZE ownerSize = {};
      GetTextExtentPoint32W(dc, owner.c_str(), static_cast<int>(owner.size()), &ownerSize);
      text.right -= ownerSize.cx + Scaled(6);
    }
    DrawTextW(dc, date, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
  }

  // The program asked for on the command line, started as the Start menu starts programs.
  bool StartRunProgram() {
    if (options_.runProgram.empty()) return false;
    if (!OpenThroughShell(hwnd_, options_.runProgram, options_.runArguments, &runProcess_)) {
      LogEvent((L"run-failed " + std::to_wstring(GetLastError()) + L" " + options_.runProgram).c_str());
      return false;
    }
    if (options_.readyMarker.empty())
      runProcess_.reset();
    else
      SetTimer(hwnd_, kRunTimer, 250, nullptr);
    return runProcess_.get() != nullptr;
  }

  // The marker waits until the program shows a window and has drawn it.
  void WatchRunProgram() {
    struct Search {
      DWORD process;
      bool found;
    } search = {GetProcessId(runProcess_.get()), false};
    EnumWindows(
        [](HWND hwnd, LPARAM lParam) {
          auto* s = reinterpret_cast<Search*>(lParam);
          DWORD owner = 0;
          GetWindowThreadProcessId(hwnd, &owner);
          if (owner == s->process && IsWindowVisible(hwnd)) s->found = true;
          return s->found ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    const bool ended = WaitForSingleObject(runProcess_.get(), 0) == WAIT_OBJECT_0;
    if (!search.found && !ended) return;
    KillTimer(hwnd_, kRunTimer);
    if (!ended) WaitForInputIdle(runProcess_.get(), 5000);
    runProcess_.reset();
    WriteReadyMarker();
  }

  // Every window of the shell, items included, is painted before the marker appears.
  void WriteReadyMarker() {
    if (options_.readyMarker.empty()) return;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM) {
          if (IsWindowVisible(hwnd))
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
          return TRUE;
        },
        0);
    GdiFlush();
    win32::FileHandle(CreateFileW(options_.readyMarker.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  }

  HWND hwnd_ = nullptr;
  TodayOptions options_;
  std::vector<std::unique_ptr<Item>> items_;
  Item* selected_ = nullptr;
  win32::KernelHandle runProcess_;
};

}  // namespace

HWND CreateTodayScreen(HINSTANCE instance, const TodayOptions& options) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = TodayScreen::Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kTodayClass;
  if (!RegisterClassW(&wc)) return nullptr;
  SIZE screen = ScreenSize();
  auto* screenObject = new TodayScreen(options);
  HWND hwnd = CreateWindowExW(0, kTodayClass, kTodayTitle, WS_POPUP | WS_CLIPCHILDREN, 0, 0, screen.cx,
                              screen.cy - BandHeight(), nullptr, nullptr, instance, screenObject);
  if (!hwnd) {
    delete screenObject;
    return nullptr;
  }
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  return hwnd;
}

}  // namespace quintar::device
