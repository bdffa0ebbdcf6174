// Sorting a large folder by each key must cost about what sorting its bare names costs: the
// anchor sorts the 100,000 names alone (ordinal, std::sort); each subject sorts the rows by one
// comparator, as the list view's sort does, through pointers to the records.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "filemanager/core/sorting.h"
#include "testsupport/bench_ratio.h"

namespace {

using namespace quintar::folderon::core;

constexpr std::size_t kRows = 100000;

std::vector<FileEntry> MakeRows(std::size_t count) {
  {
    static const char16_t* const kWords[] = {
        u"Report", u"notes",   u"IMG_",   u"Budget", u"invoice",  u"Meeting",   u"photo",    u"Draft", u"summary",
        u"Backup", u"setup",   u"Letter", u"track",  u"Scan",     u"readme",    u"Contacts", u"map",   u"Music",
        u"DSC",    u"project", u"Agenda", u"log",    u"Vacation", u"Übersicht", u"résumé"};
    static const char16_t* const kExts[50] = {
        u"txt", u"doc",  u"DOC", u"xls", u"jpg", u"JPG", u"png", u"bmp", u"gif", u"mp3", u"wav", u"wma", u"pdf",
        u"htm", u"html", u"exe", u"dll", u"lnk", u"LNK", u"zip", u"lzh", u"cab", u"pxl", u"psw", u"pwi", u"ini",
        u"dat", u"log",  u"csv", u"xml", u"rtf", u"wmv", u"avi", u"mid", u"ttf", u"cpl", u"tsk", u"2bp", u"vcf",
        u"ics", u"msg",  u"eml", u"db",  u"cdb", u"sys", u"bak", u"tmp", u"enf", u"reg", u"url"};
    std::mt19937 rng(20261207);
    std::vector<FileEntry> out;
    out.reserve(count);
    out.push_back(MakeUpLevelEntry());
    for (std::size_t i = 1; i < count; ++i) {
      FileEntry e;
      e.folder = u"\\My Documents\\Archive";
      e.name = kWords[rng() % std::size(kWords)];
      if (rng() % 2) e.name += u' ';
      const std::string n = std::to_string(rng() % 100000);
      e.name.append(n.begin(), n.end());
      if (rng() % 10 == 0) {
        e.kind = EntryKind::Folder;
        e.attributes = kAttrDirectory;
      } else {
        if (rng() % 20) {
          e.name += u'.';
          e.name += kExts[rng() % 50];
        }
        e.kind = EntryKind::File;
        e.size = rng() % 4000000;
      }
      e.time = 126000000000000000ull + (static_cast<std::uint64_t>(rng()) << 20);
      out.push_back(std::move(e));
    }
    std::shuffle(out.begin(), out.end(), rng);
    return out;
  }
}

// Rows of a folder of `count` entries; 100,000 is the figure judged, 5,000 shows the cost once
// the rows fit in the cache.
const std::vector<FileEntry>& Rows(std::size_t count = kRows) {
  static const std::vector<FileEntry> large = MakeRows(kRows);
  static const std::vector<FileEntry> small = MakeRows(5000);
  return count == kRows ? large : small;
}

void BM_SortNamesAnchor(benchmark::State& state) {
  const auto& source = Rows(static_cast<std::size_t>(state.range(0)));
  std::vector<std::u16string> names;
  for (const auto& e : source) names.push_back(e.name);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::u16string> copy = names;
    state.ResumeTiming();
    std::sort(copy.begin(), copy.end());
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * state.range(0)));
}
BENCHMARK(BM_SortNamesAnchor)->Arg(kRows)->Arg(5000)->Unit(benchmark::kMicrosecond);

void SortBy(benchmark::State& state, SortKey key, bool ascending) {
  const auto& source = Rows(static_cast<std::size_t>(state.range(0)));
  std::vector<const FileEntry*> rows;
  for (const auto& e : source) rows.push_back(&e);
  const EntryComparator cmp = ComparatorFor(key);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<const FileEntry*> copy = rows;
    state.ResumeTiming();
    std::sort(copy.begin(), copy.end(),
              [&](const FileEntry* a, const FileEntry* b) { return cmp(*a, *b, ascending) < 0; });
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * state.range(0)));
}

void BM_SortByName(benchmark::State& s) { SortBy(s, SortKey::Name, true); }
void BM_SortByNameReversed(benchmark::State& s) { SortBy(s, SortKey::Name, false); }
void BM_SortByType(benchmark::State& s) { SortBy(s, SortKey::Type, true); }
void BM_SortBySize(benchmark::State& s) { SortBy(s, SortKey::Size, true); }
void BM_SortByDate(benchmark::State& s) { SortBy(s, SortKey::Date, true); }
BENCHMARK(BM_SortByName)->Arg(kRows)->Arg(5000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortByNameReversed)->Arg(kRows)->Arg(5000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortByType)->Arg(kRows)->Arg(5000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortBySize)->Arg(kRows)->Arg(5000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortByDate)->Arg(kRows)->Arg(5000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return testsupport::RunWithRatios(argc, argv,
                                    {{"BM_SortByName/100000", "BM_SortNamesAnchor/100000"},
                                     {"BM_SortByNameReversed/100000", "BM_SortNamesAnchor/100000"},
                                     {"BM_SortByType/100000", "BM_SortNamesAnchor/100000"},
                                     {"BM_SortBySize/100000", "BM_SortNamesAnchor/100000"},
                                     {"BM_SortByDate/100000", "BM_SortNamesAnchor/100000"},
                                     {"BM_SortByName/5000", "BM_SortNamesAnchor/5000"},
                                     {"BM_SortByNameReversed/5000", "BM_SortNamesAnchor/5000"},
                                     {"BM_SortByType/5000", "BM_SortNamesAnchor/5000"},
                                     {"BM_SortBySize/5000", "BM_SortNamesAnchor/5000"},
                                     {"BM_SortByDate/5000", "BM_SortNamesAnchor/5000"}});
}
