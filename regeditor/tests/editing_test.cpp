// New keys and values, their validation messages, the base radios, Delete, Rename of values
// and keys, Copy and Paste, Modify Value.
#include "ui_fixture.h"

namespace tamsk_test {
namespace {

using testsupport::Match;
using testsupport::PumpFor;

std::vector<BYTE> Dword(DWORD v) {
  return {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 24)};
}

class EditingTest : public TamskTest {
 protected:
  // Ends the list's label edit with `text` as Return does.
  void RenameRow(const std::wstring& name, const std::wstring& text) {
    SelectRowNamed(name);
    Cmd(IDM_RENAME);
    HWND edit = ListView_GetEditControl(List());
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, text.c_str());
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    PumpFor(50);
  }
  void RenameKey(const std::wstring& sub, const std::wstring& text) {
    Select(sub);
    FocusTree();
    Cmd(IDM_RENAME);
    HWND edit = TreeView_GetEditControl(Tree());
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, text.c_str());
    TreeView_EndEditLabelNow(Tree(), FALSE);
    PumpFor(50);
  }
  bool StayedOpen(const std::wstring& caption) const {
    for (const auto& d : responder_.Dialogs()) {
      if (d.caption == caption) return d.forced;
    }
    return false;
  }
};

TEST_F(EditingTest, NewKeyIsCreatedAndShownBelowTheCurrentKey) {
  MakeKey(L"Keys\\Existing");
  HTREEITEM keys = Select(L"Keys");
  responder_.OnCaption(L"New Key", IDOK).Fill(IDC_KEY_NAME, L"Fresh");
  Cmd(IDM_NEW_KEY);
  EXPECT_TRUE(KeyExists(L"Keys\\Fresh"));
  EXPECT_EQ(State().current.path, std::wstring(kTestPath) + L"\\Keys");
  HTREEITEM current = State().current.item;
  ASSERT_NE(current, nullptr);
  EXPECT_NE(Keys().FindChild(current, L"Fresh", true), nullptr);
  EXPECT_NE(Keys().FindChild(current, L"Existing", true), nullptr);
  (void)keys;
  EXPECT_EQ(responder_.UnexpectedCount(), 0);

  // An empty name is refused and the dialog stays.
  responder_.ClearRules();
  responder_.ClearRecords();
  responder_.OnCaption(L"New Key", IDOK).Fill(IDC_KEY_NAME, L"");
  responder_.OnText(L"Please enter a valid name!", IDOK);
  Cmd(IDM_NEW_KEY);
  ASSERT_EQ(responder_.MessageBoxes().size(), 1u);
  EXPECT_EQ(responder_.MessageBoxes()[0].caption, L"Warning!");
  EXPECT_EQ(responder_.MessageBoxes()[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_TRUE(StayedOpen(L"New Key"));
  EXPECT_EQ(SubkeyNames(L"Keys").size(), 2u);
}

TEST_F(EditingTest, NewValuesOfTheFourTypesAreWrittenAsTyped) {
  Select(L"Values");
  responder_.OnCaption(L"New String Value", IDOK).Fill(IDC_STRING_NAME, L"MixedCase").Fill(IDC_STRING_DATA, L"text");
  Cmd(IDM_NEW_STRING);
  responder_.OnCaption(L"New Multi Line Value", IDOK)
      .Fill(IDC_MULTI_NAME, L"multi")
      .Fill(IDC_MULTI_DATA, L"one\r\ntwo");
  Cmd(IDM_NEW_MULTI);
  responder_.OnCaption(L"New Binary Value", IDOK).Fill(IDC_BINARY_NAME, L"bin").Fill(IDC_BINARY_DATA, L"abc");
  Cmd(IDM_NEW_BINARY);
  responder_.OnCaption(L"New Dword Value", IDOK).Fill(IDC_DWORD_NAME, L"dw").Fill(IDC_DWORD_DATA, L"ff");
  Cmd(IDM_NEW_DWORD);
  EXPECT_EQ(responder_.UnexpectedCount(), 0);

  auto s = GetValue(L"Values", L"MixedCase");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(s->data, Utf16(L"text"));
  auto m = GetValue(L"Values", L"multi");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(m->data, Utf16(std::wstring(L"one\0two", 7), 2));
  auto b = GetValue(L"Values", L"bin");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(b->data, (std::vector<BYTE>{0xAB, 0x0C}));
  auto d = GetValue(L"Values", L"dw");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(d->data, Dword(255));

  // The list was refilled with the new rows and their texts.
  EXPECT_EQ(RowCount(), 4);
  EXPECT_EQ(Cell(RowOf(L"MixedCase"), 0), L"MixedCase");
  EXPECT_EQ(Cell(RowOf(L"dw"), 1), L"0xFF");
  EXPECT_EQ(Cell(RowOf(L"bin"), 1), L"AB0C");
  EXPECT_EQ(Cell(RowOf(L"multi"), 1), L"one");
}

TEST_F(EditingTest, DuplicateAndEmptyNamesAreRefusedWithEachDialogsTexts) {
  SetString(L"Dup", L"zeta", L"old");
  SetString(L"Dup", L"alpha", L"old");
  Select(L"Dup");
  responder_.OnText(L"\nDestination value name already exists!", IDOK);
  responder_.OnText(L"Please enter a valid name.", IDOK);
  responder_.OnCaption(L"New String Value", IDOK).Fill(IDC_STRING_NAME, L"Zeta").Fill(IDC_STRING_DATA, L"x").Once();
  Cmd(IDM_NEW_STRING);
  responder_.OnCaption(L"New Dword Value", IDOK).Fill(IDC_DWORD_NAME, L"ALPHA").Fill(IDC_DWORD_DATA, L"1").Once();
  Cmd(IDM_NEW_DWORD);
  responder_.OnCaption(L"New Binary Value", IDOK).Fill(IDC_BINARY_NAME, L"").Fill(IDC_BINARY_DATA, L"01").Once();
  Cmd(IDM_NEW_BINARY);
  const auto& boxes = responder_.MessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].caption, L"Warning!");
  EXPECT_EQ(boxes[1].text, L"\nDestination value name already exists!");
  EXPECT_EQ(boxes[1].caption, L"Warning");
  EXPECT_EQ(boxes[2].text, L"Please enter a valid name.");
  EXPECT_EQ(boxes[2].caption, L"Warning!");
  for (const auto& box : boxes) EXPECT_EQ(box.style & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_TRUE(StayedOpen(L"New String Value"));
  EXPECT_EQ(GetValue(L"Dup", L"zeta")->data, Utf16(L"old"));
  EXPECT_EQ(GetValue(L"Dup", L"alpha")->type, static_cast<DWORD>(REG_SZ));
}

TEST_F(EditingTest, EmptyDataAsksFirstAndNoKeepsTheDialog) {
  Select(L"Empty");
  struct Case {
    int command;
    const wchar_t* caption;
    int nameId;
    const wchar_t* question;
    const wchar_t* questionCaption;
  } cases[] = {
      {IDM_NEW_STRING, L"New String Value", IDC_STRING_NAME, L"Are you sure that you want to add an empty string?",
       L"Confirm!"},
      {IDM_NEW_MULTI, L"New Multi Line Value", IDC_MULTI_NAME, L"Are you sure that you want to add an empty string?",
       L"Confirm"},
      {IDM_NEW_BINARY, L"New Binary Value", IDC_BINARY_NAME, L"Are you sure that the data is none?", L"Confirm"},
      {IDM_NEW_DWORD, L"New Dword Value", IDC_DWORD_NAME, L"Are you sure the data is none?", L"Warning!"},
  };
  for (const Case& c : cases) {
    responder_.ClearRules();
    responder_.ClearRecords();
    responder_.OnText(c.question, IDNO);
    responder_.OnCaption(c.caption, IDOK).Fill(c.nameId, L"no").Once();
    Cmd(c.command);
    ASSERT_EQ(responder_.MessageBoxes().size(), 1u) << testing::PrintToString(c.caption);
    EXPECT_EQ(responder_.MessageBoxes()[0].caption, c.questionCaption);
    EXPECT_EQ(responder_.MessageBoxes()[0].style & (MB_TYPEMASK | MB_ICONMASK),
              static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_TRUE(StayedOpen(c.caption));
    EXPECT_FALSE(GetValue(L"Empty", L"no"));

    responder_.ClearRules();
    responder_.OnText(c.question, IDYES);
    std::wstring name = std::wstring(L"yes") + std::to_wstring(c.command);
    responder_.OnCaption(c.caption, IDOK).Fill(c.nameId, name).Once();
    Cmd(c.command);
    EXPECT_TRUE(GetValue(L"Empty", name)) << testing::PrintToString(c.caption);
  }
  EXPECT_EQ(GetValue(L"Empty", L"yes" + std::to_wstring(IDM_NEW_STRING))->data, Utf16(L""));
  EXPECT_EQ(GetValue(L"Empty", L"yes" + std::to_wstring(IDM_NEW_DWORD))->data, Dword(0));
  EXPECT_TRUE(GetValue(L"Empty", L"yes" + std::to_wstring(IDM_NEW_BINARY))->data.empty());
}

TEST_F(EditingTest, NumbersAreParsedByTheirBaseAndBadTextKeepsTheDialog) {
  Select(L"Numbers");
  responder_.OnCaption(L"New Dword Value", IDOK)
      .Fill(IDC_DWORD_NAME, L"wrap")
      .Fill(IDC_DWORD_DATA, L"123456789")
      .Once();
  Cmd(IDM_NEW_DWORD);
  EXPECT_EQ(GetValue(L"Numbers", L"wrap")->data, Dword(0x23456789));

  responder_.OnText(L"The input should be 0 to 9, or a(A)to f(F)!", IDOK);
  responder_.OnCaption(L"New Dword Value", IDOK).Fill(IDC_DWORD_NAME, L"bad").Fill(IDC_DWORD_DATA, L"0x10").Once();
  Cmd(IDM_NEW_DWORD);
  responder_.OnCaption(L"New Binary Value", IDOK)
      .Fill(IDC_BINARY_NAME, L"badbin")
      .Fill(IDC_BINARY_DATA, L"01 02")
      .Once();
  Cmd(IDM_NEW_BINARY);
  EXPECT_FALSE(GetValue(L"Numbers", L"bad"));
  EXPECT_FALSE(GetValue(L"Numbers", L"badbin"));
  ASSERT_EQ(responder_.MessageBoxes().size(), 2u);
  EXPECT_EQ(responder_.MessageBoxes()[1].caption, L"Warning!");
  EXPECT_EQ(responder_.MessageBoxes()[1].style & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_TRUE(StayedOpen(L"New Binary Value"));
}

TEST_F(EditingTest, BaseRadiosConvertTheDataBox) {
  Select(L"Radios");
  responder_.SetLeaveUnmatched(true);
  std::vector<std::wstring> seen;
  DialogDriver driver(L"New Dword Value", [&](HWND dialog) {
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_HEX), static_cast<UINT>(BST_CHECKED));
    SetDlgItemTextW(dialog, IDC_DWORD_NAME, L"r");
    SetDlgItemTextW(dialog, IDC_DWORD_DATA, L"ff");
    SendDlgItemMessageW(dialog, IDC_DEC, BM_CLICK, 0, 0);
    seen.push_back(testsupport::DlgItemText(dialog, IDC_DWORD_DATA));
    SendDlgItemMessageW(dialog, IDC_DEC, BM_CLICK, 0, 0);  // the current base: nothing changes
    seen.push_back(testsupport::DlgItemText(dialog, IDC_DWORD_DATA));
    SendDlgItemMessageW(dialog, IDC_HEX, BM_CLICK, 0, 0);
    seen.push_back(testsupport::DlgItemText(dialog, IDC_DWORD_DATA));
    SendDlgItemMessageW(dialog, IDC_DEC, BM_CLICK, 0, 0);
    SetDlgItemTextW(dialog, IDC_DWORD_DATA, L"300");
    SendMessageW(dialog, WM_COMMAND, IDM_DONE, 0);
  });
  Cmd(IDM_NEW_DWORD);
  ASSERT_TRUE(driver.Ran());
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"255", L"255", L"ff"}));
  EXPECT_EQ(GetValue(L"Radios", L"r")->data, Dword(300));
}

