// The copy/move and delete engines on the test device, answered through the dialog responder.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "fileops/fileops.h"
#include "fileops/tests/test_util.h"
#include "testsupport/testsupport.h"
#include "win32/handle.h"

using namespace quintar::fileops;
using fotest::Exists;
using fotest::Get;
using fotest::Item;
using fotest::Names;
using fotest::Put;
using Names_t = std::vector<std::wstring>;

namespace {

constexpr UINT kStop = MB_OK | MB_ICONSTOP;

class Engine : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    base = fotest::FreshFolder(std::wstring(name.begin(), name.end()));
    owner = testsupport::CreateTestWindow(L"Folderon");
    responder.SetLeaveUnmatched(true);  // the progress dialogs run on their own
    responder.OnCaption(L"", IDOK);     // message boxes: none of them is given a caption
  }
  int Copy(std::vector<FileItem> items, const std::wstring& dest, bool move = false) {
    Hooks hooks = hooks_;
    hooks.report = &report;
    return StartTransfer(owner.get(), L"", dest, items, move, hooks);
  }
  int Delete(std::vector<FileItem>& items) {
    Hooks hooks = hooks_;
    hooks.report = &report;
    return StartDelete(owner.get(), L"", items, hooks);
  }
  // Questions no rule answered (the progress dialogs are left to run).
  int Unanswered() const {
    int n = 0;
    for (const auto& d : responder.Dialogs())
      if (!d.expected && d.caption != L"Copy Files" && d.caption != L"Move Files" && d.caption != L"Delete files...")
        ++n;
    return n;
  }
  void ExpectStopBox(std::size_t index, const std::wstring& text) const {
    ASSERT_LT(index, responder.MessageBoxes().size());
    const auto& box = responder.MessageBoxes()[index];
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.style & (MB_ICONMASK | MB_TYPEMASK), kStop);
    EXPECT_EQ(box.caption, L"");  // none given: the platform's default
  }

  std::wstring base;
  testsupport::UniqueWindow owner;
  testsupport::DialogResponder responder;
  Hooks hooks_;
  RunReport report;
};

const wchar_t kFileExists[] = L"this file 'a.txt' already exists.";

// Runs `act` as the n-th dialog of this thread is created: a question of the run, asked after its
// counting walk, is the moment to change the tree under the engine.
class OnNthDialog {
 public:
  OnNthDialog(int n, std::function<void()> act) : left_(n), act_(std::move(act)) {
    current_ = this;
    hook_ = SetWindowsHookExW(WH_CBT, Proc, nullptr, GetCurrentThreadId());
  }
  ~OnNthDialog() {
    UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }

 private:
  static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && current_) {
      const wchar_t* cls = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->lpszClass;
      bool dialog =
          IS_INTRESOURCE(cls) ? LOWORD(reinterpret_cast<ULONG_PTR>(cls)) == 32770 : wcscmp(cls, L"#32770") == 0;
      if (dialog && --current_->left_ == 0) current_->act_();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline OnNthDialog* current_ = nullptr;
  int left_;
  std::function<void()> act_;
  HHOOK hook_ = nullptr;
};

TEST_F(Engine, CopyIntoItsOwnFolderNumbersTheCopiesWithoutAsking) {
  Put(base + L"\\a.txt", "one");
  for (int i = 0; i < 3; ++i) ASSERT_EQ(Copy({Item(kKindFile, base, L"a.txt")}, base), kRan);
  EXPECT_EQ(Names(base), (Names_t{L"a.txt", L"copy (2) of a.txt", L"copy (3) of a.txt", L"copy of a.txt"}));
  EXPECT_EQ(Get(base + L"\\copy (3) of a.txt"), "one");
  EXPECT_TRUE(responder.MessageBoxes().empty());
  EXPECT_EQ(Unanswered(), 0);
  EXPECT_FALSE(report.canceled);
  EXPECT_EQ(report.processed, 1);
}

