// The main window's commands: what each does and when it may run. The table is the one list of
// the commands this build has; every other command is greyed and dropped by the window's rule.
#include <windows.h>

#include <commctrl.h>

#include "filemanager/core/paths.h"
#include "filemanager/mainframe.h"
#include "filemanager/userpathdialog.h"
#include "filemanager/winutil.h"
#include "suitemenu/suitemenu.h"

namespace quintar::folderon {

namespace qf = core;

namespace {

bool KeyDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

constexpr int kLastUserPath = IDM_USERPATH_FIRST + static_cast<int>(qf::kMaxUserPaths) - 1;

}  // namespace

std::span<const win32::CommandEntry<MainFrame>> MainFrame::Commands() {
  using F = MainFrame;
  static constexpr win32::CommandEntry<MainFrame> kCommands[] = {
      win32::Command<&F::OnAddressCombo>(IDC_ADDRESS_COMBO),
      win32::Command<&F::GoToUserPath, &F::HasUserPath>(IDM_USERPATH_FIRST, kLastUserPath),
      win32::Command<&F::OpenFavorite, &F::HasFavorite>(IDM_FAVORITE_FIRST, kFavoriteLimit - 1),
      win32::Command<&F::Up, &F::CanGoUp>(IDM_UP),
      win32::Command<&F::Back, &F::CanGoBack>(IDM_BACK),
      win32::Command<&F::Forward, &F::CanGoForward>(IDM_FORWARD),
      win32::Command<&F::ToggleTree>(IDM_FOLDER),
      win32::Command<&F::Refresh>(IDM_REFRESH),
      win32::Command<&F::ToggleAddressBar>(IDM_ADDRESS_BAR),
      win32::Command<&F::ToggleStatusBar>(IDM_STATUS_BAR),
      win32::Command<&F::ToggleVerticalLayout>(IDM_VERTICAL_LAYOUT),
      win32::Command<&F::SetViewStyle>(IDM_VIEW_LARGE),
      win32::Command<&F::SetViewStyle>(IDM_VIEW_MEDIUM),
      win32::Command<&F::SetViewStyle>(IDM_VIEW_SMALL),
      win32::Command<&F::SetViewStyle>(IDM_VIEW_DETAILED),
      win32::Command<&F::SetViewStyle>(IDM_VIEW_DETAILED_LINE),
      win32::Command<&F::CycleListStyle>(IDM_LIST_STYLE),
      win32::Command<&F::SetSort>(IDM_SORT_NAME),
      win32::Command<&F::SetSort>(IDM_SORT_TYPE),
      win32::Command<&F::SetSort>(IDM_SORT_SIZE),
      win32::Command<&F::SetSort>(IDM_SORT_DATE),
      win32::Command<&F::SetSort>(IDM_SORT_REVERSE),
      win32::Command<&F::SelectAll>(IDM_SELECT_ALL),
      win32::Command<&F::ReleaseSelection>(IDM_RELEASE_SELECTION),
      win32::Command<&F::ReverseSelection>(IDM_REVERSE_SELECTION),
      win32::Command<&F::Open, &F::CanOpen>(IDM_OPEN),
      win32::Command<&F::Rename, &F::CanRename>(IDM_RENAME),
      win32::Command<&F::NewFolder, &F::CanMakeFolder>(IDM_NEW_FOLDER),
      win32::Command<&F::EditUserPaths>(IDM_USER_PATH),
      win32::Command<&F::OrganizeFavorites>(IDM_FAVORITES_ORGANIZE),
      win32::Command<&F::CopyName, &F::CanCopyText>(IDM_COPY_NAME),
      win32::Command<&F::CopyPath, &F::CanCopyText>(IDM_COPY_PATH),
      win32::Command<&F::ToggleCtrlMode>(IDM_CTRL_KEY),
      win32::Command<&F::ToggleShiftMode>(IDM_SHIFT_KEY),
      win32::Command<&F::Cut, &F::CanCutOrCopy>(IDM_CUT),
      win32::Command<&F::Copy, &F::CanCutOrCopy>(IDM_COPY),
      win32::Command<&F::Paste, &F::CanPaste>(IDM_PASTE),
      win32::Command<&F::PasteShortcut, &F::CanPasteEntries>(IDM_PASTE_SHORTCUT),
      win32::Command<&F::MakeShortcuts, &F::CanMakeShortcuts>(IDM_SHORTCUT),
      win32::Command<&F::SendShortcutTo, &F::CanUseSelection>(IDM_SEND_SHORTCUT_TO),
      win32::Command<&F::AddFavorites, &F::CanAddFavorites>(IDM_FAVORITES_ADD),
      win32::Command<&F::OpenWithParameters, &F::HasFocusedFile>(IDM_PARAMETERS),
      win32::Command<&F::OpenWithProgram, &F::CanOpenWith>(IDM_OPENWITH_FIRST,
                                                           IDM_OPENWITH_FIRST + static_cast<int>(qf::kMaxOpenWith) - 1),
      win32::Command<&F::Delete, &F::CanUseSelection>(IDM_DELETE),
      win32::Command<&F::CopyTo, &F::CanUseSelection>(IDM_COPY_TO),
      win32::Command<&F::MoveTo, &F::CanUseSelection>(IDM_MOVE_TO),
      win32::Command<&F::ShowItemProperties, &F::CanUseSelection>(IDM_PROPERTIES),
      win32::Command<&F::FileSearch>(IDM_FILE_SEARCH),
      win32::Command<&F::ShowGoToPopup>(IDM_GOTO),
      win32::Command<&F::GoToRoot>(IDM_GOTO_ROOT),
      win32::Command<&F::GoToMyDocuments>(IDM_GOTO_MYDOCUMENTS),
      win32::Command<&F::GoToStartMenu>(IDM_GOTO_STARTMENU),
      win32::Command<&F::GoToDesktop, &F::HasDesktop>(IDM_GOTO_DESKTOP),
      win32::Command<&F::FocusNext>(IDM_FOCUS_NEXT),
      win32::Command<&F::FocusPrevious>(IDM_FOCUS_PREV),
      win32::Command<&F::Exit>(IDM_EXIT),
      win32::Command<&F::SuiteMenu>(IDM_USER_MANUAL),
      win32::Command<&F::SuiteMenu>(IDM_OTHER_PELLVANE, IDM_OTHER_VORREL),
      win32::Command<&F::OpenOptions>(IDM_OPTIONS),
      win32::Command<&F::ChooseProgramForFile, &F::CanChooseProgram>(IDM_CHOOSE_PROGRAM),
      win32::Command<&F::ToggleDragDropMode>(IDM_DRAGDROP_MODE),
      win32::Command<&F::DropMenuItem>(IDM_DROP_COPY, IDM_DROP_CANCEL),
      win32::Command<&F::SendViaInfrared, &F::HasFocusedFile>(IDM_SEND_IR),
      win32::Command<&F::MailFile, &F::HasFocusedFile>(IDM_OUTLOOK_EMAIL),
      win32::Command<&F::ReceiveInfrared>(IDM_IR_RECEIVE),
      win32::Command<&F::StartPcLink>(IDM_PCLINK),
      win32::Command<&F::StartActiveSync>(IDM_ACTIVESYNC),
      win32::Command<&F::NetworkConnect>(IDM_NETWORK_CONNECT),
      win32::Command<&F::NetworkDisconnect>(IDM_NETWORK_DISCONNECT),
      win32::Command<&F::Compress, &F::CanCompress>(IDM_ZIP_ARCHIVE),
      win32::Command<&F::ExtractSelected, &F::CanExtract>(IDM_EXTRACT),
      win32::Command<&F::ExtractHere, &F::CanExtractHere>(IDM_EXTRACT_HERE),
      // Last: every other command waits for its feature.
      win32::Command<&F::NotBuilt, &F::Never>(1, 0xFFFF),
  };
  return kCommands;
}

void MainFrame::Execute(int id, int code) { win32::RunCommand(*this, Commands(), id, code); }

bool MainFrame::TreeFocused() const { return focusedPane_ && focusedPane_ == tree_.Window() && TreeShown(); }

int MainFrame::ListKeyCommand(WORD key) const {
  bool ctrl = KeyDown(VK_CONTROL), alt = KeyDown(VK_MENU), shift = KeyDown(VK_SHIFT);
  if (alt && !ctrl) {
    if (key == VK_LEFT) return IDM_BACK;
    if (key == VK_RIGHT) return IDM_FORWARD;
    if (key >= '1' && key <= '9') return IDM_USERPATH_FIRST + (key - '1');
    if (key == '0') return IDM_USERPATH_FIRST + 9;
    return 0;
  }
  if (ctrl && !alt) {
    if (key >= '1' && key <= '9') return IDM_OPENWITH_FIRST + (key - '1');
    if (key == '0') return IDM_OPENWITH_FIRST + 9;
    switch (key) {
      case 'R':
        return IDM_REFRESH;
      case 'L':
        return IDM_LIST_STYLE;
      case 'X':
        return IDM_CUT;
      case 'C':
        return IDM_COPY;
      case 'V':
        return IDM_PASTE;
      case 'A':
        return IDM_SELECT_ALL;
      case 'B':
        return IDM_PARAMETERS;
      case 'N':
        return IDM_NEW_FOLDER;
      case 'D':
        return IDM_DELETE;
      case 'P':
        return IDM_PROPERTIES;
      case 'O':
        return IDM_COPY_TO;
      case 'T':
        return IDM_MOVE_TO;
      case 'S':
        return IDM_SEND_SHORTCUT_TO;
      case 'F':
        return IDM_FILE_SEARCH;
      case 'Q':
        return IDM_EXIT;
      case 'I':
        return IDM_FAVORITES_ADD;
      case 'U':
        return IDM_USER_PATH;
      default:
        return 0;
    }
  }
  if (ctrl || alt || shift) return 0;
  switch (key) {
    case VK_BACK:
      return IDM_UP;
    case VK_F5:
      return IDM_REFRESH;
    case VK_DELETE:
      return IDM_DELETE;
    case VK_F2:
      return IDM_RENAME;
    case VK_F3:
      return IDM_FILE_SEARCH;
    case VK_F4:
      return IDM_OPTIONS;
    case VK_HOME:
      return IDM_BACK;
    case VK_END:
      return IDM_FORWARD;
    default:
      return 0;
  }
}

// ---- Navigation ----------------------------------------------------------------------------------

void MainFrame::OnAddressCombo(int, int code) {
  HWND combo = bands_.AddressCombo();
  if (code == CBN_SETFOCUS || code == CBN_KILLFOCUS) {
    SetTextFocus(code == CBN_SETFOCUS);
    // The box stays the focused pane until the list or the tree takes the focus: a menu opened
    // from the soft key meanwhile acts on the box's text.
    if (code == CBN_SETFOCUS) {
      focusedPane_ = combo;
      UpdateCommandStates();
    }
  } else if (code == CBN_SELENDOK) {
    // The chosen item is the box's selection; read it after the box has taken it.
    int sel = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    if (sel < 0) return;
    int length = static_cast<int>(SendMessageW(combo, CB_GETLBTEXTLEN, sel, 0));
    if (length < 0 || length >= 260) return;
    wchar_t text[260] = {};
    SendMessageW(combo, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(text));
    SetFocus(list_.Window());
    list_.GoTo(text, hwnd());
  } else if (code == kAddressEnter) {
    list_.GoTo(bands_.AddressText(), hwnd());
  }
}

void MainFrame::GoToUserPath(int id) {
  std::wstring path = Wide(userPaths_.Items()[static_cast<size_t>(id - IDM_USERPATH_FIRST)]);
  list_.GoTo(path, hwnd());
}

bool MainFrame::HasUserPath(int id) const {
  return static_cast<size_t>(id - IDM_USERPATH_FIRST) < userPaths_.Items().size();
}

void MainFrame::OpenFavorite(int id) {
  std::wstring path = favorites_[static_cast<size_t>(id - IDM_FAVORITE_FIRST)];
  OpenFile(path);
}

bool MainFrame::HasFavorite(int id) const { return static_cast<size_t>(id - IDM_FAVORITE_FIRST) < favorites_.size(); }

void MainFrame::Up(int, int code) {
  if (TreeFocused()) {
    // Backspace already moved the tree's selection; the soft key and the menu did not.
    if (code != kTreeBackspace) tree_.SelectParent();
    list_.Navigate(tree_.SelectedPath());
  } else {
    list_.UpOneLevel();
  }
}

bool MainFrame::CanGoUp() const {
  std::u16string path = U16(list_.Path());
  return !qf::IsRoot(path) && !qf::IsSearchPath(path);
}

void MainFrame::Back() { list_.Back(); }

bool MainFrame::CanGoBack() const {
  bool search = qf::IsSearchPath(U16(list_.Path()));
  return list_.History().CanBack() || (search && list_.History().Current());
}

void MainFrame::Forward() { list_.Forward(); }

bool MainFrame::CanGoForward() const {
  bool search = qf::IsSearchPath(U16(list_.Path()));
  return list_.History().CanForward() || (search && list_.History().Current());
}

void MainFrame::Refresh() {
  tree_.RebuildRoots();
  std::wstring text = bands_.AddressText();
  list_.GoTo(text, hwnd());
  RebuildOpenWithMenu();
  RebuildFavoritesMenu();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void MainFrame::Open() {
  if (TreeFocused()) {
    NavigateFromTree(tree_.SelectedPath());
  } else {
    list_.OpenRow(list_.SelectedRow());
  }
}

bool MainFrame::CanOpen() const {
  if (TreeFocused()) return !tree_.IsSearchItem(TreeView_GetSelection(tree_.Window()));
  return focusedPane_ == list_.Window() && list_.EntryOf(list_.SelectedRow()) != nullptr;
}

void MainFrame::EditUserPaths() {
  UserPathDialog dialog(instance_, userPaths_, list_.Path());
  dialog.Show(hwnd());
  RebuildUserPathMenu();
}

void MainFrame::OrganizeFavorites() {
  list_.GoTo(special_.favorites, hwnd());
  RebuildFavoritesMenu();
}

void MainFrame::GoToRoot() { list_.GoTo(L"", hwnd()); }
void MainFrame::GoToMyDocuments() { list_.GoTo(special_.myDocuments, hwnd()); }
void MainFrame::GoToStartMenu() { list_.GoTo(special_.startMenu, hwnd()); }
void MainFrame::GoToDesktop() { list_.GoTo(special_.desktop, hwnd()); }
bool MainFrame::HasDesktop() const { return !special_.desktop.empty(); }

void MainFrame::NavigateFromTree(const std::wstring& path) {
  if (path != list_.Path()) list_.Navigate(path);
}

// ---- View ----------------------------------------------------------------------------------------

void MainFrame::ToggleTree() {
  settings_.showFolder = !settings_.showFolder;
  ShowWindow(tree_.Window(), settings_.showFolder ? SW_SHOW : SW_HIDE);
  if (!settings_.showFolder && GetFocus() == tree_.Window()) SetFocus(list_.Window());
  UpdateMenuMarks();
  Layout();
  // Scrolled into view at the size the tree has now, not at the one it had while hidden.
  if (settings_.showFolder) {
    SendMessageW(tree_.Window(), WM_HSCROLL, MAKEWPARAM(SB_LEFT, 0), 0);
    tree_.SelectPath(list_.Path(), true, true);
  }
  ArrangeList();
}

void MainFrame::ToggleAddressBar() {
  bands_.ShowAddress(!bands_.AddressShown());
  list_.RewriteStatus();
  UpdateMenuMarks();
  Layout();
}

void MainFrame::ToggleStatusBar() {
  settings_.showStatusWnd = !settings_.showStatusWnd;
  ShowWindow(status_, settings_.showStatusWnd ? SW_SHOW : SW_HIDE);
  UpdateMenuMarks();
  Layout();
}

void MainFrame::ToggleDragDropMode() {
  settings_.dragDrop = !settings_.dragDrop;
  UpdateMenuMarks();
}

void MainFrame::ToggleVerticalLayout() {
  settings_.viewSide = !settings_.viewSide;
  UpdateMenuMarks();
  Layout();
  ArrangeList();
}

void MainFrame::SetViewStyle(int id) {
  list_.SetViewStyleCommand(id);
  UpdateMenuMarks();
  SaveFrameSettings(settings_, special_, userPaths_);
  list_.SaveListView();
}

void MainFrame::CycleListStyle() {
  list_.CycleViewStyle();
  UpdateMenuMarks();
}

void MainFrame::SetSort(int id) {
  list_.SetSortCommand(id);
  UpdateMenuMarks();
  SaveFrameSettings(settings_, special_, userPaths_);
  list_.SaveListView();
}

void MainFrame::FocusNext() { CycleFocus(true); }
void MainFrame::FocusPrevious() { CycleFocus(false); }

// ---- Selection and editing -----------------------------------------------------------------------

void MainFrame::SelectAll() {
  SetFocus(list_.Window());
  list_.SelectAll(true);
}

void MainFrame::ReleaseSelection() { list_.SelectAll(false); }
void MainFrame::ReverseSelection() { list_.ReverseSelection(); }

void MainFrame::Rename() {
  if (TreeFocused()) {
    SetFocus(tree_.Window());
    TreeView_EditLabel(tree_.Window(), TreeView_GetSelection(tree_.Window()));
  } else {
    SetFocus(list_.Window());
    SendMessageW(list_.Window(), LVM_EDITLABELW, list_.SelectedRow(), 0);
  }
}

bool MainFrame::CanRename() const {
  if (TreeFocused()) return tree_.IsFolderItem(TreeView_GetSelection(tree_.Window()));
  const qf::FileEntry* entry = focusedPane_ == list_.Window() ? list_.EntryOf(list_.SelectedRow()) : nullptr;
  return entry && entry->kind != qf::EntryKind::UpLevel;
}

void MainFrame::NewFolder() { fileops::NewFolderInList(hwnd(), list_.Window(), list_.Path(), ListEditHooks()); }

bool MainFrame::CanMakeFolder() const { return !qf::IsSearchPath(U16(list_.Path())); }

void MainFrame::CopyName() { CopySelectedText(false); }
void MainFrame::CopyPath() { CopySelectedText(true); }

bool MainFrame::CanCopyText() const { return focusedPane_ == list_.Window() && list_.HasSelectedItem(); }

void MainFrame::CopySelectedText(bool fullPath) {
  const qf::FileEntry* entry = list_.FirstSelectedEntry();
  if (!entry) return;
  std::u16string text = entry->name;
  if (fullPath) {
    auto joined = qf::JoinPath(entry->folder, entry->name);
    if (!joined) return;
    text = *joined;
  }
  win32::PutClipboardText(hwnd(), win32::WideView(text));
}

void MainFrame::Exit() { PostMessageW(hwnd(), WM_CLOSE, 0, 0); }

void MainFrame::SuiteMenu(int id) {
  namespace sm = suitemenu;
  static constexpr sm::Entry kEntries[] = {
      {IDM_OTHER_PELLVANE, sm::Action::SwitchOnToday, nullptr},
      {IDM_OTHER_VORREL, sm::Action::StartSibling, sm::kVorrelPath},
      {IDM_OTHER_REGEDIT, sm::Action::StartSibling, sm::kTamskPath},
      {IDM_USER_MANUAL, sm::Action::OpenManual, sm::kFolderonManual},
  };
  if (const sm::Entry* entry = sm::Find(kEntries, id)) sm::Run(*entry, hwnd(), [this] { Exit(); });
}

}  // namespace quintar::folderon
