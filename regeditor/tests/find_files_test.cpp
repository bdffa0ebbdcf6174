// Find and Find Next through the real registry, and the Export, Export All and Import commands
// with their messages.

#include "ui_fixture.h"
#include "win32/handle.h"

namespace tamsk_test {
namespace {

using testsupport::PumpFor;

std::wstring CurrentSub(const std::wstring& path) {
  if (path == kTestPath) return L"";
  std::wstring prefix = std::wstring(kTestPath) + L"\\";
  return path.rfind(prefix, 0) == 0 ? path.substr(prefix.size()) : L"<" + path + L">";
}

class FindTest : public TamskTest {
 protected:
  // Find with the dialog filled as given; Done is pressed unless `cancel`.
  void Find(const std::wstring& text, bool key, bool value, bool data, bool whole = false, bool cancel = false) {
    responder_.SetLeaveUnmatched(true);
    DialogDriver driver(L"Find", [=](HWND dialog) {
      EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FIND_KEY), static_cast<UINT>(BST_CHECKED));
      EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FIND_WHOLE), static_cast<UINT>(BST_UNCHECKED));
      EXPECT_EQ(testsupport::DlgItemText(dialog, IDC_FIND_TEXT), L"");
      SetDlgItemTextW(dialog, IDC_FIND_TEXT, text.c_str());
      CheckDlgButton(dialog, IDC_FIND_KEY, key ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(dialog, IDC_FIND_VALUE, value ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(dialog, IDC_FIND_DATA, data ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(dialog, IDC_FIND_WHOLE, whole ? BST_CHECKED : BST_UNCHECKED);
      if (cancel) {
        SendMessageW(dialog, WM_COMMAND, IDM_CANCEL, 0);
      } else {
        SendMessageW(dialog, WM_COMMAND, IDM_DONE, 0);
        // A validation message leaves the dialog open: close it for the test.
        if (IsWindow(dialog)) SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      }
    });
    Cmd(IDM_FIND);
    EXPECT_TRUE(driver.Ran());
  }
  std::wstring SelectedRowName() {
    int row = Values().SelectedRow();
    return row >= 0 ? Cell(row, 0) : L"<none>";
  }
};

TEST_F(FindTest, KeyNamesAreVisitedOnceEachThenTheSearchStartsOver) {
  MakeKey(L"A\\QzSoftOne");
  MakeKey(L"B\\QzSoftTwo\\qzsoftthree");
  Select(L"");
  responder_.OnText(L"Finished searching through the registry.", IDOK);
  Find(L"qzsoft", true, false, false);
  EXPECT_EQ(CurrentSub(State().current.path), L"A\\QzSoftOne");
  Cmd(IDM_FIND_NEXT);
  EXPECT_EQ(CurrentSub(State().current.path), L"B\\QzSoftTwo");
  Cmd(IDM_FIND_NEXT);
  EXPECT_EQ(CurrentSub(State().current.path), L"B\\QzSoftTwo\\qzsoftthree");
  EXPECT_TRUE(responder_.MessageBoxes().empty());
  Cmd(IDM_FIND_NEXT);
  ASSERT_EQ(responder_.MessageBoxes().size(), 1u);
  EXPECT_EQ(responder_.MessageBoxes()[0].caption, L"Search complete");
  EXPECT_EQ(responder_.MessageBoxes()[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  Cmd(IDM_FIND_NEXT);
  EXPECT_EQ(CurrentSub(State().current.path), L"A\\QzSoftOne");
}

TEST_F(FindTest, WholeStringSkipsLongerNames) {
  MakeKey(L"A\\QzSoftwareUpdate");
  MakeKey(L"B\\QzSoftware");
  Select(L"");
  Find(L"qzsoftware", true, false, false, true);
  EXPECT_EQ(CurrentSub(State().current.path), L"B\\QzSoftware");
}

TEST_F(FindTest, ValueAndDataHitsSelectTheirRow) {
  SetString(L"V1", L"before", L"x");
  SetString(L"V1", L"QzVal", L"x");
  SetString(L"V2", L"QzVal", L"x");
  SetString(L"D1", L"holder", L"some qzneedle text");
  Select(L"");
  responder_.OnText(L"Finished searching through the registry.", IDOK);
  Find(L"qzval", false, true, false);
  EXPECT_EQ(CurrentSub(State().current.path), L"V1");
  EXPECT_EQ(SelectedRowName(), L"QzVal");
  Cmd(IDM_FIND_NEXT);
  EXPECT_EQ(CurrentSub(State().current.path), L"V2");
  Cmd(IDM_FIND_NEXT);
  EXPECT_EQ(responder_.MessageBoxes().size(), 1u);

  Find(L"QZNEEDLE", false, false, true);
  EXPECT_EQ(CurrentSub(State().current.path), L"D1");
  EXPECT_EQ(SelectedRowName(), L"holder");
}

TEST_F(FindTest, AKeyIsReportedBeforeAValueOfTheSameText) {
  SetString(L"K", L"qzboth", L"x");
  MakeKey(L"K2\\QzBoth");
  Select(L"");
  Find(L"qzboth", true, true, false);
  EXPECT_EQ(CurrentSub(State().current.path), L"K2\\QzBoth");
}

TEST_F(FindTest, DialogMessagesAndCancel) {
  responder_.OnText(L"Please select the root in which you want to find the results", IDOK);
  TreeView_SelectItem(Tree(), nullptr);
  Cmd(IDM_FIND);
  ASSERT_EQ(responder_.MessageBoxes().size(), 1u);
  EXPECT_EQ(responder_.MessageBoxes()[0].caption, L"Warning!");

  Select(L"");
  responder_.ClearRecords();
  responder_.OnText(L"Please input a valid string to search for!", IDOK);
  responder_.OnText(L"Please check at least one of the options (Key,Value & Data)! ", IDOK);
  Find(L"", true, true, true);
  Find(L"something", false, false, false);
  ASSERT_EQ(responder_.MessageBoxes().size(), 2u);
  EXPECT_EQ(responder_.MessageBoxes()[0].caption, L"Warning!");
  EXPECT_EQ(responder_.MessageBoxes()[1].caption, L"Waring!");
  EXPECT_EQ(responder_.MessageBoxes()[1].style & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));

  responder_.ClearRecords();
  Find(L"qzanything", true, true, true, false, true);
  EXPECT_TRUE(responder_.MessageBoxes().empty());
  EXPECT_EQ(CurrentSub(State().current.path), L"");
}

// ---- Export and import -----------------------------------------------------------------------

std::wstring g_chosen;
bool ChooseTestFile(HWND, bool, std::wstring& file) {
  file = g_chosen;
  return true;
}
bool CancelChoice(HWND, bool, std::wstring&) { return false; }

std::string ReadBytes(const std::wstring& file) {
  std::string bytes;
  quintar::win32::FileHandle h(
      CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!h) return "<missing>";
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(h.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  return bytes;
}

void WriteBytes(const std::wstring& file, const std::string& bytes) {
  quintar::win32::FileHandle h(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(h);
  DWORD written = 0;
  WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

class FilesTest : public TamskTest {
 protected:
  void SetUp() override {
    TamskTest::SetUp();
    g_chosen = L"\\tamsk-test.reg";
    DeleteFileW(g_chosen.c_str());
    window_->SetFileChooser(ChooseTestFile);
  }
  void TearDown() override {
    DeleteFileW(g_chosen.c_str());
    TamskTest::TearDown();
  }
};

TEST_F(FilesTest, ExportWritesTheKeyByteForByteAndAppends) {
  SetString(L"Exp", L"Color", L"blue");
  SetDword(L"Exp", L"Count", 31);
  SetValue(L"Exp", L"d", REG_BINARY, {0x01, 0xAB, 0xFF});
  MakeKey(L"Exp\\Empty");
  Select(L"Exp");
  responder_.OnCaption(L"Zek Registry Editor", IDOK);
  Cmd(IDM_EXPORT);
  const std::string once =
      "Windows Registry Editor Version 5.00"
      "\n[HKEY_CURRENT_USER\\Software\\TamskTest\\Exp]\n"
      "\"Color\" = REG_SZ: blue\n"
      "\"Count\" = REG_DWORD: 0000001f\n\n"
      "\"d\" = REG_BINARY: 01,ab,ff\n\n"
      "\n[HKEY_CURRENT_USER\\Software\\TamskTest\\Exp\\Empty]\n";
  EXPECT_EQ(ReadBytes(g_chosen), once);
  ASSERT_EQ(responder_.MessageBoxes().size(), 1u);
  EXPECT_EQ(responder_.MessageBoxes()[0].text, L"Finished exporting!\nThe exported file path is:\n" + g_chosen);
  EXPECT_EQ(responder_.MessageBoxes()[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  Cmd(IDM_EXPORT);
  EXPECT_EQ(ReadBytes(g_chosen), once + once);

  // Cancelling the file choice ends the command quietly.
  window_->SetFileChooser(CancelChoice);
  responder_.ClearRecords();
  Cmd(IDM_EXPORT);
  Cmd(IDM_IMPORT);
  EXPECT_TRUE(responder_.MessageBoxes().empty());
}

TEST_F(FilesTest, ExportFailuresAreReportedNotCalledSuccess) {
  responder_.OnText(L"Please select the registry you want to export!", IDOK);
  TreeView_SelectItem(Tree(), nullptr);
  Cmd(IDM_EXPORT);
  ASSERT_EQ(responder_.MessageBoxes().size(), 1u);
  EXPECT_EQ(responder_.MessageBoxes()[0].caption, L"Warning!");

  Select(L"");
  responder_.ClearRecords();
  g_chosen = L"\\No Such Folder\\x.reg";
  responder_.OnText(L"Error while creating the file", IDOK);
  Cmd(IDM_EXPORT);
  ASSERT_EQ(responder_.MessageBoxes().size(), 1u);
  EXPECT_EQ(responder_.MessageBoxes()[0].caption, L"Warning!");
  EXPECT_EQ(responder_.MessageBoxes()[0].owner, nullptr);
}

TEST_F(FilesTest, ExportAllWritesTheFourRootsUnderOneHeader) {
  Select(L"");
  responder_.OnCaption(L"Zek Registry Editor", IDOK);
  Cmd(IDM_EXPORT_ALL);
  ASSERT_EQ(responder_.MessageBoxes().size(), 1u);
  EXPECT_EQ(responder_.MessageBoxes()[0].text,
            L"The registry has been exported successfully!\nThe registry file is in:\n\\My Documents\\");
  std::string bytes = ReadBytes(g_chosen);
  EXPECT_EQ(bytes.rfind("Windows Registry Editor Version 5.00", 0), 0u);
  EXPECT_EQ(bytes.find("Windows Registry Editor", 1), std::string::npos);
  size_t classes = bytes.find("\n[HKEY_CLASSES_ROOT]\n"), user = bytes.find("\n[HKEY_CURRENT_USER]\n"),
         machine = bytes.find("\n[HKEY_LOCAL_MACHINE]\n"), users = bytes.find("\n[HKEY_USERS]\n");
  ASSERT_NE(classes, std::string::npos);
  ASSERT_NE(users, std::string::npos);
  EXPECT_LT(classes, user);
  EXPECT_LT(user, machine);
  EXPECT_LT(machine, users);
  EXPECT_NE(bytes.find("\n[HKEY_CURRENT_USER\\Software\\TamskTest]\n"), std::string::npos);
}

TEST_F(FilesTest, ImportAppliesTheFileAndRebuildsTheTree) {
  SetString(L"Imp", L"same", L"keep");
  SetValue(L"Imp", L"bin", REG_BINARY, {1, 2});
  Select(L"Imp");
  WriteBytes(g_chosen,
             "\n[HKEY_CURRENT_USER\\Software\\TamskTest\\Imp]\n"
             "\"same\" = REG_SZ: changed\n"
             "\"Count\" = REG_DWORD: 0000001f\n\n"
             "\"bin\" = REG_BINARY: ff\n\n"
             "\n[HKEY_CURRENT_USER\\Software\\TamskTest\\Imp\\New]\n"
             "\"s\" = REG_SZ: caf\xe9\n"
             "\n[HKEY_FOO\\Software\\TamskTest]\n"
             "\"x\" = REG_SZ: y\n");
  responder_.OnCaption(L"Information", IDOK);
  Cmd(IDM_IMPORT);
  ASSERT_EQ(responder_.MessageBoxes().size(), 1u);
  EXPECT_EQ(responder_.MessageBoxes()[0].text, L"The registry has been imported successfully.");
  EXPECT_EQ(responder_.MessageBoxes()[0].owner, nullptr);
  EXPECT_EQ(GetValue(L"Imp", L"same")->data, Utf16(L"changed"));
  EXPECT_EQ(GetValue(L"Imp", L"Count")->data, (std::vector<BYTE>{31, 0, 0, 0}));
  EXPECT_EQ(GetValue(L"Imp", L"bin")->data, (std::vector<BYTE>{1, 2}));  // an existing binary stays
  EXPECT_EQ(GetValue(L"Imp\\New", L"s")->data, Utf16(L"caf\u00e9"));
  // The tree was rebuilt as at start (the tree selects a root again when it takes the focus).
  EXPECT_EQ(State().current.path, L"");
  for (HTREEITEM root = TreeView_GetRoot(Tree()); root; root = TreeView_GetNextSibling(Tree(), root)) {
    EXPECT_EQ(TreeView_GetChild(Tree(), root), nullptr);
  }
}

TEST_F(FilesTest, BadFilesNeverDeleteAndAMissingFileIsNotASuccess) {
  SetString(L"Safe", L"v", L"kept");
  std::string junk;
  for (int i = 0; i < 70000; ++i) junk.push_back(static_cast<char>((i * 131) & 0xFF));
  junk += "\n[HKEY_CURRENT_USER\\Software\\TamskTest\\Safe\n\"v\" = REG_DWORD: zz\n[\n\"";
  WriteBytes(g_chosen, junk);
  responder_.OnCaption(L"Information", IDOK);
  responder_.OnText(L"The input should be 0 to 9, or a(A)to f(F)!", IDOK);
  Cmd(IDM_IMPORT);
  EXPECT_EQ(GetValue(L"Safe", L"v")->data, Utf16(L"kept"));
  ASSERT_FALSE(responder_.MessageBoxes().empty());
  EXPECT_EQ(responder_.MessageBoxes().back().text, L"The registry has been imported successfully.");

  responder_.ClearRecords();
  g_chosen = L"\\no-such-file.reg";
  responder_.OnCaption(L"Warning!", IDOK);
  Cmd(IDM_IMPORT);
  ASSERT_EQ(responder_.MessageBoxes().size(), 1u);
  EXPECT_EQ(responder_.MessageBoxes()[0].caption, L"Warning!");
  EXPECT_NE(responder_.MessageBoxes()[0].text, L"The registry has been imported successfully.");
}

}  // namespace
}  // namespace tamsk_test