TEST_F(EditingTest, DeleteAsksFirstAndActsOnTheFocusedPane) {
  SetString(L"Del\\Victim\\Below", L"v", L"1");
  SetString(L"Del", L"keep", L"1");
  SetString(L"Del", L"gone", L"1");
  Select(L"Del");
  FocusList();
  responder_.OnText(L"Are you sure that you want to delete the value?", IDYES);
  Cmd(IDM_DELETE);  // no row selected: nothing
  EXPECT_TRUE(GetValue(L"Del", L"keep"));
  EXPECT_TRUE(GetValue(L"Del", L"gone"));
  SelectRowNamed(L"gone");
  FocusList();
  Cmd(IDM_DELETE);
  EXPECT_FALSE(GetValue(L"Del", L"gone"));
  EXPECT_TRUE(GetValue(L"Del", L"keep"));
  EXPECT_EQ(RowCount(), 1);
  ASSERT_EQ(responder_.MessageBoxes().size(), 2u);
  EXPECT_EQ(responder_.MessageBoxes()[0].caption, L"Confirm");
  EXPECT_EQ(responder_.MessageBoxes()[0].style & (MB_TYPEMASK | MB_ICONMASK),
            static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));

  // "No" keeps the key; "Yes" removes it with everything below.
  Select(L"Del\\Victim");
  FocusTree();
  responder_.OnText(L"Are you sure that you want to delete the key?", IDNO).Once();
  Cmd(IDM_DELETE);
  EXPECT_TRUE(KeyExists(L"Del\\Victim\\Below"));
  responder_.OnText(L"Are you sure that you want to delete the key?", IDYES);
  Cmd(IDM_DELETE);
  EXPECT_FALSE(KeyExists(L"Del\\Victim"));
  EXPECT_EQ(State().current.path, std::wstring(kTestPath) + L"\\Del");
  EXPECT_EQ(Keys().FindChild(State().current.item, L"Victim", true), nullptr);

  // A root is the whole hive: refused, nothing deleted.
  responder_.ClearRecords();
  responder_.OnText(L"Key deleted failed", IDOK);
  Keys().SelectPath(kHkcu, L"", true);
  FocusTree();
  Cmd(IDM_DELETE);
  EXPECT_TRUE(KeyExists(L"Del"));
  ASSERT_NE(LastBox(), nullptr);
  EXPECT_EQ(LastBox()->caption, L"Faild!");
}

