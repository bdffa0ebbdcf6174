// The folder chooser, driven from a timer on the test thread while it runs modally, and the list
// pane's New Folder and rename.
#include <windows.h>
// (these need windows.h first)
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>

#include "fileops/fileops.h"
#include "fileops/tests/test_util.h"
#include "testsupport/testsupport.h"

using namespace quintar::fileops;
using fotest::Exists;
using fotest::Names;
using fotest::Put;
using Names_t = std::vector<std::wstring>;

namespace {

// Runs `step` once on the first visible dialog of that caption, then lets it be.
std::function<void(HWND)> gStep;
std::wstring gCaption;

void CALLBACK DriveTimer(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dlg = FindWindowW(L"#32770", gCaption.c_str());
  if (!dlg || !IsWindowVisible(dlg) || !gStep) return;
  KillTimer(nullptr, id);
  auto step = std::move(gStep);
  gStep = nullptr;
  step(dlg);
}

void Drive(std::wstring caption, std::function<void(HWND)> step) {
  gCaption = std::move(caption);
  gStep = std::move(step);
  SetTimer(nullptr, 0, 30, DriveTimer);
}

std::wstring Label(HWND tree, HTREEITEM item) { return quintar::win32::TreeItemText(tree, item); }

HTREEITEM Child(HWND tree, HTREEITEM parent, const std::wstring& label) {
  for (HTREEITEM c = TreeView_GetChild(tree, parent); c; c = TreeView_GetNextSibling(tree, c))
    if (Label(tree, c) == label) return c;
  return nullptr;
}

std::vector<std::wstring> ChildLabels(HWND tree, HTREEITEM parent) {
  std::vector<std::wstring> labels;
  for (HTREEITEM c = TreeView_GetChild(tree, parent); c; c = TreeView_GetNextSibling(tree, c))
    labels.push_back(Label(tree, c));
  return labels;
}

int ChildrenMark(HWND tree, HTREEITEM item) {
  TVITEMW tv{};
  tv.mask = TVIF_CHILDREN;
  tv.hItem = item;
  TreeView_GetItem(tree, &tv);
  return tv.cChildren;
}

class Chooser : public ::testing::Test {
 protected:
  void SetUp() override {
    base = fotest::FreshFolder(L"Ch");
    for (auto p : {L"\\x", L"\\x\\y", L"\\Recycled", L"\\empty", L"\\New Folder"})
      CreateDirectoryW((base + p).c_str(), nullptr);
    Put(base + L"\\empty\\file.txt", "f");  // files do not make a folder expandable
    owner = testsupport::CreateTestWindow(L"Folderon");
    responder.SetLeaveUnmatched(true);
    responder.OnCaption(L"", IDOK);  // message boxes
  }
  std::wstring base;
  testsupport::UniqueWindow owner;
  testsupport::DialogResponder responder;
};

TEST_F(Chooser, WalksToThePathFillsLazilyAndReturnsTheSelection) {
  std::wstring path = base + L"\\x\\y";
  bool changed = true;
  std::vector<std::wstring> labels;
  int emptyMark = -1, xMark = -1;
  std::wstring selected, header;
  Drive(L"Copy file to", [&](HWND dlg) {
    HWND tree = GetDlgItem(dlg, ids::kChooserTree);
    header = testsupport::DlgItemText(dlg, ids::kChooserHeader);
    HTREEITEM root = TreeView_GetRoot(tree);
    HTREEITEM ch = Child(tree, Child(tree, root, L"fot"), L"Ch");
    labels = ChildLabels(tree, ch);
    emptyMark = ChildrenMark(tree, Child(tree, ch, L"empty"));
    xMark = ChildrenMark(tree, Child(tree, ch, L"x"));
    selected = Label(tree, TreeView_GetSelection(tree));
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(ChooseFolder(owner.get(), L"Copy file to", path, &changed), 1);
  EXPECT_EQ(path, base + L"\\x\\y");
  EXPECT_FALSE(changed);
  EXPECT_EQ(header, L"Copy file to");
  EXPECT_EQ(labels, (Names_t{L"empty", L"New Folder", L"x"}));  // sorted, no "Recycled"
  EXPECT_EQ(emptyMark, 0);
  EXPECT_EQ(xMark, 1);
  EXPECT_EQ(selected, L"y");
}

TEST_F(Chooser, StopsAtTheFirstMissingPartAndGivesTheRootAsEmpty) {
  std::wstring path = base + L"\\nope\\y";
  Drive(L"Folder Tree", [](HWND dlg) { PostMessageW(dlg, WM_COMMAND, IDOK, 0); });
  EXPECT_EQ(ChooseFolder(owner.get(), L"", path, nullptr), 1);
  EXPECT_EQ(path, base);

  path = L"\\fot";
  Drive(L"Folder Tree", [](HWND dlg) {
    HWND tree = GetDlgItem(dlg, ids::kChooserTree);
    TreeView_SelectItem(tree, TreeView_GetRoot(tree));
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(ChooseFolder(owner.get(), L"", path, nullptr), 1);
  EXPECT_EQ(path, L"");

  path = base;
  Drive(L"Folder Tree", [](HWND dlg) { PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_EQ(ChooseFolder(owner.get(), L"", path, nullptr), 2);
  EXPECT_EQ(path, base);
}

TEST_F(Chooser, NewFolderAndRenameOnTheSpot) {
  std::wstring path = base;
  bool changed = false;
  std::wstring afterNew;
  responder.OnCaption(L"Rename folder", IDOK).Fill(ids::kNewName, L"Renamed").Once();
  Drive(L"Folder Tree", [&](HWND dlg) {
    SendMessageW(dlg, WM_COMMAND, ids::kCmdNewFolder, 0);
    HWND tree = GetDlgItem(dlg, ids::kChooserTree);
    afterNew = Label(tree, TreeView_GetSelection(tree));
    SendMessageW(dlg, WM_COMMAND, ids::kCmdRename, 0);
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(ChooseFolder(owner.get(), L"", path, &changed), 1);
  EXPECT_EQ(afterNew, L"New Folder(2)");
  EXPECT_TRUE(changed);
  EXPECT_EQ(path, base + L"\\Renamed");
  EXPECT_EQ(Names(base), (Names_t{L"New Folder", L"Recycled", L"Renamed", L"empty", L"x"}));
  EXPECT_TRUE(responder.MessageBoxes().empty());

  // The root cannot be renamed.
  path = L"";
  Drive(L"Folder Tree", [&](HWND dlg) {
    SendMessageW(dlg, WM_COMMAND, ids::kCmdRename, 0);
    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(ChooseFolder(owner.get(), L"", path, &changed), 2);
  ASSERT_EQ(responder.MessageBoxes().size(), 1u);
  EXPECT_EQ(responder.MessageBoxes()[0].text, L"My Pocket PC\n\ncannot be renamed.");
  EXPECT_EQ(responder.MessageBoxes()[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_FALSE(changed);
}

// ---- List pane ----

class ListEdit : public Chooser {
 protected:
  void SetUp() override {
    Chooser::SetUp();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_LIST | LVS_EDITLABELS, 0, 0, 200, 200,
                           owner.get(), nullptr, nullptr, nullptr);
    ShowWindow(owner.get(), SW_SHOW);
    hooks.suspendWatching = [this] { ++suspended; };
    hooks.resumeWatching = [this] { ++resumed; };
    hooks.refreshList = [this] {
      ListView_DeleteAllItems(list);
      int row = 0;
      for (auto& name : Names(base)) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row++;
        item.pszText = const_cast<wchar_t*>(name.c_str());
        ListView_InsertItem(list, &item);
      }
    };
  }
  HWND list = nullptr;
  ListHooks hooks;
  int suspended = 0, resumed = 0;
};

TEST_F(ListEdit, NewFolderTakesTheFirstFreeNumberAndOpensItsLabel) {
  CreateDirectoryW((base + L"\\New Folder(2)").c_str(), nullptr);
  EXPECT_EQ(NewFolderInList(owner.get(), list, base, hooks), L"New Folder(3)");
  EXPECT_TRUE(Exists(base + L"\\New Folder(3)"));
  EXPECT_FALSE(Exists(base + L"\\New Folder(1)"));
  HWND edit = ListView_GetEditControl(list);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(testsupport::WindowText(edit), L"New Folder(3)");
  EXPECT_EQ(suspended, 1);
  EXPECT_EQ(resumed, 1);
  SendMessageW(list, LVM_CANCELEDITLABEL, 0, 0);
}

TEST_F(ListEdit, RenameChecksTheNameAndKeepsHiddenExtensions) {
  Put(base + L"\\report.txt", "r");
  std::wstring newName;
  LabelEditRow row{0, kKindFile, base, L"report.txt", true};
  EXPECT_EQ(EndLabelEdit(owner.get(), nullptr, row, nullptr, hooks, newName), 0);  // abandoned
  EXPECT_EQ(EndLabelEdit(owner.get(), nullptr, row, L"a,b", hooks, newName), 0);
  EXPECT_EQ(EndLabelEdit(owner.get(), nullptr, row, L"a;b", hooks, newName), 0);
  EXPECT_EQ(EndLabelEdit(owner.get(), nullptr, row, L"", hooks, newName), 0);
  EXPECT_EQ(EndLabelEdit(owner.get(), nullptr, row, L"summary", hooks, newName), 1);
  EXPECT_EQ(newName, L"summary.txt");
  EXPECT_TRUE(Exists(base + L"\\summary.txt"));

  row = LabelEditRow{0, kKindFolder, base, L"x", true};  // folders keep what is typed
  EXPECT_EQ(EndLabelEdit(owner.get(), nullptr, row, L"x.d", hooks, newName), 1);
  EXPECT_EQ(newName, L"x.d");
  // The quote passes the rule; the file system then refuses it.
  row.name = L"x.d";
  EXPECT_EQ(EndLabelEdit(owner.get(), nullptr, row, L"say \"hi\"", hooks, newName), 0);
  row = LabelEditRow{0, kKindFolder, base, L"empty", false};
  EXPECT_EQ(EndLabelEdit(owner.get(), nullptr, row, L"summary.txt", hooks, newName), 0);  // taken
  row = LabelEditRow{0, 0, base, L"..", false};
  EXPECT_EQ(EndLabelEdit(owner.get(), nullptr, row, L"up", hooks, newName), 0);

  std::vector<std::wstring> texts;
  for (auto& box : responder.MessageBoxes()) texts.push_back(box.text);
  const std::wstring rule = L"A filename cannot contain these characters:\n\n\\/:,;*?<>|";
  EXPECT_EQ(texts, (Names_t{rule, rule, L"Input file name.", L"Cannot rename file.", L"Cannot rename file."}));
  for (auto& box : responder.MessageBoxes()) EXPECT_EQ(box.style & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));
  EXPECT_EQ(suspended, resumed);
}

TEST_F(ListEdit, ARefusedNameReopensTheEditorWithTheTypedText) {
  hooks.refreshList();
  std::wstring newName;
  LabelEditRow row{0, kKindFolder, base, L"New Folder", false};
  EXPECT_EQ(EndLabelEdit(owner.get(), list, row, L"bad:name", hooks, newName), 0);
  HWND edit = nullptr;
  EXPECT_TRUE(testsupport::PumpUntil([&] { return (edit = ListView_GetEditControl(list)) != nullptr; }, 2000));
  if (edit) {
    EXPECT_EQ(testsupport::WindowText(edit), L"bad:name");
  }
  SendMessageW(list, LVM_CANCELEDITLABEL, 0, 0);
}

}  // namespace
