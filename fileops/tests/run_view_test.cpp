// The engines without a window: driven in-process by a scripted view that answers their questions
// and records what they report.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "fileops/engine.h"
#include "fileops/tests/test_util.h"

using namespace quintar::fileops;
using core::ReplaceMode;
using fotest::Get;
using fotest::Item;
using fotest::Names;
using fotest::Put;
using Names_t = std::vector<std::wstring>;

namespace {

class ScriptedView : public RunView {
 public:
  std::deque<ReplaceMode> fileAnswers, deleteAnswers;
  std::deque<bool> mergeAnswers;
  long long cancelAfter = -1;  // entries processed before Cancel is pressed

  std::vector<std::wstring> asked, stops;
  std::wstring finalStatus;
  long long total = -1, processed = 0;

  ReplaceMode AskFileConflict(const std::wstring& target, const std::wstring& source) override {
    asked.push_back(L"file " + target + L" <- " + source);
    return Next(fileAnswers, ReplaceMode::No);
  }
  bool AskFolderMerge(const std::wstring& folder) override {
    asked.push_back(L"merge " + folder);
    return Next(mergeAnswers, false);
  }
  ReplaceMode AskDeleteItem(const std::wstring& question) override {
    asked.push_back(question);
    return Next(deleteAnswers, ReplaceMode::No);
  }
  void ShowStop(const std::wstring& text) override { stops.push_back(text); }
  void TotalKnown(long long n) override { total = n; }
  void Status(std::wstring_view text, bool final) override {
    if (final) finalStatus.assign(text);
  }
  void Route(std::wstring) override {}
  void Advance(long long count) override { processed += count; }
  bool CancelRequested() const override { return cancelAfter >= 0 && processed >= cancelAfter; }

 private:
  template <class T>
  static T Next(std::deque<T>& answers, T otherwise) {
    if (answers.empty()) return otherwise;
    T answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

TEST(RunView, EnginesAskAndReportThroughTheirViewAlone) {
  std::wstring base = fotest::FreshFolder(L"View"), src = base + L"\\src", dst = base + L"\\dst";
  for (auto p : {src, dst, src + L"\\F", dst + L"\\F"}) CreateDirectoryW(p.c_str(), nullptr);
  for (auto name : {L"\\a.txt", L"\\b.txt"}) {
    Put(src + name, "new");
    Put(dst + name, "old");
  }
  Put(src + L"\\F\\x.txt", "x");
  std::vector<FileItem> items{Item(kKindFile, src, L"a.txt"), Item(kKindFile, src, L"b.txt"),
                              Item(kKindFolder, src, L"F"), Item(kKindFile, src, L"gone.txt")};
  Hooks hooks;
  ScriptedView view;
  view.fileAnswers = {ReplaceMode::Yes, ReplaceMode::No};
  view.mergeAnswers = {true};
  Engine copy(RunKind::Copy, items, dst, hooks);
  copy.Run(view);
  EXPECT_EQ(view.asked, (Names_t{L"file " + dst + L"\\a.txt <- " + src + L"\\a.txt",
                                 L"file " + dst + L"\\b.txt <- " + src + L"\\b.txt", L"merge " + dst + L"\\F"}));
  EXPECT_EQ(Get(dst + L"\\a.txt"), "new");
  EXPECT_EQ(Get(dst + L"\\b.txt"), "old");
  EXPECT_EQ(Get(dst + L"\\F\\x.txt"), "x");
  // The vanished last item ends the run with its message.
  EXPECT_EQ(view.stops, (Names_t{L"'gone.txt' cannot be copied."}));
  EXPECT_EQ(view.finalStatus, L"Canceled");
  EXPECT_TRUE(copy.Canceled());
  EXPECT_EQ(view.total, 5);
  EXPECT_EQ(copy.Total(), 5);
  EXPECT_EQ(view.processed, 4);

  // A delete canceled once its first entry is gone: the next item is never reached.
  Put(base + L"\\r.txt", "r", FILE_ATTRIBUTE_READONLY);
  items = {Item(kKindFile, base, L"r.txt"), Item(kKindFolder, base, L"dst")};
  ScriptedView deleting;
  deleting.deleteAnswers = {ReplaceMode::Yes};
  deleting.cancelAfter = 1;
  Engine erase(RunKind::Delete, items, {}, hooks);
  erase.Run(deleting);
  EXPECT_EQ(deleting.asked, (Names_t{L"The file 'r.txt' is READ-ONLY. Do you really want to delete it ?"}));
  EXPECT_EQ(Names(base), (Names_t{L"dst", L"src"}));
  EXPECT_EQ(items[0].done, 1);
  EXPECT_EQ(items[1].done, 0);
  EXPECT_EQ(deleting.finalStatus, L"Canceled");
  EXPECT_TRUE(erase.Canceled());
}

}  // namespace
