#include "filemanager/mainframe.h"

#include <ceservices.h>
#include <commctrl.h>

#include "filemanager/core/paths.h"
#include "filemanager/core/startup.h"
#include "filemanager/core/status.h"
#include "filemanager/winutil.h"
#include "win32/scope.h"
#include "win32/shell.h"

namespace quintar::folderon {

namespace qf = core;

namespace {

bool KeyDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

std::wstring Leaf(const std::wstring& path) { return Wide(qf::LeafName(U16(path))); }

POINT CursorPos() {
  POINT pt{};
  GetCursorPos(&pt);
  return pt;
}

}  // namespace

std::span<const win32::MessageEntry<MainFrame>> MainFrame::Messages() {
  static constexpr win32::MessageEntry<MainFrame> kMessages[] = {
      win32::On<&MainFrame::OnCreate>(WM_CREATE),
      win32::On<&MainFrame::OnSize>(WM_SIZE),
      win32::On<&MainFrame::OnActivate>(WM_ACTIVATE),
      win32::On<&MainFrame::OnSetFocus>(WM_SETFOCUS),
      win32::On<&MainFrame::OnClose>(WM_CLOSE),
      win32::On<&MainFrame::OnDestroy>(WM_DESTROY),
      win32::On<&MainFrame::OnSettingChange>(WM_SETTINGCHANGE),
      win32::On<&MainFrame::OnCopyData>(WM_COPYDATA),
      win32::On<&MainFrame::OnNotify>(WM_NOTIFY),
      win32::On<&MainFrame::OnInitMenuPopup>(WM_INITMENUPOPUP),
      win32::On<&MainFrame::OnTimer>(WM_TIMER),
      win32::On<&MainFrame::OnSplitterDown>(WM_LBUTTONDOWN),
      win32::On<&MainFrame::OnSplitterMove>(WM_MOUSEMOVE),
      win32::On<&MainFrame::OnSplitterUp>(WM_LBUTTONUP),
      win32::On<&MainFrame::OnTreeEditAgain>(MSG_TREE_EDIT_AGAIN),
      win32::On<&MainFrame::OnCaptureChanged>(WM_CAPTURECHANGED),
      win32::On<&MainFrame::OnDeviceChange>(WM_DEVICECHANGE),
      win32::On<&MainFrame::OnFolderChanged>(MSG_FOLDER_CHANGED),
  };
  return kMessages;
}

int MainFrame::Run(HINSTANCE instance, const std::wstring& startFolder) {
  instance_ = instance;
  startFolder_ = startFolder;
  DecimalSeparator();
  watcher_.Start();

  SIPINFO sip{};
  sip.cbSize = sizeof sip;
  if (SipGetInfo(&sip)) lastSipFlags_ = sip.fdwFlags;
  SaveProgramPath();
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExW(&version)) osVersion_ = static_cast<int>(version.dwMajorVersion * 100 + version.dwMinorVersion);
#pragma GCC diagnostic pop
  int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  highResolution_ =
      osVersion_ > 420 && GetSystemMetrics(SM_CYMENU) == 52 && ((cx == 480 && cy == 640) || (cx == 640 && cy == 480));
  SetSpecialFolderDefaults(special_);
  LoadFrameSettings(settings_, special_, userPaths_);
  list_.SetSpecialLeaves(SpecialLeaves{Leaf(special_.network), Leaf(special_.myDocuments), Leaf(special_.startMenu)});

  if (!CreateFrame(instance, sip)) {
    watcher_.Stop();
    return 1;
  }
  ShowFirstTime();
  int code = MessageLoop();
  watcher_.Stop();
  return code;
}

