// The list pane inside one process, with a stand-in for the main window: what a listing holds.
#include "filemanager/listpane.h"

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "filemanager/core/file_entry.h"
#include "filemanager/folderwatcher.h"
#include "testsupport/testsupport.h"
#include "win32/handle.h"

namespace {

namespace qf = quintar::folderon::core;

class Host : public quintar::folderon::ListHost {
 public:
  quintar::folderon::FolderWatcher& Watcher() override { return watcher; }
  bool AddressBarShown() const override { return true; }
  void ShowLoading() override {}
  void ShowStatus(const std::wstring& path, unsigned long long count, unsigned long long bytes) override {
    statusPath = path;
    statusCount = count;
    statusBytes = bytes;
  }
  void Listed(const std::wstring& path) override { listed.push_back(path); }
  void OpenFile(const std::wstring& path) override { opened.push_back(path); }

  quintar::folderon::FolderWatcher watcher;
  std::wstring statusPath;
  unsigned long long statusCount = 0, statusBytes = 0;
  std::vector<std::wstring> listed, opened;
};

quintar::folderon::ListPane* g_pane = nullptr;

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY && g_pane && reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOW) {
    g_pane->OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(lParam));
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class ListPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ListPaneTestFrame";
    RegisterClassW(&wc);
    frame_ =
        CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 240, 300, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(frame_, nullptr);
    ASSERT_TRUE(host_.watcher.Start());
    ASSERT_TRUE(pane_.Create(frame_, wc.hInstance, L""));
    g_pane = &pane_;
  }
  void TearDown() override {
    g_pane = nullptr;
    host_.watcher.Stop();
    pane_.SaveSettingsAndDestroy();
    DestroyWindow(frame_);
  }

  std::wstring NameAt(int row) {
    const qf::FileEntry* entry = pane_.EntryOf(row);
    return entry ? std::wstring(entry->name.begin(), entry->name.end()) : L"<none>";
  }

  HWND frame_ = nullptr;
  Host host_;
  quintar::folderon::ListPane pane_{host_};
};

