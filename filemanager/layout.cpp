// The main window's panes: where address band, status, tree and list go (with the soft input
// panel and the splitter between tree and list), their font, and the focus cycling among them.
#include <windows.h>

#include <aygshell.h>
#include <commctrl.h>

#include <utility>

#include "filemanager/core/status.h"
#include "filemanager/mainframe.h"
#include "win32/shell.h"

namespace quintar::folderon {

namespace qf = core;

void MainFrame::ApplyFont() {
  win32::Font font;
  if (settings_.fontChange) {
    LOGFONTW lf{};
    {
      win32::WindowDc dc(hwnd());
      lf.lfHeight = GetDeviceCaps(dc.get(), LOGPIXELSY) * static_cast<int>(settings_.fontSize) / 72;
    }
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, settings_.fontName.c_str(), LF_FACESIZE);
    font.reset(CreateFontIndirectW(&lf));
  }
  // The device's system font is its plain interface font; the desktop's SYSTEM_FONT is a bold
  // bitmap face, and DEFAULT_GUI_FONT is the desktop's equivalent of the device's.
  WPARAM chosen = reinterpret_cast<WPARAM>(font ? font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  SendMessageW(list_.Window(), WM_SETFONT, chosen, TRUE);
  if (tree_.Window()) SendMessageW(tree_.Window(), WM_SETFONT, chosen, TRUE);
  paneFont_ = std::move(font);  // the panes use it from here on; the old one goes
}

void MainFrame::Layout() {
  if (!hwnd()) return;
  SIPINFO sip{};
  sip.cbSize = sizeof sip;
  RECT client{};
  GetClientRect(hwnd(), &client);
  int width = client.right, height = client.bottom;
  bool sipUp = false;
  if (SipGetInfo(&sip)) {
    sipUp = (sip.fdwFlags & SIPF_ON) != 0;
    width = sip.rcVisibleDesktop.right - sip.rcVisibleDesktop.left;
    height = sip.rcVisibleDesktop.bottom - sip.rcVisibleDesktop.top;
    if (!sipUp) height -= bands_.MenuHeight() + 3;
  }
  qf::LayoutInput in;
  in.width = width;
  in.height = height;
  in.addressShown = bands_.AddressShown();
  in.addressHeight = bands_.AddressHeight();
  in.statusShown = settings_.showStatusWnd != 0;
  RECT statusRect{};
  if (status_) GetWindowRect(status_, &statusRect);
  in.statusHeight = statusRect.bottom - statusRect.top;
  in.treeShown = TreeShown();
  in.sideBySide = settings_.viewSide != 0;
  in.treeWidth = static_cast<int>(settings_.treeViewWidth);
  in.treeHeight = static_cast<int>(settings_.treeViewHeight);
  qf::LayoutResult out = qf::ComputeLayout(in);
  auto place = [](HWND hwnd, const qf::Rect& r) {
    if (hwnd && r.Width() > 0 && r.Height() > 0) {
      SetWindowPos(hwnd, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
  };
  if (in.addressShown) place(bands_.AddressBand(), out.address);
  if (in.statusShown) place(status_, out.status);
  if (in.treeShown) place(tree_.Window(), out.tree);
  place(list_.Window(), out.list);
  // Moved panes keep stale pixels where their old rectangles overlapped: paint them anew.
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  if (sipUp) {
    int focused =
        static_cast<int>(SendMessageW(list_.Window(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (focused >= 0) SendMessageW(list_.Window(), LVM_ENSUREVISIBLE, focused, FALSE);
  }
}

void MainFrame::ArrangeList() {
  HWND list = list_.Window();
  SendMessageW(list, LVM_ARRANGE, LVA_DEFAULT, 0);
  // Back to the top left first: a shrinking icon view keeps a scroll offset its new size does
  // not need.
  POINT origin{};
  if (SendMessageW(list, LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&origin)) && (origin.x || origin.y)) {
    SendMessageW(list, LVM_SCROLL, static_cast<WPARAM>(-origin.x), -origin.y);
  }
  int focused = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (focused >= 0) SendMessageW(list, LVM_ENSUREVISIBLE, focused, FALSE);
}

void MainFrame::CycleFocus(bool forward) {
  HWND focus = GetFocus();
  qf::FocusPane from = qf::FocusPane::List;
  HWND combo = bands_.AddressCombo();
  if (focus && combo && (focus == combo || IsChild(combo, focus))) {
    from = qf::FocusPane::Address;
  } else if (focus && tree_.Window() && focus == tree_.Window()) {
    from = qf::FocusPane::Tree;
  }
  bool treeShown = TreeShown();
  qf::FocusPane to = qf::NextFocus(from, forward, bands_.AddressShown(), treeShown);
  switch (to) {
    case qf::FocusPane::Address:
      SetFocus(bands_.AddressEdit() ? bands_.AddressEdit() : combo);
      break;
    case qf::FocusPane::Tree:
      SetFocus(tree_.Window());
      break;
    default:
      SetFocus(list_.Window());
      break;
  }
}

// ---- The splitter ---------------------------------------------------------------------------------

LRESULT MainFrame::OnSplitterDown(WPARAM, LPARAM lParam) {
  if (!TreeShown()) return 0;
  const POINT pt = win32::PointOf(lParam);
  const bool side = settings_.viewSide != 0;
  splitting_ = true;
  splitStartPos_ = side ? pt.x : pt.y;
  splitStartSize_ = static_cast<int>(side ? settings_.treeViewWidth : settings_.treeViewHeight);
  SetCapture(hwnd());
  return 0;
}

LRESULT MainFrame::OnSplitterMove(WPARAM, LPARAM lParam) {
  if (Dragging()) {
    DragMove(win32::PointOf(lParam));
    return 0;
  }
  if (!splitting_) return 0;
  const POINT pt = win32::PointOf(lParam);
  const bool side = settings_.viewSide != 0;
  int bound0 = 0, bound1 = GetSystemMetrics(SM_CXSCREEN);
  if (!side) {
    RECT tree{}, list{};
    GetWindowRect(tree_.Window(), &tree);
    GetWindowRect(list_.Window(), &list);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&tree), 2);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&list), 2);
    bound0 = tree.top;
    bound1 = list.bottom;
  }
  int size = qf::SplitterSize(splitStartSize_, splitStartPos_, side ? pt.x : pt.y, bound0, bound1);
  if (size < 0) return 0;
  (side ? settings_.treeViewWidth : settings_.treeViewHeight) = static_cast<DWORD>(size);
  Layout();
  return 0;
}

LRESULT MainFrame::OnSplitterUp(WPARAM wParam, LPARAM lParam) {
  if (Dragging()) {
    DragRelease(win32::PointOf(lParam), wParam);
    return 0;
  }
  if (!splitting_) return 0;
  splitting_ = false;
  if (GetCapture() == hwnd()) ReleaseCapture();
  ArrangeList();
  InvalidateRect(hwnd(), nullptr, TRUE);
  return 0;
}

LRESULT MainFrame::OnCaptureChanged(WPARAM, LPARAM lParam) {
  // Another window took the stylus: the drag ends without a drop.
  if (Dragging() && reinterpret_cast<HWND>(lParam) != hwnd()) CancelDrag();
  splitting_ = false;
  return 0;
}

}  // namespace quintar::folderon