HWND MainFrame::CreateFrame(HINSTANCE instance, const SIPINFO& sip) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &Proc;
  wc.hInstance = instance;
  wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_FOLDERON), IMAGE_ICON, 32, 32, 0));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_FOLDERON), IMAGE_ICON, 16, 16, 0));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&wc)) return nullptr;
  RECT area = sip.rcVisibleDesktop;
  if (area.right <= area.left || area.bottom <= area.top) {
    area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  HWND hwnd = Create(0, kWindowClass, kWindowTitle, WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE, area, nullptr, instance);
  if (!hwnd) return nullptr;
  SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(wc.hIconSm));
  SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(wc.hIcon));
  watcher_.SetTarget(hwnd);

  if (!CreateChildren()) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  // Leave room for the menu bar below the window.
  SetWindowPos(hwnd, nullptr, 0, 0, area.right - area.left, area.bottom - area.top - bands_.MenuHeight(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyFont();
  return hwnd;
}

void MainFrame::ShowFirstTime() {
  HWND hwnd = this->hwnd();
  if (settings_.overLapped) {
    if (showState_ > 2) showState_ -= 90;
    if (showState_ == 0) {
      ShowWindow(hwnd, SW_SHOW);
      ShowWindow(hwnd, SW_MINIMIZE);
    } else if (showState_ == 1) {
      ShowWindow(hwnd, SW_SHOWNORMAL);
    } else {
      showState_ = 2;
      ShowWindow(hwnd, SW_SHOW);
      ShowWindow(hwnd, SW_MAXIMIZE);
    }
  } else {
    ShowWindow(hwnd, SW_SHOW);
  }
  ShowWindow(status_, settings_.showStatusWnd ? SW_SHOW : SW_HIDE);
  Layout();
  SetFocus(list_.Window());
  list_.Navigate(list_.StartFolder());
  UpdateWindow(hwnd);
}

int MainFrame::MessageLoop() {
  HACCEL accelerators = LoadAcceleratorsW(instance_, MAKEINTRESOURCEW(IDR_ACCELERATORS));
  MSG msg;
  for (;;) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return 1;
    // During an item drag only Esc acts, in the pane that has the focus.
    if (hwnd() && accelerators && !Dragging() && TranslateAcceleratorW(hwnd(), accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool MainFrame::CreateChildren() {
  HWND hwnd = this->hwnd();
  if (!bands_.Create(hwnd, instance_)) return false;
  UpdateMenuMarks();
  status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN), 0,
                            hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS)), instance_, nullptr);
  if (!status_) return false;
  // The layout places the status pane; it must not move itself to the window's bottom edge.
  SetWindowLongPtrW(status_, GWL_STYLE, GetWindowLongPtrW(status_, GWL_STYLE) | CCS_NORESIZE | CCS_NOPARENTALIGN);
  if (!list_.Create(hwnd, instance_, startFolder_)) return false;
  tree_.SetSpecialLeaves(Leaf(special_.startMenu), Leaf(special_.network), Leaf(special_.myDocuments));
  if (!tree_.Create(hwnd, instance_, settings_.showFolder != 0)) return false;
  contextMenus_.reset(LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_CONTEXTMENUS)));
  archiver_ = fileops::ProbeArchiver();
  RebuildUserPathMenu();
  RebuildOpenWithMenu();
  RebuildFavoritesMenu();
  SubclassPanes();
  focusedPane_ = list_.Window();
  UpdateCommandStates();
  return true;
}

// ---- Messages ----------------------------------------------------------------------------------

LRESULT MainFrame::OnCreate(WPARAM, LPARAM) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
  InitCommonControlsEx(&icc);
  activateInfo_.cbSize = sizeof activateInfo_;
  return 0;
}

LRESULT MainFrame::OnSize(WPARAM wParam, LPARAM lParam) {
  bands_.Resize(LOWORD(lParam));
  if (status_) SendMessageW(status_, WM_SIZE, wParam, lParam);
  if (status_ && list_.Window()) list_.RewriteStatus();
  Layout();
  return 0;
}

LRESULT MainFrame::OnActivate(WPARAM wParam, LPARAM) {
  active_ = LOWORD(wParam) != WA_INACTIVE;
  SyncModeKey();
  if (LOWORD(wParam) == WA_INACTIVE) {
    CancelDrag();
    lastFocus_ = GetFocus();
    SIPINFO sip{};
    sip.cbSize = sizeof sip;
    if (SipGetInfo(&sip)) lastSipFlags_ = sip.fdwFlags;
  } else {
    if (lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd(), lastFocus_)) SetFocus(lastFocus_);
    Layout();
  }
  return 0;
}

LRESULT MainFrame::OnSetFocus(WPARAM, LPARAM) {
  if (list_.Window()) SetFocus(list_.Window());
  return 0;
}

LRESULT MainFrame::OnClose(WPARAM, LPARAM) {
  Shutdown();
  return 0;
}

LRESULT MainFrame::OnDestroy(WPARAM, LPARAM) {
  KillTimer(hwnd(), kRefreshTimer);
  watcher_.SetTarget(nullptr);
  PostQuitMessage(0);
  return 0;
}

LRESULT MainFrame::OnSettingChange(WPARAM wParam, LPARAM lParam) {
  SHHandleWMSettingChange(hwnd(), wParam, lParam, &activateInfo_);
  if (wParam == SPI_SETSIPINFO) Layout();
  return 0;
}

LRESULT MainFrame::OnCopyData(WPARAM, LPARAM lParam) {
  return OpenRequestedFolder(reinterpret_cast<const COPYDATASTRUCT*>(lParam)) ? TRUE : FALSE;
}