TEST_F(EditingTest, RenamingAValueKeepsAllOfItsData) {
  SetValue(L"Ren", L"multi", REG_MULTI_SZ, Utf16(std::wstring(L"a\0b", 3), 2));
  std::vector<BYTE> big(5000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<BYTE>(i * 7);
  SetValue(L"Ren", L"big", REG_BINARY, big);
  SetString(L"Ren", L"other", L"x", REG_EXPAND_SZ);
  Select(L"Ren");
  RenameRow(L"multi", L"multi2");
  RenameRow(L"big", L"big2");
  RenameRow(L"other", L"other2");
  EXPECT_FALSE(GetValue(L"Ren", L"multi"));
  EXPECT_EQ(GetValue(L"Ren", L"multi2")->data, Utf16(std::wstring(L"a\0b", 3), 2));
  EXPECT_EQ(GetValue(L"Ren", L"big2")->data, big);
  EXPECT_EQ(GetValue(L"Ren", L"other2")->type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_GE(RowOf(L"big2"), 0);
  EXPECT_EQ(responder_.UnexpectedCount(), 0);

  // Onto another row's name: refused, old label kept; an empty name opens the label again.
  responder_.OnText(L"\nDestination value name already exists!", IDOK);
  responder_.OnText(L"Please input value name", IDOK);
  RenameRow(L"big2", L"MULTI2");
  EXPECT_TRUE(GetValue(L"Ren", L"big2"));
  ASSERT_NE(LastBox(), nullptr);
  EXPECT_EQ(LastBox()->caption, L"Warning!");
  EXPECT_EQ(LastBox()->owner, nullptr);
  // Wine's list ends an emptied label as a cancel; the list of the device reports the empty text.
  SelectRowNamed(L"big2");
  wchar_t empty[1] = L"";
  NMLVDISPINFOW end{};
  end.hdr.hwndFrom = List();
  end.hdr.idFrom = 1;
  end.hdr.code = LVN_ENDLABELEDITW;
  end.item.iItem = RowOf(L"big2");
  end.item.pszText = empty;
  EXPECT_EQ(SendMessageW(main_, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&end)), FALSE);
  ASSERT_NE(LastBox(), nullptr);
  EXPECT_EQ(LastBox()->text, L"Please input value name");
  EXPECT_EQ(LastBox()->style & MB_ICONMASK, static_cast<UINT>(MB_ICONHAND));
  PumpFor(100);
  HWND edit = ListView_GetEditControl(List());
  EXPECT_NE(edit, nullptr) << "the label was not opened again";
  if (edit) SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(GetValue(L"Ren", L"big2"));
}

TEST_F(EditingTest, RenamingAKeyMovesItsContentAndMergesIntoASibling) {
  SetString(L"RK\\Old\\Child", L"deep", L"1");
  SetDword(L"RK\\Old", L"n", 7);
  SetString(L"RK\\Sib", L"mine", L"s");
  RenameKey(L"RK\\Old", L"New");
  EXPECT_FALSE(KeyExists(L"RK\\Old"));
  EXPECT_EQ(GetValue(L"RK\\New", L"n")->data, Dword(7));
  EXPECT_TRUE(GetValue(L"RK\\New\\Child", L"deep"));
  EXPECT_EQ(State().current.path, std::wstring(kTestPath) + L"\\RK\\New");

  RenameKey(L"RK\\New", L"Sib");
  EXPECT_FALSE(KeyExists(L"RK\\New"));
  EXPECT_TRUE(GetValue(L"RK\\Sib", L"mine"));
  EXPECT_TRUE(GetValue(L"RK\\Sib", L"n"));
  EXPECT_TRUE(GetValue(L"RK\\Sib\\Child", L"deep"));
  HTREEITEM rk = TreeView_GetParent(Tree(), State().current.item);
  int sibs = 0;
  for (HTREEITEM c = TreeView_GetChild(Tree(), rk); c; c = TreeView_GetNextSibling(Tree(), c)) sibs++;
  EXPECT_EQ(sibs, 1);

  // Only the case differs: the registry's names ignore case, so this is the same key; it stays.
  RenameKey(L"RK\\Sib", L"SIB");
  EXPECT_TRUE(GetValue(L"RK\\Sib\\Child", L"deep"));
  EXPECT_TRUE(GetValue(L"RK\\Sib", L"mine"));

  // A root cannot be renamed; an empty name opens the label again.
  responder_.OnText(L"Please select key again!", IDOK);
  responder_.OnText(L"Input key name.", IDOK);
  HTREEITEM root = Keys().SelectPath(kHkcu, L"", true);
  FocusTree();
  HWND edit = TreeView_EditLabel(Tree(), root);
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"X");
  TreeView_EndEditLabelNow(Tree(), FALSE);
  EXPECT_EQ(Keys().ItemText(root), L"HKEY_CURRENT_USER");
  ASSERT_NE(LastBox(), nullptr);
  EXPECT_EQ(LastBox()->caption, L"Warning!");
  RenameKey(L"RK\\Sib", L"");
  EXPECT_EQ(LastBox()->text, L"Input key name.");
  PumpFor(100);
  EXPECT_NE(TreeView_GetEditControl(Tree()), nullptr);
  TreeView_EndEditLabelNow(Tree(), TRUE);
  EXPECT_TRUE(KeyExists(L"RK\\Sib"));
}