TEST_F(Engine, RefusalsComeBeforeAnythingIsTouched) {
  std::wstring a = base + L"\\A";
  CreateDirectoryW(a.c_str(), nullptr);
  CreateDirectoryW((a + L"\\B").c_str(), nullptr);
  CreateDirectoryW((base + L"\\AB").c_str(), nullptr);
  Put(a + L"\\f.txt", "f");
  Put(base + L"\\g.txt", "g");

  // Moving into the folder the items are in; checked over all items first.
  EXPECT_EQ(Copy({Item(kKindFile, a, L"f.txt"), Item(kKindFile, base, L"g.txt")}, base, true), kRefused);
  ExpectStopBox(0, L"Illegal move operation.");
  // A folder into itself or below it, in any letter case.
  EXPECT_EQ(Copy({Item(kKindFolder, base, L"A")}, a + L"\\B"), kRefused);
  ExpectStopBox(1, L"Illegal copy operation.");
  EXPECT_EQ(Copy({Item(kKindFolder, base, L"A")}, a), kRefused);
  ExpectStopBox(2, L"Illegal copy operation.");
  EXPECT_EQ(Copy({Item(kKindFolder, base, L"a")}, a + L"\\b", true), kRefused);
  ExpectStopBox(3, L"Illegal move operation.");
  // The system folder in any case.
  EXPECT_EQ(Copy({Item(kKindFolder, L"", L"wINDOWS")}, base), kRefused);
  ExpectStopBox(4, L"'Windows' is a system folder and cannot be moved nor deleted.");
  // A target the device cannot name.
  std::wstring deep = a + L"\\B\\" + std::wstring(30, L'd');
  CreateDirectoryW(deep.c_str(), nullptr);
  std::wstring longName(core::kMaxPath - deep.size(), L'n');  // one more than the target can hold
  ASSERT_TRUE(Put(base + L"\\" + longName, "x"));
  EXPECT_EQ(Copy({Item(kKindFile, base, longName)}, deep), kRefused);
  ExpectStopBox(5, L"'" + longName + L"' cannot be copied.");
  EXPECT_EQ(Names(a), (Names_t{L"B", L"f.txt"}));
  EXPECT_TRUE(Names(deep).empty());
  EXPECT_TRUE(responder.Dialogs().empty());  // no progress dialog was opened

  // "\AB" does not lie inside "\A".
  EXPECT_EQ(Copy({Item(kKindFolder, base, L"A")}, base + L"\\AB"), kRan);
  EXPECT_EQ(Get(base + L"\\AB\\A\\f.txt"), "f");
  EXPECT_EQ(report.total, 4);  // A, f.txt, B and the deep folder
  EXPECT_EQ(report.processed, 4);
}