LRESULT MainFrame::OnNotify(WPARAM, LPARAM lParam) { return OnPaneNotify(reinterpret_cast<NMHDR*>(lParam)); }

LRESULT MainFrame::OnInitMenuPopup(WPARAM, LPARAM) {
  UpdateCommandStates();
  UpdateMenuMarks();
  return 0;
}

LRESULT MainFrame::OnTimer(WPARAM wParam, LPARAM) {
  if (wParam == kRefreshTimer) {
    DelayedRefresh();
  } else if (wParam == kTreeKeyTimer) {
    std::wstring target;
    if (tree_.TakePendingNavigation(target, hwnd())) NavigateFromTree(target);
  }
  return 0;
}

LRESULT MainFrame::OnTreeEditAgain(WPARAM, LPARAM) {
  if (!treeEditAgain_.empty()) tree_.EditAgain(treeEditAgain_);
  treeEditAgain_.clear();
  return 0;
}

LRESULT MainFrame::OnDeviceChange(WPARAM, LPARAM) {
  StartDelayedRefresh(true);
  return TRUE;
}

LRESULT MainFrame::OnFolderChanged(WPARAM, LPARAM) {
  MSG queued;
  while (PeekMessageW(&queued, hwnd(), MSG_FOLDER_CHANGED, MSG_FOLDER_CHANGED, PM_REMOVE)) {
  }
  StartDelayedRefresh(false);
  return 0;
}

// ---- The list's host ---------------------------------------------------------------------------

void MainFrame::ShowLoading() {
  if (!status_) return;
  int right = -1;
  SendMessageW(status_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&right));
  SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(win32::WidePtr(qf::kLoadingText.data())));
}

