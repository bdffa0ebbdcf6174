// The menu bar: a band along the bottom of the screen, owned by the window it serves, holding
// soft keys. A key either sends its command to that window or opens its popup menu above itself.
// It answers the shell's SHCMBM_ messages and the toolbar messages programs use on soft keys.
//
// Resources: a "SHMENUBAR" (RCDATA) resource — the menu id, the key count, then per key seven
// words: image, command, state, style, string id, 0, popup index in that menu (NOMENU for none)
// — or, with SHCMBF_HMENU or when no such resource exists, a MENU whose top-level items become
// the keys (a popup opens, a plain item sends its command).
#include <new>
#include <string>
#include <vector>

#include "platform/aygshell/aygshell_internal.h"

using namespace quintar;

namespace {

constexpr wchar_t kBarClass[] = L"menu_worker";
constexpr wchar_t kBarProp[] = L"Quintar.Ayg.MenuBar";
constexpr UINT MSG_OPEN_POPUP = WM_USER + 0x300;  // past the SHCMBM_* messages the bar answers

struct Key {
  int id = 0;
  BYTE state = TBSTATE_ENABLED;
  BYTE style = 0;
  int image = I_IMAGENONE;
  std::wstring text;
  HMENU popup = nullptr;
  LPARAM data = 0;
};

struct Bar {
  HWND hwnd = nullptr;
  HWND owner = nullptr;  // the window given as hwndParent: commands go there
  win32::Menu menu;      // loaded from the resources
  win32::ImageList images;
  win32::Font font;
  std::vector<Key> keys;
  COLORREF back = CLR_INVALID;
  int pressed = -1;
  bool pressedInside = false;
};

std::wstring StripAccelerator(const wchar_t* text) {
  std::wstring out;
  for (const wchar_t* p = text; *p; ++p) {
    if (*p == L'\t') break;
    if (*p == L'&') {
      if (p[1] != L'&') continue;
      ++p;
    }
    out.push_back(*p);
  }
  return out;
}

std::wstring ShellString(UINT id) {
  static const wchar_t* const kNames[] = {L"",     L"New", L"Edit",      L"Tools", L"View",
                                          L"File", L"Go",  L"Favorites", L"Open",  L"Menu"};
  return id < sizeof kNames / sizeof kNames[0] ? kNames[id] : L"";
}

std::wstring LoadText(HINSTANCE inst, UINT id) {
  if (id == 0) return {};
  const wchar_t* text = nullptr;
  int length = LoadStringW(inst, id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length > 0 && text) return StripAccelerator(std::wstring(text, length).c_str());
  return ShellString(id);
}

std::wstring MenuItemText(HMENU menu, UINT pos) {
  wchar_t buffer[128] = {};
  if (GetMenuStringW(menu, pos, buffer, 128, MF_BYPOSITION) <= 0) return {};
  return StripAccelerator(buffer);
}

bool LoadFromShMenuBar(Bar& bar, HINSTANCE inst, HRSRC res) {
  DWORD size = SizeofResource(inst, res);
  HGLOBAL global = LoadResource(inst, res);
  const auto* words = global ? static_cast<const WORD*>(LockResource(global)) : nullptr;
  if (!words || size < 4) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  WORD menuId = words[0];
  WORD count = words[1];
  constexpr WORD kMaxKeys = 16;
  if (count > kMaxKeys || size < 4u + count * 14u) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  bool needsMenu = false;
  for (WORD i = 0; i < count; ++i) needsMenu |= words[2 + i * 7 + 6] != NOMENU;
  if (needsMenu) {
    bar.menu.reset(LoadMenuW(inst, MAKEINTRESOURCEW(menuId)));
    if (!bar.menu) return false;
  }
  for (WORD i = 0; i < count; ++i) {
    const WORD* w = words + 2 + i * 7;
    Key key;
    key.image = static_cast<SHORT>(w[0]);
    key.id = w[1];
    key.state = static_cast<BYTE>(w[2]);
    key.style = static_cast<BYTE>(w[3]);
    key.text = LoadText(inst, w[4]);
    if (w[6] != NOMENU && bar.menu && w[6] < GetMenuItemCount(bar.menu.get())) {
      key.popup = GetSubMenu(bar.menu.get(), w[6]);
      if (key.text.empty()) key.text = MenuItemText(bar.menu.get(), w[6]);
    }
    bar.keys.push_back(std::move(key));
  }
  return true;
}

bool LoadFromMenu(Bar& bar, HINSTANCE inst, UINT id) {
  bar.menu.reset(LoadMenuW(inst, MAKEINTRESOURCEW(id)));
  if (!bar.menu) return false;
  int count = GetMenuItemCount(bar.menu.get());
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STATE | MIIM_FTYPE;
    if (!GetMenuItemInfoW(bar.menu.get(), i, TRUE, &info) || (info.fType & MFT_SEPARATOR)) continue;
    Key key;
    key.popup = info.hSubMenu;
    // A popup key has no command of its own; programs reach it by index (TBIF_BYINDEX).
    key.id = info.hSubMenu ? 0 : static_cast<int>(info.wID);
    if (info.fState & MFS_DISABLED) key.state &= ~TBSTATE_ENABLED;
    key.text = MenuItemText(bar.menu.get(), i);
    bar.keys.push_back(std::move(key));
  }
  return true;
}