TEST_F(Engine, ConflictAnswersYesNoAllAndCancel) {
  std::wstring src = base + L"\\src", dst = base + L"\\dst";
  CreateDirectoryW(src.c_str(), nullptr);
  CreateDirectoryW(dst.c_str(), nullptr);
  for (auto name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt"}) {
    Put(src + L"\\" + name, "new");
    Put(dst + L"\\" + name, "old");
  }
  auto items = [&] {
    std::vector<FileItem> v;
    for (auto name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt"}) v.push_back(Item(kKindFile, src, name));
    return v;
  };
  // Yes on a, No on b, then All: c and d without a question.
  responder.OnText(kFileExists, ids::kYes).Once();
  responder.OnText(L"this file 'b.txt' already exists.", ids::kNo).Once();
  responder.OnCaption(L"Replace existing File?", ids::kAll).Once();
  ASSERT_EQ(Copy(items(), dst), kRan);
  EXPECT_EQ(Get(dst + L"\\a.txt"), "new");
  EXPECT_EQ(Get(dst + L"\\b.txt"), "old");
  EXPECT_EQ(Get(dst + L"\\c.txt"), "new");
  EXPECT_EQ(Get(dst + L"\\d.txt"), "new");
  EXPECT_EQ(responder.Dialogs().size(), 4u);  // progress + three questions
  EXPECT_FALSE(report.canceled);
  EXPECT_EQ(report.processed, 4);  // the skipped file counts too

  // Cancel on the first question ends the request; nothing later is touched.
  for (auto name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt"}) Put(dst + L"\\" + name, "old");
  responder.ClearRules();
  responder.ClearRecords();
  responder.OnCaption(L"", IDOK);  // message boxes: none of them is given a caption
  responder.OnCaption(L"Replace existing File?", ids::kPromptCancel).Once();
  ASSERT_EQ(Copy(items(), dst), kRan);
  EXPECT_TRUE(report.canceled);
  for (auto name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt"}) EXPECT_EQ(Get(dst + L"\\" + name), "old");
  EXPECT_TRUE(responder.MessageBoxes().empty());
}

TEST_F(Engine, OneRunAtATime) {
  std::wstring src = base + L"\\src";
  CreateDirectoryW(src.c_str(), nullptr);
  Put(src + L"\\a.txt", "new");
  Put(base + L"\\a.txt", "old");
  // Requests that arrive while a run asks its question are refused without a word.
  int nestedCopy = 0, nestedDelete = 0;
  {
    OnNthDialog during(2, [&] {
      std::vector<FileItem> items{Item(kKindFile, src, L"a.txt")};
      nestedCopy = StartTransfer(owner.get(), L"", src, items, false);
      nestedDelete = StartDelete(owner.get(), L"", items);
    });
    responder.OnText(kFileExists, ids::kNo).Once();
    ASSERT_EQ(Copy({Item(kKindFile, src, L"a.txt")}, base), kRan);
  }
  EXPECT_EQ(nestedCopy, kRefused);
  EXPECT_EQ(nestedDelete, kRefused);
  EXPECT_EQ(responder.Dialogs().size(), 2u);  // progress + the one question
  EXPECT_TRUE(responder.MessageBoxes().empty());
  EXPECT_EQ(Names(src), (Names_t{L"a.txt"}));
  // Once it has ended, the next one runs.
  responder.OnText(kFileExists, ids::kYes).Once();
  ASSERT_EQ(Copy({Item(kKindFile, src, L"a.txt")}, base), kRan);
  EXPECT_EQ(Get(base + L"\\a.txt"), "new");
}

TEST_F(Engine, ReadOnlyAndSystemTargetsAreReplacedWhenConfirmed) {
  std::wstring src = base + L"\\src";
  CreateDirectoryW(src.c_str(), nullptr);
  Put(src + L"\\a.txt", "new");
  Put(src + L"\\s.txt", "new");
  Put(base + L"\\a.txt", "old", FILE_ATTRIBUTE_READONLY);
  Put(base + L"\\s.txt", "old", FILE_ATTRIBUTE_SYSTEM);
  responder.OnText(L"this READ-ONLY file 'a.txt' already exists.", ids::kYes).Once();
  responder.OnText(L"SYSTEM file 's.txt' already exists.", ids::kYes).Once();
  ASSERT_EQ(Copy({Item(kKindFile, src, L"a.txt"), Item(kKindFile, src, L"s.txt")}, base), kRan);
  EXPECT_EQ(Get(base + L"\\a.txt"), "new");
  EXPECT_EQ(Get(base + L"\\s.txt"), "new");
  EXPECT_EQ(Unanswered(), 0);
  EXPECT_FALSE(report.canceled);
}

TEST_F(Engine, FailedReplacementsKeepTheExistingFile) {
  std::wstring src = base + L"\\src";
  CreateDirectoryW(src.c_str(), nullptr);
  Put(src + L"\\a.txt", "new");
  Put(base + L"\\a.txt", "old", FILE_ATTRIBUTE_READONLY);
  responder.OnText(L"this READ-ONLY file 'a.txt' already exists.", ids::kYes);

  // A target held open without sharing, for a copy and for a move.
  {
    quintar::win32::FileHandle lock(
        CreateFileW((base + L"\\a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_EQ(Copy({Item(kKindFile, src, L"a.txt")}, base), kRan);
    EXPECT_EQ(Copy({Item(kKindFile, src, L"a.txt")}, base, true), kRan);
  }
  ExpectStopBox(0, L"'a.txt' cannot be copied.");
  ExpectStopBox(1, L"'a.txt' cannot be copied.");
  EXPECT_TRUE(report.canceled);
  EXPECT_EQ(Get(base + L"\\a.txt"), "old");
  EXPECT_EQ(Get(src + L"\\a.txt"), "new");
  EXPECT_TRUE(GetFileAttributesW((base + L"\\a.txt").c_str()) & FILE_ATTRIBUTE_READONLY);

  // A full disk in the middle of writing the replacement.
  hooks_.beforeWrite = [](const std::wstring&, unsigned long long) { return false; };
  EXPECT_EQ(Copy({Item(kKindFile, src, L"a.txt")}, base), kRan);
  ExpectStopBox(2, L"'a.txt' cannot be copied.");
  EXPECT_EQ(Get(base + L"\\a.txt"), "old");
  EXPECT_TRUE(GetFileAttributesW((base + L"\\a.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
  // ... and of a new file: no half-written file stays behind.
  std::wstring dst = base + L"\\dst";
  CreateDirectoryW(dst.c_str(), nullptr);
  EXPECT_EQ(Copy({Item(kKindFile, src, L"a.txt")}, dst), kRan);
  EXPECT_TRUE(Names(dst).empty());
  EXPECT_EQ(Names(base), (Names_t{L"a.txt", L"dst", L"src"}));  // no temporary left over
  EXPECT_EQ(Get(src + L"\\a.txt"), "new");
}

TEST_F(Engine, MoveReplacesInOneStepAndMovesWholeFolders) {
  std::wstring src = base + L"\\src", dst = base + L"\\dst";
  CreateDirectoryW(src.c_str(), nullptr);
  CreateDirectoryW(dst.c_str(), nullptr);
  CreateDirectoryW((src + L"\\F").c_str(), nullptr);
  CreateDirectoryW((src + L"\\F\\G").c_str(), nullptr);
  Put(src + L"\\F\\G\\x.txt", "x");
  Put(src + L"\\a.txt", "new");
  Put(dst + L"\\a.txt", "old");
  responder.OnText(kFileExists, ids::kYes);
  ASSERT_EQ(Copy({Item(kKindFile, src, L"a.txt"), Item(kKindFolder, src, L"F")}, dst, true), kRan);
  EXPECT_EQ(Get(dst + L"\\a.txt"), "new");
  EXPECT_EQ(Get(dst + L"\\F\\G\\x.txt"), "x");
  EXPECT_TRUE(Names(src).empty());
  EXPECT_EQ(report.total, 4);
  EXPECT_EQ(report.processed, 4);
}

TEST_F(Engine, MovesAcrossStorageCopyVerifyAndThenRemoveTheSource) {
  std::wstring src = base + L"\\src", dst = base + L"\\card";
  for (auto p : {src, dst, src + L"\\F"}) CreateDirectoryW(p.c_str(), nullptr);
  Put(src + L"\\F\\x.txt", "x");
  Put(src + L"\\a.txt", "new");
  Put(src + L"\\b.txt", "b", FILE_ATTRIBUTE_READONLY);
  Put(dst + L"\\a.txt", "old");
  hooks_.renameAcrossStorage = [](const std::wstring&, const std::wstring&) { return true; };
  responder.OnText(kFileExists, ids::kYes);
  ASSERT_EQ(
      Copy({Item(kKindFile, src, L"a.txt"), Item(kKindFile, src, L"b.txt"), Item(kKindFolder, src, L"F")}, dst, true),
      kRan);
  EXPECT_FALSE(report.canceled);
  EXPECT_EQ(Get(dst + L"\\a.txt"), "new");
  EXPECT_EQ(Get(dst + L"\\b.txt"), "b");
  EXPECT_TRUE(GetFileAttributesW((dst + L"\\b.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Get(dst + L"\\F\\x.txt"), "x");
  EXPECT_TRUE(Names(src).empty());
  EXPECT_EQ(Names(dst), (Names_t{L"F", L"a.txt", L"b.txt"}));  // no temporary left over

  // When the copy cannot be completed, the source stays where it was.
  Put(src + L"\\c.txt", "c");
  hooks_.beforeWrite = [](const std::wstring&, unsigned long long) { return false; };
  ASSERT_EQ(Copy({Item(kKindFile, src, L"c.txt")}, dst, true), kRan);
  ExpectStopBox(0, L"'c.txt' cannot be copied.");
  EXPECT_EQ(Get(src + L"\\c.txt"), "c");
  EXPECT_FALSE(Exists(dst + L"\\c.txt"));
}

TEST_F(Engine, FolderConflictsMergeOrSkip) {
  std::wstring src = base + L"\\src", dst = base + L"\\dst";
  for (auto p : {src, dst, src + L"\\F", dst + L"\\F", src + L"\\H", dst + L"\\H"})
    CreateDirectoryW(p.c_str(), nullptr);
  Put(src + L"\\F\\1.txt", "1");
  Put(src + L"\\F\\2.txt", "2");
  Put(src + L"\\H\\3.txt", "3");
  // No skips F with its contents (the counter ends below the total), Yes merges H.
  responder.OnText(L"In 'dst', a folder called 'F' already exists.", IDNO).Once();
  responder.OnText(L"In 'dst', a folder called 'H' already exists.", IDYES).Once();
  ASSERT_EQ(Copy({Item(kKindFolder, src, L"F"), Item(kKindFolder, src, L"H")}, dst, true), kRan);
  EXPECT_TRUE(Names(dst + L"\\F").empty());
  EXPECT_EQ(Names(src + L"\\F"), (Names_t{L"1.txt", L"2.txt"}));
  EXPECT_EQ(Get(dst + L"\\H\\3.txt"), "3");
  EXPECT_FALSE(Exists(src + L"\\H"));
  EXPECT_EQ(report.total, 5);
  EXPECT_EQ(report.processed, 2);
  EXPECT_EQ(Unanswered(), 0);

  // With All, existing folders merge without a question.
  Put(src + L"\\a.txt", "a");
  Put(dst + L"\\a.txt", "old");
  responder.ClearRecords();
  responder.OnText(kFileExists, ids::kAll).Once();
  ASSERT_EQ(Copy({Item(kKindFile, src, L"a.txt"), Item(kKindFolder, src, L"F")}, dst), kRan);
  EXPECT_EQ(Names(dst + L"\\F"), (Names_t{L"1.txt", L"2.txt"}));
  EXPECT_EQ(responder.Dialogs().size(), 2u);  // progress + the one file question
}

TEST_F(Engine, WhatArrivesAfterTheCountIsMovedAndDeletedToo) {
  std::wstring src = base + L"\\src", dst = base + L"\\dst";
  for (auto p : {src, dst, src + L"\\F", dst + L"\\F"}) CreateDirectoryW(p.c_str(), nullptr);
  Put(src + L"\\F\\a.txt", "new");
  Put(dst + L"\\F\\a.txt", "old");
  Put(src + L"\\F\\b.txt", "b");
  // The merge question (the run's second dialog, after the progress dialog) comes after the count.
  {
    OnNthDialog late(2, [&] {
      Put(src + L"\\F\\late.txt", "late");
      CreateDirectoryW((src + L"\\F\\New").c_str(), nullptr);
      Put(src + L"\\F\\New\\deep.txt", "deep");
    });
    responder.OnText(L"In 'dst', a folder called 'F' already exists.", IDYES).Once();
    responder.OnText(kFileExists, ids::kNo).Once();
    ASSERT_EQ(Copy({Item(kKindFolder, src, L"F")}, dst, true), kRan);
  }
  EXPECT_FALSE(report.canceled);
  EXPECT_EQ(Get(dst + L"\\F\\late.txt"), "late");
  EXPECT_EQ(Get(dst + L"\\F\\New\\deep.txt"), "deep");
  EXPECT_EQ(Get(dst + L"\\F\\b.txt"), "b");
  // The file kept by No stays where it was and is not asked about twice.
  EXPECT_EQ(Get(dst + L"\\F\\a.txt"), "old");
  EXPECT_EQ(Names(src + L"\\F"), (Names_t{L"a.txt"}));
  EXPECT_EQ(Unanswered(), 0);
  EXPECT_EQ(responder.Dialogs().size(), 3u);  // progress, merge, one file question

  // Deleting: the folder question of the first of two items comes after the count.
  CreateDirectoryW((base + L"\\G").c_str(), nullptr);
  Put(base + L"\\G\\g.txt", "g");
  std::vector<FileItem> items{Item(kKindFolder, base, L"G"), Item(kKindFolder, base, L"dst")};
  responder.ClearRecords();
  {
    OnNthDialog late(3, [&] {
      Put(base + L"\\G\\late.txt", "late", FILE_ATTRIBUTE_READONLY);
      CreateDirectoryW((base + L"\\G\\New").c_str(), nullptr);
      Put(base + L"\\G\\New\\deep.txt", "deep");
    });
    responder.OnText(L"Do you really want to delete 2 files ?", ids::kYes).Once();
    responder.OnText(L"'G' is a folder. Do you really want to delete it ?", ids::kYes).Once();
    responder.OnText(L"'dst' is a folder. Do you really want to delete it ?", ids::kYes).Once();
    ASSERT_EQ(Delete(items), kRan);
  }
  EXPECT_FALSE(report.canceled);
  EXPECT_EQ(items[0].done, 1);
  EXPECT_EQ(items[1].done, 1);
  EXPECT_EQ(Names(base), (Names_t{L"src"}));
  EXPECT_EQ(Unanswered(), 0);
}

TEST_F(Engine, KeepsTheDeviceAwakeWhileItWorks) {
  auto resets = [] {
    auto lines = testsupport::DeviceEventLines();
    return std::count(lines.begin(), lines.end(), "idle-timer-reset");
  };
  auto before = resets();
  Put(base + L"\\a.txt", "a");
  CreateDirectoryW((base + L"\\to").c_str(), nullptr);
  hooks_.idleResetMs = 40;
  hooks_.beforeWrite = [](const std::wstring&, unsigned long long) {
    Sleep(400);
    return true;
  };
  ASSERT_EQ(Copy({Item(kKindFile, base, L"a.txt")}, base + L"\\to"), kRan);
  EXPECT_EQ(Get(base + L"\\to\\a.txt"), "a");
  EXPECT_GE(resets() - before, 2);
}

TEST_F(Engine, VanishedSourceEndsTheRequest) {
  std::wstring src = base + L"\\src";
  CreateDirectoryW(src.c_str(), nullptr);
  Put(src + L"\\a.txt", "a");
  // A source that is gone by the time its turn comes.
  ASSERT_EQ(Copy({Item(kKindFile, src, L"gone.txt"), Item(kKindFile, src, L"a.txt")}, base), kRan);
  ExpectStopBox(0, L"'gone.txt' cannot be copied.");
  EXPECT_TRUE(report.canceled);
  EXPECT_FALSE(Exists(base + L"\\a.txt"));
}

TEST_F(Engine, ReadOnlyDestinationEndsTheRequest) {
  std::wstring src = base + L"\\src";
  CreateDirectoryW(src.c_str(), nullptr);
  Put(src + L"\\a.txt", "a");
  Put(src + L"\\b.txt", "b");
  std::wstring ro = base + L"\\ro";
  CreateDirectoryW(ro.c_str(), nullptr);
  SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_READONLY);
  quintar::win32::FileHandle probe(
      CreateFileW((ro + L"\\probe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  if (probe) {
    probe.reset();
    DeleteFileW((ro + L"\\probe").c_str());
    SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "this file system lets a read-only folder take new files";
  }
  ASSERT_EQ(Copy({Item(kKindFile, src, L"a.txt"), Item(kKindFile, src, L"b.txt")}, ro, true), kRan);
  ExpectStopBox(0, L"'a.txt' cannot be copied.");
  EXPECT_EQ(Names(src), (Names_t{L"a.txt", L"b.txt"}));
  SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Engine, CancelFinishesTheCurrentFileAndStopsBeforeTheNext) {
  std::wstring src = base + L"\\src", dst = base + L"\\dst";
  CreateDirectoryW(src.c_str(), nullptr);
  CreateDirectoryW(dst.c_str(), nullptr);
  Put(src + L"\\1.txt", std::string(60000, '1'));
  Put(src + L"\\2.txt", "2");
  // The Cancel button is pressed while the first file is being written.
  hooks_.beforeWrite = [](const std::wstring&, unsigned long long offset) {
    if (offset != 0) return true;
    HWND progress = FindWindowW(L"#32770", L"Copy Files");
    PostMessageW(progress, WM_COMMAND, ids::kCancel, 0);
    for (int i = 0; i < 100 && IsWindowEnabled(GetDlgItem(progress, ids::kCancel)); ++i) Sleep(10);
    return true;
  };
  ASSERT_EQ(Copy({Item(kKindFile, src, L"1.txt"), Item(kKindFile, src, L"2.txt")}, dst), kRan);
  EXPECT_TRUE(report.canceled);
  EXPECT_EQ(Get(dst + L"\\1.txt"), std::string(60000, '1'));
  EXPECT_FALSE(Exists(dst + L"\\2.txt"));
  EXPECT_EQ(report.processed, 1);
  EXPECT_TRUE(responder.MessageBoxes().empty());
}

// ---- Delete ----

TEST_F(Engine, DeleteOpeningQuestionDecides) {
  Put(base + L"\\a.txt", "a");
  std::vector<FileItem> items{Item(kKindFile, base, L"a.txt")};
  responder.OnText(L"Do you really want to delete 'a.txt' ?", ids::kNo).Once();
  EXPECT_EQ(Delete(items), kRefused);
  EXPECT_TRUE(Exists(base + L"\\a.txt"));
  ASSERT_EQ(responder.Dialogs().size(), 1u);
  EXPECT_EQ(responder.Dialogs()[0].caption, L"Confirm File Delete");

  // One read-only file: only the opening question, then it goes.
  SetFileAttributesW((base + L"\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  responder.ClearRecords();
  responder.OnText(L"Do you really want to delete 'a.txt' ?", ids::kYes).Once();
  EXPECT_EQ(Delete(items), kRan);
  EXPECT_FALSE(Exists(base + L"\\a.txt"));
  EXPECT_EQ(items[0].done, 1);
  EXPECT_EQ(responder.Dialogs().size(), 2u);  // question + progress
  EXPECT_EQ(Unanswered(), 0);
}

TEST_F(Engine, DeleteAsksAboutProtectedFilesAndFolders) {
  Put(base + L"\\r.txt", "r", FILE_ATTRIBUTE_READONLY);
  Put(base + L"\\s.txt", "s", FILE_ATTRIBUTE_SYSTEM);
  Put(base + L"\\p.txt", "p");
  CreateDirectoryW((base + L"\\D").c_str(), nullptr);
  Put(base + L"\\D\\in-ro.txt", "x", FILE_ATTRIBUTE_READONLY);
  Put(base + L"\\D\\in-sys.txt", "x", FILE_ATTRIBUTE_SYSTEM);
  std::vector<FileItem> items{Item(kKindFile, base, L"r.txt"), Item(kKindFile, base, L"s.txt"),
                              Item(kKindFile, base, L"p.txt"), Item(kKindFolder, base, L"D")};
  items[2].done = 7;  // stale values are reset
  responder.OnText(L"Do you really want to delete 4 files ?", ids::kYes).Once();
  responder.OnText(L"The file 'r.txt' is READ-ONLY. Do you really want to delete it ?", ids::kNo).Once();
  responder.OnText(L"'s.txt' is a System file. Do you really want to delete it ?", ids::kYes).Once();
  responder.OnText(L"'D' is a folder. Do you really want to delete it ?", ids::kYes).Once();
  ASSERT_EQ(Delete(items), kRan);
  EXPECT_EQ(Names(base), (Names_t{L"r.txt"}));
  EXPECT_EQ(items[0].done, 0);
  EXPECT_EQ(items[1].done, 1);
  EXPECT_EQ(items[2].done, 1);
  EXPECT_EQ(items[3].done, 1);
  EXPECT_EQ(Unanswered(), 0);
  EXPECT_FALSE(report.canceled);
  EXPECT_EQ(report.total, 6);
  EXPECT_EQ(report.processed, 5);
}

TEST_F(Engine, DeleteAllAndCancel) {
  for (auto d : {L"\\A", L"\\B", L"\\C"}) {
    CreateDirectoryW((base + d).c_str(), nullptr);
    Put(base + d + L"\\f.txt", "f");
  }
  Put(base + L"\\r.txt", "r", FILE_ATTRIBUTE_READONLY);
  std::vector<FileItem> items{Item(kKindFolder, base, L"A"), Item(kKindFile, base, L"r.txt"),
                              Item(kKindFolder, base, L"B")};
  responder.OnText(L"Do you really want to delete 3 files ?", ids::kYes).Once();
  responder.OnText(L"'A' is a folder. Do you really want to delete it ?", ids::kAll).Once();
  ASSERT_EQ(Delete(items), kRan);
  EXPECT_EQ(Names(base), (Names_t{L"C"}));
  EXPECT_EQ(responder.Dialogs().size(), 3u);  // question, progress, one folder question

  Put(base + L"\\x.txt", "x");
  items = {Item(kKindFolder, base, L"C"), Item(kKindFile, base, L"x.txt")};
  responder.ClearRecords();
  responder.OnText(L"Do you really want to delete 2 files ?", ids::kYes).Once();
  responder.OnText(L"'C' is a folder. Do you really want to delete it ?", ids::kPromptCancel).Once();
  ASSERT_EQ(Delete(items), kRan);
  EXPECT_TRUE(report.canceled);
  EXPECT_EQ(Names(base), (Names_t{L"C", L"x.txt"}));
  EXPECT_EQ(items[0].done, 0);
  EXPECT_EQ(items[1].done, 0);
}

TEST_F(Engine, DeleteStopsAtTheSystemFolderAndAtWhatCannotGo) {
  Put(base + L"\\a.txt", "a");
  CreateDirectoryW(L"\\Windows", nullptr);  // the bare test device may lack it
  Put(L"\\Windows\\keep.txt", "k");
  std::vector<FileItem> items{Item(kKindFile, base, L"a.txt"), Item(kKindFolder, L"", L"WinDows")};
  responder.OnText(L"Do you really want to delete 2 files ?", ids::kYes).Once();
  ASSERT_EQ(Delete(items), kRan);
  ExpectStopBox(0, L"'Windows' is a system folder and cannot be moved nor deleted.");
  EXPECT_EQ(items[0].done, 1);
  EXPECT_EQ(items[1].done, 0);
  EXPECT_TRUE(Exists(L"\\Windows\\keep.txt"));

  // A folder with a file held open: its other files go, the folder stays, the request ends.
  CreateDirectoryW((base + L"\\D").c_str(), nullptr);
  Put(base + L"\\D\\held.txt", "h");
  Put(base + L"\\b.txt", "b");
  quintar::win32::FileHandle lock(
      CreateFileW((base + L"\\D\\held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  items = {Item(kKindFolder, base, L"D"), Item(kKindFile, base, L"b.txt")};
  responder.ClearRecords();
  responder.OnText(L"Do you really want to delete 2 files ?", ids::kYes).Once();
  responder.OnText(L"'D' is a folder. Do you really want to delete it ?", ids::kYes).Once();
  ASSERT_EQ(Delete(items), kRan);
  lock.reset();
  ExpectStopBox(0, L"'D' cannot be deleted.");
  EXPECT_EQ(items[0].done, 0);
  EXPECT_TRUE(Exists(base + L"\\b.txt"));
  EXPECT_TRUE(report.canceled);
}

}  // namespace