TEST_F(EditingTest, CopyAndPasteCopyTheWholeKey) {
  std::vector<BYTE> big(6000, 0x5A);
  SetValue(L"Src", L"big", REG_BINARY, big);
  SetString(L"Src\\Sub\\Leaf", L"s", L"leaf");
  SetDword(L"Src\\Sub", L"d", 9);
  MakeKey(L"Dst");
  Select(L"Src");
  Cmd(IDM_COPY);
  Select(L"Dst");
  Cmd(IDM_PASTE);
  EXPECT_EQ(GetValue(L"Dst\\Src", L"big")->data, big);
  EXPECT_EQ(GetValue(L"Dst\\Src\\Sub", L"d")->data, Dword(9));
  EXPECT_EQ(GetValue(L"Dst\\Src\\Sub\\Leaf", L"s")->data, Utf16(L"leaf"));
  EXPECT_TRUE(GetValue(L"Src", L"big"));  // the source stays
  EXPECT_NE(Keys().FindChild(State().current.item, L"Src", true), nullptr);
  EXPECT_TRUE(responder_.MessageBoxes().empty());

  // The copied key itself, or a place inside it, is refused.
  responder_.OnText(L"Incorrect paste", IDOK);
  Select(L"Src");
  Cmd(IDM_PASTE);
  Select(L"Src\\Sub");
  Cmd(IDM_PASTE);
  ASSERT_EQ(responder_.MessageBoxes().size(), 2u);
  EXPECT_EQ(responder_.MessageBoxes()[0].caption, L"Stop!");
  EXPECT_EQ(responder_.MessageBoxes()[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONHAND));
  EXPECT_FALSE(KeyExists(L"Src\\Sub\\Src"));
  EXPECT_FALSE(KeyExists(L"Src\\Src"));

  // Copy with a root selected says so; the paste then has nothing to paste.
  responder_.ClearRecords();
  responder_.OnText(L"Incorrect cpoy!", IDOK);
  responder_.OnText(L"Incorrect paste!", IDOK);
  Keys().SelectPath(kHkcu, L"", true);
  Cmd(IDM_COPY);
  Select(L"Dst");
  Cmd(IDM_PASTE);
  ASSERT_EQ(responder_.MessageBoxes().size(), 2u);
  EXPECT_EQ(responder_.MessageBoxes()[0].caption, L"Stop!");
  EXPECT_EQ(responder_.MessageBoxes()[1].text, L"Incorrect paste!");
}

