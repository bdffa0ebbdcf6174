// Full-screen dialogs and the Done button.
//
// On the device the Done button ("ok") sits in the caption. Here SHIDIF_DONEBUTTON gives the
// dialog a caption with a close box that is labelled "ok" and, like the device's button, sends
// WM_COMMAND IDOK to the dialog instead of closing it as Cancel would (so does Alt+F4). A
// property page's Done button belongs to its sheet.
#include <new>

#include "platform/aygshell/aygshell_internal.h"

using namespace quintar;

namespace {

constexpr UINT_PTR kDoneSubclassId = 0x51594744;  // any fixed value unique to this unit

constexpr wchar_t kDoneProp[] = L"Quintar.Ayg.Done";

struct DoneState {
  bool enabled = true;
};

HWND DoneTarget(HWND dlg) {
  if (!(GetWindowLongW(dlg, GWL_STYLE) & WS_CHILD)) return dlg;
  HWND root = GetAncestor(dlg, GA_ROOT);
  wchar_t cls[16] = {};
  // Only a dialog (such as a property sheet) takes over its page's Done button.
  if (root && GetClassNameW(root, cls, 16) && lstrcmpW(cls, L"#32770") == 0) return root;
  return nullptr;
}

// The close box's rectangle in window coordinates: the rightmost caption-high square of the
// caption, inside the frame.
bool CloseBoxRect(HWND hwnd, RECT& box) {
  RECT win, client;
  if (!GetWindowRect(hwnd, &win) || !GetClientRect(hwnd, &client)) return false;
  int frame = ((win.right - win.left) - (client.right - client.left)) / 2;
  int caption = GetSystemMetrics(SM_CYCAPTION);
  int width = win.right - win.left;
  box = RECT{width - frame - GetSystemMetrics(SM_CXSIZE), frame, width - frame, frame + caption - 1};
  return box.left > frame;
}

void PaintDoneLabel(HWND hwnd, const DoneState& state) {
  RECT box;
  if (!(GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION) || !CloseBoxRect(hwnd, box)) return;
  // The whole window's DC: the label sits in the caption.
  const win32::WindowDc windowDc(hwnd, GetWindowDC(hwnd));
  if (!windowDc) return;
  const HDC dc = windowDc.get();
  InflateRect(&box, -1, -1);
  FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &box, EDGE_RAISED, BF_RECT);
  win32::Selection font(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(state.enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  DrawTextW(dc, L"ok", 2, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT CALLBACK DoneProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
  auto* state = reinterpret_cast<DoneState*>(ref);
  switch (msg) {
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        if (state->enabled && IsWindowEnabled(hwnd)) {
          SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        return 0;
      }
      break;
    case WM_NCPAINT:
    case WM_NCACTIVATE:
    case WM_SETTEXT: {
      LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
      PaintDoneLabel(hwnd, *state);
      return result;
    }
    case WM_NCLBUTTONUP:
    case WM_NCMOUSEMOVE: {
      LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
      if (wParam == HTCLOSE) PaintDoneLabel(hwnd, *state);
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, DoneProc, kDoneSubclassId);
      RemovePropW(hwnd, kDoneProp);
      delete state;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

DoneState* FindDone(HWND hwnd) { return static_cast<DoneState*>(GetPropW(hwnd, kDoneProp)); }

bool AddDoneButton(HWND hwnd) {
  DoneState* state = FindDone(hwnd);
  if (!state) {
    state = new (std::nothrow) DoneState;
    if (!state) return false;
    if (!SetPropW(hwnd, kDoneProp, state)) {
      delete state;
      return false;
    }
    if (!SetWindowSubclass(hwnd, DoneProc, kDoneSubclassId, reinterpret_cast<DWORD_PTR>(state))) {
      RemovePropW(hwnd, kDoneProp);
      delete state;
      return false;
    }
  }
  state->enabled = true;
  LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  LONG wanted = (style | WS_CAPTION | WS_SYSMENU) & ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  if (wanted != style) SetWindowLongW(hwnd, GWL_STYLE, wanted);
  if (HMENU sys = GetSystemMenu(hwnd, FALSE)) EnableMenuItem(sys, SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return true;
}

}  // namespace

extern "C" BOOL WINAPI SHInitDialog(PSHINITDLGINFO info) {
  if (!info || (info->dwMask & ~static_cast<DWORD>(SHIDIM_FLAGS)) || !info->hDlg || !IsWindow(info->hDlg)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!(info->dwMask & SHIDIM_FLAGS)) return TRUE;
  DWORD flags = info->dwFlags;
  HWND dlg = info->hDlg;
  HWND target = DoneTarget(dlg);

  if (flags & SHIDIF_SIPDOWN) SHSipPreference(dlg, SIP_FORCEDOWN);

  if ((flags & (SHIDIF_DONEBUTTON | SHIDIF_CANCELBUTTON)) && target) {
    if (!AddDoneButton(target)) return FALSE;
  }

  if (target && (flags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR))) {
    RECT rc = aygshell::ScreenRect();
    if (!(flags & SHIDIF_FULLSCREENNOMENUBAR)) rc.bottom -= aygshell::MenuBandHeight();
    if ((flags & SHIDIF_SIZEDLG) && !(flags & (SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR))) {
      RECT visible = aygshell::VisibleDesktop();
      if (visible.bottom < rc.bottom) rc.bottom = visible.bottom;
    }
    SetWindowPos(target, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  if ((flags & SHIDIF_EMPTYMENU) && target && !SHFindMenuBar(target)) {
    SHMENUBARINFO mb{};
    mb.cbSize = sizeof mb;
    mb.hwndParent = target;
    mb.dwFlags = SHCMBF_EMPTYBAR;
    SHCreateMenuBar(&mb);
  }
  return TRUE;
}

extern "C" BOOL WINAPI SHDoneButton(HWND hwnd, DWORD state) {
  HWND target = (hwnd && IsWindow(hwnd)) ? DoneTarget(hwnd) : nullptr;
  if (!target || (state != SHDB_SHOW && state != SHDB_HIDE && state != SHDB_SHOWCANCEL)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (state == SHDB_HIDE) {
    DoneState* done = FindDone(target);
    if (!done) return TRUE;
    done->enabled = false;
    if (HMENU sys = GetSystemMenu(target, FALSE)) EnableMenuItem(sys, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    SetWindowPos(target, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
  }
  return AddDoneButton(target) ? TRUE : FALSE;
}