Bar* BarOf(HWND hwnd) { return reinterpret_cast<Bar*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

bool Visible(const Key& key) { return !(key.state & TBSTATE_HIDDEN); }

RECT KeyRect(const Bar& bar, int index) {
  RECT client;
  GetClientRect(bar.hwnd, &client);
  int shown = 0, slot = -1;
  for (int i = 0; i < static_cast<int>(bar.keys.size()); ++i) {
    if (!Visible(bar.keys[i])) continue;
    if (i == index) slot = shown;
    ++shown;
  }
  if (slot < 0) return RECT{};
  LONG width = client.right - client.left;
  return RECT{client.left + width * slot / shown, client.top, client.left + width * (slot + 1) / shown, client.bottom};
}

int HitTest(const Bar& bar, POINT pt) {
  for (int i = 0; i < static_cast<int>(bar.keys.size()); ++i) {
    RECT rc = KeyRect(bar, i);
    if (Visible(bar.keys[i]) && PtInRect(&rc, pt)) return i;
  }
  return -1;
}

int IndexOfCommand(const Bar& bar, WPARAM id) {
  for (int i = 0; i < static_cast<int>(bar.keys.size()); ++i) {
    if (bar.keys[i].id == static_cast<int>(id)) return i;
  }
  return -1;
}

// A key works only while its window takes input: a modal dialog over the owner silences it.
bool Usable(const Bar& bar, int index) {
  if (index < 0 || index >= static_cast<int>(bar.keys.size())) return false;
  const Key& key = bar.keys[index];
  if (!(key.state & TBSTATE_ENABLED) || !Visible(key)) return false;
  if (!IsWindow(bar.owner)) return false;
  HWND root = GetAncestor(bar.owner, GA_ROOT);
  return IsWindowEnabled(bar.owner) && (!root || IsWindowEnabled(root));
}

void Paint(Bar& bar) {
  win32::PaintDc paint(bar.hwnd);
  const HDC dc = paint.get();
  RECT client;
  GetClientRect(bar.hwnd, &client);
  COLORREF back = bar.back != CLR_INVALID ? bar.back : GetSysColor(COLOR_BTNFACE);
  FillRect(dc, &client, win32::Brush(CreateSolidBrush(back)).get());
  win32::Selection font(dc, bar.font ? bar.font.get() : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  bool ownerTakesInput = IsWindow(bar.owner) && IsWindowEnabled(bar.owner);
  for (int i = 0; i < static_cast<int>(bar.keys.size()); ++i) {
    const Key& key = bar.keys[i];
    if (!Visible(key)) continue;
    RECT rc = KeyRect(bar, i);
    bool down = (i == bar.pressed && bar.pressedInside) || (key.state & (TBSTATE_PRESSED | TBSTATE_CHECKED));
    if (down) FillRect(dc, &rc, GetSysColorBrush(COLOR_HIGHLIGHT));
    bool enabled = (key.state & TBSTATE_ENABLED) && ownerTakesInput;
    SetTextColor(dc, GetSysColor(down ? COLOR_HIGHLIGHTTEXT : enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    RECT textRect = rc;
    if (bar.images && key.image >= 0 && key.image < ImageList_GetImageCount(bar.images.get())) {
      int cx = 0, cy = 0;
      ImageList_GetIconSize(bar.images.get(), &cx, &cy);
      int x = key.text.empty() ? (rc.left + rc.right - cx) / 2 : rc.left + 4;
      ImageList_Draw(bar.images.get(), key.image, dc, x, (rc.top + rc.bottom - cy) / 2,
                     enabled ? ILD_NORMAL : ILD_BLEND50);
      if (!key.text.empty()) textRect.left = x + cx + 2;
    }
    if (!key.text.empty()) {
      DrawTextW(dc, key.text.c_str(), static_cast<int>(key.text.size()), &textRect,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (rc.left > client.left) {
      RECT line{rc.left, rc.top + 3, rc.left + 1, rc.bottom - 3};
      FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
    }
  }
  RECT top{client.left, client.top, client.right, client.top + 1};
  FillRect(dc, &top, GetSysColorBrush(COLOR_BTNSHADOW));
}

void Place(Bar& bar) {
  RECT screen = aygshell::ScreenRect();
  int band = aygshell::MenuBandHeight();
  SetWindowPos(bar.hwnd, nullptr, screen.left, screen.bottom - band, screen.right - screen.left, band,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void SendCommand(const Bar& bar, int id, LPARAM from) {
  if (IsWindow(bar.owner)) PostMessageW(bar.owner, WM_COMMAND, MAKEWPARAM(id, 0), from);
}

void OpenPopup(Bar& bar, int index) {
  if (!Usable(bar, index) || !bar.keys[index].popup || !IsMenu(bar.keys[index].popup)) return;
  HWND self = bar.hwnd;
  HWND owner = bar.owner;
  HMENU popup = bar.keys[index].popup;
  RECT key = KeyRect(bar, index);
  RECT client;
  GetClientRect(self, &client);
  bool rightSide = (key.left + key.right) / 2 > (client.left + client.right) / 2;
  MapWindowPoints(self, nullptr, reinterpret_cast<POINT*>(&key), 2);
  bar.pressed = index;
  bar.pressedInside = true;
  InvalidateRect(self, nullptr, FALSE);
  UpdateWindow(self);

  // The menu belongs to the owner, so that it sees WM_INITMENUPOPUP and keeps the activation.
  HWND menuOwner = GetWindowThreadProcessId(owner, nullptr) == GetCurrentThreadId() ? owner : self;
  HWND root = GetAncestor(menuOwner, GA_ROOT);
  if (root && GetForegroundWindow() != root) SetForegroundWindow(root);
  UINT flags = TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_LEFTBUTTON | (rightSide ? TPM_RIGHTALIGN : TPM_LEFTALIGN);
  UINT cmd =
      static_cast<UINT>(TrackPopupMenuEx(popup, flags, rightSide ? key.right : key.left, key.top, menuOwner, nullptr));
  PostMessageW(menuOwner, WM_NULL, 0, 0);
  if (!IsWindow(self)) return;
  bar.pressed = -1;
  InvalidateRect(self, nullptr, FALSE);
  if (cmd) SendCommand(bar, static_cast<int>(cmd), 0);
}

HMENU SubMenuById(const Bar& bar, LPARAM id) {
  int index = IndexOfCommand(bar, static_cast<WPARAM>(id));
  if (index >= 0 && bar.keys[index].popup) return bar.keys[index].popup;
  if (!bar.menu) return nullptr;
  // A popup of the loaded menu that carries an id of its own (MENUEX).
  int count = GetMenuItemCount(bar.menu.get());
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU;
    if (GetMenuItemInfoW(bar.menu.get(), i, TRUE, &info) && info.hSubMenu && info.wID == static_cast<UINT>(id)) {
      return info.hSubMenu;
    }
  }
  return nullptr;
}

int ButtonIndex(const Bar& bar, WPARAM idOrIndex, DWORD mask) {
  if (mask & TBIF_BYINDEX) {
    return idOrIndex < bar.keys.size() ? static_cast<int>(idOrIndex) : -1;
  }
  return IndexOfCommand(bar, idOrIndex);
}

LRESULT GetButtonInfo(const Bar& bar, WPARAM which, TBBUTTONINFOW* info) {
  if (!info || info->cbSize < sizeof(TBBUTTONINFOW)) return -1;
  int index = ButtonIndex(bar, which, info->dwMask);
  if (index < 0) return -1;
  const Key& key = bar.keys[index];
  if (info->dwMask & TBIF_COMMAND) info->idCommand = key.id;
  if (info->dwMask & TBIF_STATE) info->fsState = key.state;
  if (info->dwMask & TBIF_STYLE) info->fsStyle = key.style;
  if (info->dwMask & TBIF_IMAGE) info->iImage = key.image;
  if (info->dwMask & TBIF_LPARAM) info->lParam = key.popup ? reinterpret_cast<LPARAM>(key.popup) : key.data;
  if (info->dwMask & TBIF_SIZE) {
    RECT rc = KeyRect(bar, index);
    info->cx = static_cast<WORD>(rc.right - rc.left);
  }
  if ((info->dwMask & TBIF_TEXT) && info->pszText && info->cchText > 0) {
    lstrcpynW(info->pszText, key.text.c_str(), info->cchText);
  }
  return index;
}

LRESULT SetButtonInfo(Bar& bar, WPARAM which, const TBBUTTONINFOW* info) {
  if (!info || info->cbSize < sizeof(TBBUTTONINFOW)) return FALSE;
  int index = ButtonIndex(bar, which, info->dwMask);
  if (index < 0) return FALSE;
  Key& key = bar.keys[index];
  if (info->dwMask & TBIF_COMMAND) key.id = info->idCommand;
  if (info->dwMask & TBIF_STATE) key.state = info->fsState;
  if (info->dwMask & TBIF_STYLE) key.style = info->fsStyle;
  if (info->dwMask & TBIF_IMAGE) key.image = info->iImage;
  if (info->dwMask & TBIF_LPARAM) key.data = info->lParam;
  if (info->dwMask & TBIF_TEXT) {
    key.text =
        (info->pszText && info->pszText != LPSTR_TEXTCALLBACKW) ? StripAccelerator(info->pszText) : std::wstring();
  }
  InvalidateRect(bar.hwnd, nullptr, TRUE);
  return TRUE;
}

// Sets or clears one state bit of the key with command `id`.
LRESULT SetStateBit(Bar& bar, WPARAM id, BYTE bit, bool on) {
  int index = IndexOfCommand(bar, id);
  if (index < 0) return FALSE;
  BYTE& state = bar.keys[index].state;
  state = on ? static_cast<BYTE>(state | bit) : static_cast<BYTE>(state & ~bit);
  InvalidateRect(bar.hwnd, nullptr, TRUE);
  return TRUE;
}

LRESULT StateBit(const Bar& bar, WPARAM id, BYTE bit) {
  int index = IndexOfCommand(bar, id);
  return index < 0 ? 0 : (bar.keys[index].state & bit) != 0;
}

LRESULT HandleToolbarMessage(Bar& bar, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  switch (msg) {
    case TB_BUTTONCOUNT:
      return static_cast<LRESULT>(bar.keys.size());
    case TB_COMMANDTOINDEX:
      return IndexOfCommand(bar, wParam);
    case TB_GETBUTTON: {
      auto* button = reinterpret_cast<TBBUTTON*>(lParam);
      if (!button || wParam >= bar.keys.size()) return FALSE;
      const Key& key = bar.keys[wParam];
      *button = TBBUTTON{};
      button->iBitmap = key.image;
      button->idCommand = key.id;
      button->fsState = key.state;
      button->fsStyle = key.style;
      button->dwData = static_cast<DWORD_PTR>(key.data);
      button->iString = reinterpret_cast<INT_PTR>(key.text.c_str());
      return TRUE;
    }
    case TB_ENABLEBUTTON:
      return SetStateBit(bar, wParam, TBSTATE_ENABLED, LOWORD(lParam) != 0);
    case TB_ISBUTTONENABLED:
      return StateBit(bar, wParam, TBSTATE_ENABLED);
    case TB_HIDEBUTTON:
      return SetStateBit(bar, wParam, TBSTATE_HIDDEN, LOWORD(lParam) != 0);
    case TB_ISBUTTONHIDDEN:
      return StateBit(bar, wParam, TBSTATE_HIDDEN);
    case TB_CHECKBUTTON:
      return SetStateBit(bar, wParam, TBSTATE_CHECKED, LOWORD(lParam) != 0);
    case TB_ISBUTTONCHECKED:
      return StateBit(bar, wParam, TBSTATE_CHECKED);
    case TB_PRESSBUTTON:
      return SetStateBit(bar, wParam, TBSTATE_PRESSED, LOWORD(lParam) != 0);
    case TB_ISBUTTONPRESSED:
      return StateBit(bar, wParam, TBSTATE_PRESSED);
    case TB_SETSTATE: {
      int index = IndexOfCommand(bar, wParam);
      if (index < 0) return FALSE;
      bar.keys[index].state = static_cast<BYTE>(LOWORD(lParam));
      InvalidateRect(bar.hwnd, nullptr, TRUE);
      return TRUE;
    }
    case TB_GETSTATE: {
      int index = IndexOfCommand(bar, wParam);
      return index < 0 ? -1 : bar.keys[index].state;
    }
    case TB_GETITEMRECT:
    case TB_GETRECT: {
      auto* rc = reinterpret_cast<RECT*>(lParam);
      int index =
          msg == TB_GETRECT ? IndexOfCommand(bar, wParam) : (wParam < bar.keys.size() ? static_cast<int>(wParam) : -1);
      if (!rc || index < 0 || !Visible(bar.keys[index])) return FALSE;
      *rc = KeyRect(bar, index);
      return TRUE;
    }
    case TB_GETBUTTONINFOW:
      return GetButtonInfo(bar, wParam, reinterpret_cast<TBBUTTONINFOW*>(lParam));
    case TB_SETBUTTONINFOW:
      return SetButtonInfo(bar, wParam, reinterpret_cast<const TBBUTTONINFOW*>(lParam));
    default:
      handled = false;
      return 0;
  }
}

LRESULT CALLBACK BarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* bar = static_cast<Bar*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    bar->hwnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bar));
  }
  Bar* bar = BarOf(hwnd);
  if (!bar) return DefWindowProcW(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_PAINT:
      Paint(*bar);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_LBUTTONDOWN: {
      POINT pt{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
      int index = HitTest(*bar, pt);
      if (!Usable(*bar, index)) return 0;
      if (bar->keys[index].popup) {
        // Opened outside this handler, so that the menu's loop does not run inside it.
        PostMessageW(hwnd, MSG_OPEN_POPUP, static_cast<WPARAM>(index), 0);
        return 0;
      }
      bar->pressed = index;
      bar->pressedInside = true;
      SetCapture(hwnd);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (GetCapture() == hwnd && bar->pressed >= 0) {
        POINT pt{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        bool inside = HitTest(*bar, pt) == bar->pressed;
        if (inside != bar->pressedInside) {
          bar->pressedInside = inside;
          InvalidateRect(hwnd, nullptr, FALSE);
        }
      }
      return 0;
    case WM_LBUTTONUP: {
      int pressed = bar->pressed;
      bar->pressed = -1;
      if (GetCapture() == hwnd) ReleaseCapture();
      InvalidateRect(hwnd, nullptr, FALSE);
      POINT pt{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
      if (pressed >= 0 && HitTest(*bar, pt) == pressed && Usable(*bar, pressed)) {
        SendCommand(*bar, bar->keys[pressed].id, reinterpret_cast<LPARAM>(hwnd));
      }
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (bar->pressed >= 0) {
        bar->pressed = -1;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case MSG_OPEN_POPUP:
      OpenPopup(*bar, static_cast<int>(wParam));
      return 0;
    case WM_DISPLAYCHANGE:
    case WM_SETTINGCHANGE:
      Place(*bar);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case SHCMBM_GETMENU:
      return reinterpret_cast<LRESULT>(bar->menu.get());
    case SHCMBM_GETSUBMENU:
      return reinterpret_cast<LRESULT>(SubMenuById(*bar, lParam));
    case SHCMBM_SETSUBMENU: {
      int index = IndexOfCommand(*bar, wParam);
      HMENU menu = reinterpret_cast<HMENU>(lParam);
      if (index < 0 || (menu && !IsMenu(menu))) return 0;
      HMENU old = bar->keys[index].popup;
      bar->keys[index].popup = menu;
      return reinterpret_cast<LRESULT>(old);
    }
    case SHCMBM_SETBKCOLOR:
      bar->back = static_cast<COLORREF>(lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    case SHCMBM_OVERRIDEKEY:
      // The emulated device has no hardware keys for the bar to take over.
      return FALSE;
    case WM_DESTROY:
      if (IsWindow(bar->owner) && GetPropW(bar->owner, kBarProp) == hwnd) RemovePropW(bar->owner, kBarProp);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete bar;
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    default: {
      bool handled = false;
      LRESULT result = HandleToolbarMessage(*bar, msg, wParam, lParam, handled);
      if (handled) return result;
      break;
    }
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool RegisterBarClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(aygshell::g_module, kBarClass, &wc)) return true;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = BarProc;
  wc.hInstance = aygshell::g_module;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kBarClass;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HFONT CreateBarFont() {
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(8, aygshell::ScreenDpi(), 72);
  lf.lfWeight = FW_BOLD;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

}  // namespace

extern "C" BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* info) {
  if (!info || info->cbSize < sizeof(SHMENUBARINFO) || !info->hwndParent || !IsWindow(info->hwndParent)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->hwndMB = nullptr;
  if (!RegisterBarClass()) return FALSE;
  auto* bar = new (std::nothrow) Bar;
  if (!bar) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  bar->owner = info->hwndParent;
  if (info->dwFlags & SHCMBF_COLORBK) bar->back = info->clrBk;
  if (!(info->dwFlags & SHCMBF_EMPTYBAR)) {
    HINSTANCE inst = info->hInstRes;
    HRSRC res =
        (info->dwFlags & SHCMBF_HMENU) ? nullptr : FindResourceW(inst, MAKEINTRESOURCEW(info->nToolBarId), RT_RCDATA);
    bool loaded = res ? LoadFromShMenuBar(*bar, inst, res) : LoadFromMenu(*bar, inst, info->nToolBarId);
    if (!loaded) {
      DWORD error = GetLastError();
      delete bar;
      SetLastError(error ? error : ERROR_RESOURCE_NAME_NOT_FOUND);
      return FALSE;
    }
    if (info->nBmpId && info->cBmpImages > 0) {
      int size = aygshell::Scale(16);
      bar->images.reset(ImageList_LoadImageW(inst, MAKEINTRESOURCEW(info->nBmpId), size, 0, CLR_DEFAULT, IMAGE_BITMAP,
                                             LR_CREATEDIBSECTION));
    }
  }
  bar->font.reset(CreateBarFont());

  RECT screen = aygshell::ScreenRect();
  int band = aygshell::MenuBandHeight();
  HWND hwnd = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kBarClass, L"", WS_POPUP | WS_CLIPSIBLINGS,
                              screen.left, screen.bottom - band, screen.right - screen.left, band, info->hwndParent,
                              nullptr, aygshell::g_module, bar);
  if (!hwnd) {
    // Before WM_NCCREATE the bar is still ours to free; after it, WM_NCDESTROY freed it.
    DWORD error = GetLastError();
    if (!bar->hwnd) delete bar;
    SetLastError(error);
    return FALSE;
  }
  SetPropW(info->hwndParent, kBarProp, hwnd);
  if (!(info->dwFlags & SHCMBF_HIDDEN)) ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  info->hwndMB = hwnd;
  return TRUE;
}

extern "C" HWND WINAPI SHFindMenuBar(HWND hwnd) {
  if (!hwnd || !IsWindow(hwnd)) return nullptr;
  auto bar = static_cast<HWND>(GetPropW(hwnd, kBarProp));
  if (!bar || !IsWindow(bar)) return nullptr;
  wchar_t cls[32] = {};
  if (!GetClassNameW(bar, cls, 32) || lstrcmpW(cls, kBarClass) != 0) return nullptr;
  return bar;
}

extern "C" HRESULT WINAPI SHEnableSoftkey(HWND bar, UINT uid, BOOL byIndex, BOOL enable) {
  wchar_t cls[32] = {};
  if (!bar || !IsWindow(bar) || !GetClassNameW(bar, cls, 32) || lstrcmpW(cls, kBarClass) != 0) {
    return E_INVALIDARG;
  }
  TBBUTTONINFOW info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_STATE | (byIndex ? TBIF_BYINDEX : 0);
  if (SendMessageW(bar, TB_GETBUTTONINFOW, uid, reinterpret_cast<LPARAM>(&info)) < 0) return E_INVALIDARG;
  info.fsState =
      enable ? static_cast<BYTE>(info.fsState | TBSTATE_ENABLED) : static_cast<BYTE>(info.fsState & ~TBSTATE_ENABLED);
  return SendMessageW(bar, TB_SETBUTTONINFOW, uid, reinterpret_cast<LPARAM>(&info)) ? S_OK : E_FAIL;
}