void MainFrame::ShowStatus(const std::wstring& path, unsigned long long count, unsigned long long totalBytes) {
  if (status_) {
    RECT rc{};
    GetClientRect(status_, &rc);
    qf::StatusParts parts =
        qf::StatusBarParts(bands_.AddressShown(), U16(path), count, totalBytes,
                           rc.right > 0 ? rc.right : GetSystemMetrics(SM_CXSCREEN), UserNumberFormat());
    if (!parts.rightEdges.empty()) {
      std::vector<int> edges(parts.rightEdges.begin(), parts.rightEdges.end());
      edges.back() = -1;
      SendMessageW(status_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
      for (size_t i = 0; i < parts.texts.size(); ++i) {
        std::wstring text = Wide(parts.texts[i]);
        SendMessageW(status_, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(text.c_str()));
      }
    }
  }
}

void MainFrame::Listed(const std::wstring& path) {
  bands_.PushRecent(path);
  tree_.SelectPath(path, false, true);
  UpdateCommandStates();
}

void MainFrame::Shutdown() {
  keyMode_ = KeyMode::None;
  SyncModeKey();
  SaveFrameSettings(settings_, special_, userPaths_);
  bands_.SaveAndDestroy();
  if (status_) {
    DestroyWindow(status_);
    status_ = nullptr;
  }
  RestorePanes();
  list_.SaveSettingsAndDestroy();
  tree_.Destroy();
  DestroyWindow(hwnd());
}

void MainFrame::StartDelayedRefresh(bool deviceChange) {
  if (deviceChange) deviceMode_ = true;
  KillTimer(hwnd(), kRefreshTimer);
  SetTimer(hwnd(), kRefreshTimer, kRefreshDelayMs, nullptr);
}

void MainFrame::DelayedRefresh() {
  KillTimer(hwnd(), kRefreshTimer);
  // Our own watch must not keep a removed folder alive while its existence is checked.
  auto resume = win32::Paired([this] { watcher_.Suspend(); }, [this] { watcher_.Resume(); });
  tree_.SelectPath(L"", true, false);
  std::u16string path = U16(list_.Path());
  auto target = qf::RefreshTarget(path, deviceMode_, [](std::u16string_view p) { return IsExistingFolder(Wide(p)); });
  deviceMode_ = false;
  if (target) {
    std::wstring folder = Wide(*target);
    resume.Dismiss();  // the listing resumes watching
    list_.Navigate(folder);
  }
}

bool MainFrame::OpenRequestedFolder(const COPYDATASTRUCT* data) {
  if (!data) return false;
  auto folder = qf::ReadOpenFolderRequest(static_cast<std::uint64_t>(data->dwData), data->lpData, data->cbData);
  if (!folder) return false;
  qf::GoToTarget target = qf::ClassifyGoTo(*folder);
  if (target.kind == qf::GoToKind::Root) {
    list_.Navigate(L"");
    return true;
  }
  if (target.kind != qf::GoToKind::Path) return false;
  std::wstring path = Wide(target.path);
  // Another program's request names a device folder or nothing: no drive letters, streams or shares.
  if (path.empty() || path[0] != L'\\' || (path.size() > 1 && path[1] == L'\\') ||
      path.find(L':') != std::wstring::npos) {
    return false;
  }
  if (!IsExistingFolder(path)) return false;
  list_.Navigate(path);
  return true;
}

LRESULT MainFrame::OnPaneNotify(NMHDR* header) {
  HWND list = list_.Window();
  if (header->hwndFrom == list && header->code == LVN_KEYDOWN) {
    auto* key = reinterpret_cast<NMLVKEYDOWN*>(header);
    if (Dragging()) {
      if (key->wVKey == VK_ESCAPE) CancelDrag();
      return 0;
    }
    if (key->wVKey == VK_F6 && bands_.AddressShown()) {
      SetFocus(bands_.AddressEdit());
      return 0;
    }
    if (int id = ListKeyCommand(key->wVKey)) Execute(id, 1);
    return 0;
  }
  if (header->code == GN_CONTEXTMENU && header->hwndFrom == list) {
    ShowContextMenu(reinterpret_cast<NMRGINFO*>(header)->ptAction);
    return 1;
  }
  if (tree_.Window() && header->hwndFrom == tree_.Window()) return OnTreeNotify(header);
  if (header->hwndFrom != list) return 0;
  switch (header->code) {
    case NM_CLICK: {
      if (!list_.Settings().singleTap || KeyDown(VK_CONTROL) || KeyDown(VK_SHIFT) || KeyDown(VK_MENU)) {
        if (KeyDown(VK_MENU) && !KeyDown(VK_CONTROL) && !KeyDown(VK_SHIFT)) ShowContextMenu(CursorPos());
        break;
      }
      if (SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) == 1) {
        auto* item = reinterpret_cast<NMITEMACTIVATE*>(header);
        if (item->iItem >= 0) PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(IDM_OPEN, 0), 0);
      }
      break;
    }
    case NM_RCLICK:
      ShowContextMenu(CursorPos());
      break;
    case NM_DBLCLK:
    case NM_RETURN:
      if (header->code == NM_RETURN && KeyDown(VK_MENU)) break;  // Properties is not in this build
      list_.OpenRow(static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
      break;
    case NM_SETFOCUS:
      focusedPane_ = list;
      UpdateCommandStates();
      break;
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
      UpdateCommandStates();
      break;
    case LVN_ODFINDITEMW:
      return list_.OnFindItem(reinterpret_cast<NMLVFINDITEMW*>(header));
    case LVN_BEGINDRAG:
      return OnListBeginDrag(reinterpret_cast<NMLISTVIEW*>(header));
    case LVN_COLUMNCLICK:
      list_.OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      UpdateMenuMarks();
      break;
    case LVN_DELETEALLITEMS:
      return TRUE;  // the pane frees its records itself: no notification per row
    case LVN_GETDISPINFOW:
      list_.OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(header));
      break;
    case LVN_BEGINLABELEDITW: {
      const qf::FileEntry* entry = list_.EntryOf(reinterpret_cast<NMLVDISPINFOW*>(header)->item.iItem);
      if (!entry || entry->kind == qf::EntryKind::UpLevel) return TRUE;
      SetTextFocus(true);
      return FALSE;
    }
    case LVN_ENDLABELEDITW:
      SetTextFocus(false);
      OnListEndLabelEdit(reinterpret_cast<NMLVDISPINFOW*>(header));
      return FALSE;  // the row's texts come from its record, which the rename updated
    default:
      break;
  }
  return 0;
}