TEST_F(ListPaneTest, FolderListingSkipsRecycledAndCountsWithoutTheUpLevelRow) {
  CreateDirectoryW(L"\\Temp\\lp", nullptr);
  CreateDirectoryW(L"\\Temp\\lp\\RECYCLED", nullptr);
  CreateDirectoryW(L"\\Temp\\lp\\b", nullptr);
  {
    quintar::win32::FileHandle file(
        CreateFileW(L"\\Temp\\lp\\a.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    WriteFile(file.get(), "12345", 5, &written, nullptr);
  }

  pane_.Navigate(L"\\Temp\\lp");
  ASSERT_EQ(pane_.RowCount(), 3);
  EXPECT_EQ(NameAt(0), L"..");
  EXPECT_EQ(NameAt(1), L"b");  // folders before files, whatever the names
  EXPECT_EQ(NameAt(2), L"a.txt");
  EXPECT_EQ(host_.statusCount, 2u);
  EXPECT_EQ(host_.statusBytes, 5u);
  EXPECT_EQ(host_.listed.back(), L"\\Temp\\lp");

  // Opening a file row hands its full path to the host; the up-level row goes up and selects
  // the folder one came from.
  pane_.OpenRow(2);
  ASSERT_EQ(host_.opened.size(), 1u);
  EXPECT_EQ(host_.opened[0], L"\\Temp\\lp\\a.txt");
  pane_.OpenRow(0);
  EXPECT_EQ(pane_.Path(), L"\\Temp");
  EXPECT_EQ(NameAt(pane_.SelectedRow()), L"lp");
}

// A large folder: every entry listed once and sorted, the one come from selected, the status
// counting them all; then the other direction.
TEST_F(ListPaneTest, LargeFolderIsListedWholeAndSorted) {
  constexpr int kFiles = 1800;
  CreateDirectoryW(L"\\Temp\\big", nullptr);
  CreateDirectoryW(L"\\Temp\\big\\zz folder", nullptr);
  unsigned long long bytes = 0;
  for (int i = 0; i < kFiles; ++i) {
    // Created in an order other than the sorted one.
    wchar_t name[64];
    swprintf(name, 64, L"\\Temp\\big\\f%05d.txt", (i * 7919) % kFiles);
    quintar::win32::FileHandle file(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    WriteFile(file.get(), "abc", static_cast<DWORD>(i % 4), &written, nullptr);
    bytes += written;
  }

  pane_.Navigate(L"\\Temp\\big\\zz folder");
  pane_.UpOneLevel();
  ASSERT_EQ(pane_.RowCount(), kFiles + 2);
  EXPECT_EQ(NameAt(0), L"..");
  EXPECT_EQ(NameAt(1), L"zz folder");
  EXPECT_EQ(pane_.SelectedRow(), 1) << "the folder come from is selected";
  auto fileName = [](int i) {
    wchar_t name[16];
    swprintf(name, 16, L"f%05d.txt", i);
    return std::wstring(name);
  };
  for (int i = 0; i < kFiles; ++i) ASSERT_EQ(NameAt(i + 2), fileName(i)) << "row " << i + 2;
  EXPECT_EQ(host_.statusCount, static_cast<unsigned long long>(kFiles + 1));
  EXPECT_EQ(host_.statusBytes, bytes);

  // Descending by name, then back: the same rows in the other order.
  pane_.OnColumnClick(0);
  pane_.Navigate(L"\\Temp\\big");
  ASSERT_EQ(pane_.RowCount(), kFiles + 2);
  EXPECT_EQ(NameAt(0), L"..");
  EXPECT_EQ(NameAt(1), L"zz folder");
  for (int i = 0; i < kFiles; ++i) ASSERT_EQ(NameAt(i + 2), fileName(kFiles - 1 - i)) << "row " << i + 2;
  pane_.OnColumnClick(0);
}

TEST_F(ListPaneTest, SearchHitsAreListedAndVanishedOnesDropped) {
  CreateDirectoryW(L"\\Temp\\hits", nullptr);
  for (const wchar_t* name : {L"\\Temp\\hits\\one.txt", L"\\Temp\\hits\\two.txt"}) {
    quintar::win32::FileHandle file(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
  }
  std::vector<quintar::folderon::SearchResultNode> hits(3);
  hits[0] = {L"\\Temp\\hits", L"two.txt", FILE_ATTRIBUTE_ARCHIVE, {}, 10};
  hits[1] = {L"\\Temp\\hits", L"gone.txt", FILE_ATTRIBUTE_ARCHIVE, {}, 20};
  hits[2] = {L"\\Temp\\hits", L"one.txt", FILE_ATTRIBUTE_ARCHIVE, {}, 30};
  pane_.SetSearchHits(hits);

  pane_.Navigate(L"\\Temp\\hits");
  size_t nodes = pane_.History().size();
  pane_.Navigate(L"File Search");
  ASSERT_EQ(pane_.RowCount(), 2);  // no up-level row, and "gone.txt" is no more
  EXPECT_EQ(NameAt(0), L"one.txt");
  EXPECT_EQ(NameAt(1), L"two.txt");
  EXPECT_EQ(host_.statusCount, 2u);
  EXPECT_EQ(host_.statusBytes, 40u);
  EXPECT_EQ(pane_.SearchHits().size(), 2u);
  EXPECT_EQ(pane_.History().size(), nodes) << "the search hits make no history node";
  // Back from the hits shows the folder shown before them.
  pane_.Back();
  EXPECT_EQ(pane_.Path(), L"\\Temp\\hits");

  // A hit that goes later goes at the next listing.
  DeleteFileW(L"\\Temp\\hits\\one.txt");
  pane_.Navigate(L"File Search");
  ASSERT_EQ(pane_.RowCount(), 1);
  EXPECT_EQ(NameAt(0), L"two.txt");
}

}  // namespace