TEST_F(EditingTest, ModifyValueEditsTheWholeValueByItsType) {
  SetString(L"Mod", L"s", L"old");
  SetDword(L"Mod", L"d", 31);
  std::vector<BYTE> big(3000, 0x11);
  SetValue(L"Mod", L"b", REG_BINARY, big);
  SetValue(L"Mod", L"m", REG_MULTI_SZ, Utf16(std::wstring(L"first\0second", 12), 2));
  Select(L"Mod");
  responder_.SetLeaveUnmatched(true);

  std::wstring name, type, data;
  bool baseShown = false;
  auto modify = [&](const std::wstring& row, std::function<void(HWND)> edit) {
    SelectRowNamed(row);
    DialogDriver driver(L"Modify Value", [&](HWND dialog) {
      name = testsupport::DlgItemText(dialog, IDC_MODIFY_NAME);
      type = testsupport::DlgItemText(dialog, IDC_MODIFY_TYPE);
      data = testsupport::DlgItemText(dialog, IDC_MODIFY_DATA);
      baseShown = IsWindowVisible(GetDlgItem(dialog, IDC_DEC)) != FALSE;
      edit(dialog);
      SendMessageW(dialog, WM_COMMAND, IDM_DONE, 0);
    });
    Cmd(IDM_MODIFY);
    EXPECT_TRUE(driver.Ran());
  };

  modify(L"s", [](HWND d) { SetDlgItemTextW(d, IDC_MODIFY_DATA, L"new text"); });
  EXPECT_EQ(name, L"s");
  EXPECT_EQ(type, L"REG_SZ");
  EXPECT_EQ(data, L"old");
  EXPECT_FALSE(baseShown);
  EXPECT_EQ(GetValue(L"Mod", L"s")->data, Utf16(L"new text"));
  EXPECT_EQ(Cell(RowOf(L"s"), 1), L"new text");

  modify(L"d", [](HWND d) {
    SendDlgItemMessageW(d, IDC_DEC, BM_CLICK, 0, 0);
    EXPECT_EQ(testsupport::DlgItemText(d, IDC_MODIFY_DATA), L"31");
    SetDlgItemTextW(d, IDC_MODIFY_DATA, L"4096");
  });
  EXPECT_EQ(data, L"1F");
  EXPECT_TRUE(baseShown);
  EXPECT_EQ(GetValue(L"Mod", L"d")->data, Dword(4096));
  EXPECT_EQ(Cell(RowOf(L"d"), 1), L"0x1000");

  // A binary value longer than a row shows is edited whole.
  modify(L"b", [](HWND d) {
    std::wstring text = testsupport::DlgItemText(d, IDC_MODIFY_DATA);
    SetDlgItemTextW(d, IDC_MODIFY_DATA, (text + L"FF").c_str());
  });
  EXPECT_EQ(data.size(), 6000u);
  big.push_back(0xFF);
  EXPECT_EQ(GetValue(L"Mod", L"b")->data, big);

  // A multi-string shows its first string; editing it keeps the others.
  modify(L"m", [](HWND d) { SetDlgItemTextW(d, IDC_MODIFY_DATA, L"one"); });
  EXPECT_EQ(data, L"first");
  EXPECT_EQ(GetValue(L"Mod", L"m")->data, Utf16(std::wstring(L"one\0second", 10), 2));
}

}  // namespace
}  // namespace tamsk_test