LRESULT MainFrame::OnTreeNotify(NMHDR* header) {
  HWND tree = tree_.Window();
  switch (header->code) {
    case TVN_KEYDOWN: {
      if (tree_.Editing()) return 0;
      auto* key = reinterpret_cast<NMTVKEYDOWN*>(header);
      if (Dragging()) {
        if (key->wVKey == VK_ESCAPE) CancelDrag();
        return 0;
      }
      bool ctrl = KeyDown(VK_CONTROL), alt = KeyDown(VK_MENU);
      if ((ctrl && key->wVKey == 'M') || (ctrl && alt)) {
        ShowTreeContextMenu(tree_.SelectionCentre(), false);
      } else if (key->wVKey == VK_BACK && !ctrl && !alt && !KeyDown(VK_SHIFT)) {
        PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(IDM_UP, kTreeBackspace), 0);
      } else if (key->wVKey == VK_F6 && bands_.AddressShown()) {
        SetFocus(bands_.AddressEdit());
      } else if (int id = ListKeyCommand(key->wVKey)) {
        Execute(id, 1);
      }
      return 0;
    }
    case TVN_SELCHANGEDW: {
      std::wstring target;
      if (tree_.OnSelChanged(reinterpret_cast<NMTREEVIEWW*>(header), target, hwnd())) NavigateFromTree(target);
      return 0;
    }
    case TVN_BEGINDRAGW:
      return OnTreeBeginDrag(reinterpret_cast<NMTREEVIEWW*>(header));
    case TVN_ITEMEXPANDINGW:
      tree_.OnItemExpanding(reinterpret_cast<NMTREEVIEWW*>(header));
      return 0;
    case TVN_ITEMEXPANDEDW:
      // Collapsing a folder above the selection moves the selection to it.
      if (reinterpret_cast<NMTREEVIEWW*>(header)->action & TVE_COLLAPSE) {
        HTREEITEM selected = TreeView_GetSelection(tree);
        if (selected && !tree_.IsSearchItem(selected)) NavigateFromTree(tree_.SelectedPath());
      }
      return 0;
    case NM_SETFOCUS:
      focusedPane_ = tree;
      UpdateCommandStates();
      return 0;
    case NM_KILLFOCUS: {
      std::wstring target;
      if (tree_.TakePendingNavigation(target, hwnd())) NavigateFromTree(target);
      return 0;
    }
    case NM_CLICK:
      if (KeyDown(VK_MENU) && !KeyDown(VK_CONTROL) && !KeyDown(VK_SHIFT)) ShowTreeContextMenu(CursorPos(), true);
      return 0;
    case NM_RCLICK:
      ShowTreeContextMenu(CursorPos(), true);
      return 1;
    case GN_CONTEXTMENU:
      ShowTreeContextMenu(reinterpret_cast<NMRGINFO*>(header)->ptAction, true);
      return 1;
    case TVN_BEGINLABELEDITW:
      if (!tree_.BeginLabelEdit(reinterpret_cast<NMTVDISPINFOW*>(header)->item.hItem)) return TRUE;
      SetTextFocus(true);
      return FALSE;
    case TVN_ENDLABELEDITW:
      SetTextFocus(false);
      OnTreeEndLabelEdit(reinterpret_cast<NMTVDISPINFOW*>(header));
      return FALSE;  // the item's text is set by the rename itself
    default:
      return 0;
  }
}

void MainFrame::OnTreeEndLabelEdit(const NMTVDISPINFOW* info) {
  tree_.EndLabelEdit();
  if (!info->item.pszText) return;  // cancelled
  HTREEITEM item = info->item.hItem;
  std::wstring oldPath = tree_.PathOf(item);
  std::u16string_view message;
  auto renamed = tree_.ApplyRename(
      item, info->item.pszText,
      [this](const std::wstring& from, const std::wstring& to) {
        auto resume = win32::Paired([this] { watcher_.Suspend(); }, [this] { watcher_.Resume(); });
        return MoveFileW(from.c_str(), to.c_str()) != FALSE;
      },
      message);
  if (renamed) {
    list_.Navigate(*renamed);
    return;
  }
  win32::ShowMessage(hwnd(), win32::WideView(message));
  treeEditAgain_ = oldPath;
  PostMessageW(hwnd(), MSG_TREE_EDIT_AGAIN, 0, 0);
}

fileops::ListHooks MainFrame::ListEditHooks() {
  fileops::ListHooks hooks;
  hooks.suspendWatching = [this] { watcher_.Suspend(); };
  hooks.resumeWatching = [this] { watcher_.Resume(); };
  hooks.refreshList = [this] { list_.Navigate(list_.Path()); };
  return hooks;
}

void MainFrame::OnListEndLabelEdit(const NMLVDISPINFOW* info) {
  const qf::FileEntry* entry = list_.EntryOf(info->item.iItem);
  if (!entry) return;
  fileops::LabelEditRow row;
  row.row = info->item.iItem;
  row.kind = static_cast<int>(entry->kind);
  row.folder = Wide(entry->folder);
  row.name = Wide(entry->name);
  row.hideExtensions = list_.Settings().hideExtensions != 0;
  std::wstring newName;
  if (fileops::EndLabelEdit(hwnd(), list_.Window(), row, info->item.pszText, ListEditHooks(), newName) != 1) {
    return;
  }
  list_.RowRenamed(row.row, newName);
  // The tree shows the renamed folder under its new name.
  if (row.kind == static_cast<int>(qf::EntryKind::Folder)) tree_.SelectPath(row.folder, true, false);
}

}  // namespace quintar::folderon
