// The ZIP engine on the device's files: trees packed and unpacked whole, archive names, and what
// it refuses to do with hostile archives, locked sources and stops.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "testsupport/testsupport.h"
#include "win32/handle.h"
#include "zip/core/archive.h"
#include "zip/core/entry.h"
#include "zip/zipfiles.h"

namespace core = quintar::zip::core;
namespace zip = quintar::zip;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

class Recorder final : public zip::Progress {
 public:
  void Entry(std::wstring_view name, unsigned percent) override {
    names.emplace_back(name);
    percents.push_back(percent);
    if (stopAfter > 0 && --stopAfter == 0) stop.store(true);
  }
  std::vector<std::wstring> names;
  std::vector<unsigned> percents;
  int stopAfter = 0;
  std::atomic<bool> stop{false};
};

std::wstring Folder(const std::wstring& name) {
  CreateDirectoryW(L"\\Temp", nullptr);
  CreateDirectoryW(L"\\Temp\\zip", nullptr);
  const std::wstring path = L"\\Temp\\zip\\" + name;
  CreateDirectoryW(path.c_str(), nullptr);
  return path;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void SetTime(const std::wstring& path, WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME local{year, month, 0, day, hour, minute, second, 0};
  FILETIME lt, utc;
  SystemTimeToFileTime(&local, &lt);
  LocalFileTimeToFileTime(&lt, &utc);
  quintar::win32::FileHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  SetFileTime(file.get(), nullptr, nullptr, &utc);
}

// Every file and folder below `root`: relative name -> "attributes|local time|bytes".
std::map<std::wstring, std::string> Tree(const std::wstring& root, const std::wstring& below = L"") {
  std::map<std::wstring, std::string> tree;
  WIN32_FIND_DATAW found;
  quintar::win32::FindHandle find(FindFirstFileW((root + below + L"\\*.*").c_str(), &found));
  if (!find) return tree;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring relative = below + L"\\" + name;
    FILETIME local;
    SYSTEMTIME t;
    FileTimeToLocalFileTime(&found.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &t);
    char when[40];
    snprintf(when, sizeof when, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond & ~1u);
    const bool folder = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    std::string& entry = tree[relative];
    entry = std::to_string(found.dwFileAttributes & 0x37) + "|" + (folder ? "" : when) + "|";
    if (folder) {
      for (auto& [k, v] : Tree(root, relative)) tree[k] = v;
    } else {
      entry += ReadFileBytes(root + relative);
    }
  } while (FindNextFileW(find.get(), &found));
  return tree;
}

std::string Text(std::size_t size, int seed) {
  std::string text;
  for (std::size_t i = 0; text.size() < size; ++i) text += "row " + std::to_string((i * 31 + seed) % 977) + ";\r\n";
  text.resize(size);
  return text;
}

// An archive written by the core directly, for names and methods the engine never writes.
void WriteArchive(const std::wstring& path, const std::vector<std::pair<std::u16string, std::string>>& entries) {
  core::MemoryStream out;
  core::Writer writer;
  writer.Create(out);
  for (const auto& [name, bytes] : entries) {
    auto at = std::make_shared<std::size_t>(0);
    const std::string copy = bytes;
    writer.AddFile({name, core::DosDateTime({2010, 3, 4, 5, 6, 8}), 0}, true, bytes.size(),
                   [copy, at](void* b, std::size_t n) -> std::int64_t {
                     n = std::min(n, copy.size() - *at);
                     memcpy(b, copy.data() + *at, n);
                     *at += n;
                     return static_cast<std::int64_t>(n);
                   },
                   nullptr);
  }
  writer.Close();
  WriteFileBytes(path, out.bytes());
}

TEST(ZipFiles, ArchiveNamesBesideTheSourceAndNeverReplaced) {
  const std::wstring dir = Folder(L"names");
  WriteFileBytes(dir + L"\\report.doc", "r");
  EXPECT_EQ(zip::ArchiveNameFor(dir + L"\\report.doc"), dir + L"\\report.zip");
  WriteFileBytes(dir + L"\\report.zip", "old");
  WriteFileBytes(dir + L"\\report(1).zip", "older");
  EXPECT_EQ(zip::ArchiveNameFor(dir + L"\\report.doc"), dir + L"\\report(2).zip");
  WriteFileBytes(dir + L"\\README", "x");
  EXPECT_EQ(zip::ArchiveNameFor(dir + L"\\README"), dir + L"\\README.zip");
  CreateDirectoryW((dir + L"\\Photos.2006").c_str(), nullptr);
  EXPECT_EQ(zip::ArchiveNameFor(dir + L"\\Photos.2006"), dir + L"\\Photos.2006.zip") << "a folder keeps its name";
  EXPECT_EQ(zip::ArchiveNameFor(L"\\Temp\\" + std::wstring(252, L'n') + L".txt"), L"") << "no name fits";

  // The name is taken before the run; a file that appeared meanwhile is not replaced.
  Recorder progress;
  const auto run = zip::Compress(dir + L"\\report.doc", dir + L"\\report.zip", progress, progress.stop);
  EXPECT_EQ(run.result, zip::Result::Failed);
  EXPECT_EQ(run.error, static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_EQ(ReadFileBytes(dir + L"\\report.zip"), "old");
}

TEST(ZipFiles, AFolderTreeGoesInAndComesOutTheSame) {
  const std::wstring dir = Folder(L"tree");
  const std::wstring src = dir + L"\\Photos";
  CreateDirectoryW(src.c_str(), nullptr);
  CreateDirectoryW((src + L"\\2006").c_str(), nullptr);
  CreateDirectoryW((src + L"\\empty").c_str(), nullptr);
  WriteFileBytes(src + L"\\a.txt", Text(150000, 1));
  WriteFileBytes(src + L"\\2006\\b.jpg", Text(7000, 2));
  WriteFileBytes(src + L"\\2006\\already.GZ", Text(3000, 3));
  WriteFileBytes(src + L"\\\u00fcber \u65e5\u672c.txt", "unicode");
  WriteFileBytes(src + L"\\zero", "");
  SetFileAttributesW((src + L"\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  SetFileAttributesW((src + L"\\zero").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  SetTime(src + L"\\2006\\b.jpg", 2006, 7, 15, 13, 45, 31);
  SetTime(src + L"\\zero", 1975, 1, 1, 0, 0, 0);  // before DOS time: kept as its first day
  SetTime(src + L"\\2006", 2006, 1, 2, 3, 4, 6);

  Recorder packing;
  const std::wstring archive = zip::ArchiveNameFor(src);
  ASSERT_EQ(archive, dir + L"\\Photos.zip");
  const auto packed = zip::Compress(src, archive, packing, packing.stop);
  ASSERT_EQ(packed.result, zip::Result::Done);
  EXPECT_EQ(packed.skipped, 0);
  ASSERT_EQ(packing.names.size(), 8u) << "the folder and every entry below it";
  EXPECT_EQ(packing.percents.back(), 100u);

  // The entries as any reader sees them: the folder first, its name leading every other.
  core::Reader reader;
  core::MemoryStream bytes(ReadFileBytes(archive));
  ASSERT_TRUE(reader.Open(bytes));
  EXPECT_EQ(reader.Count(), 8u);
  std::map<std::u16string, core::EntryInfo> entries;
  std::u16string first;
  for (bool more = reader.First(); more; more = reader.Next()) {
    core::EntryInfo info;
    ASSERT_TRUE(reader.Current(info));
    if (first.empty()) first = info.name;
    EXPECT_EQ(info.name.rfind(u"Photos/", 0), 0u);
    entries[info.name] = info;
  }
  EXPECT_EQ(first, u"Photos/");
  ASSERT_TRUE(entries.count(u"Photos/2006/"));
  EXPECT_EQ(entries[u"Photos/2006/already.GZ"].method, 0) << "stored";
  EXPECT_EQ(entries[u"Photos/2006/b.jpg"].method, 8);
  EXPECT_EQ(entries[u"Photos/zero"].dosTime, core::DosDateTime({1980, 1, 1, 0, 0, 0}));

  const std::wstring out = Folder(L"tree-out");
  Recorder unpacking;
  const auto unpacked = zip::Extract(archive, out, unpacking, unpacking.stop);
  ASSERT_EQ(unpacked.result, zip::Result::Done);
  EXPECT_EQ(unpacked.skipped, 0);
  EXPECT_EQ(unpacking.percents.front(), 0u);
  EXPECT_LT(unpacking.percents.back(), 100u) << "the index before it advances";
  auto before = Tree(dir, L"\\Photos"), after = Tree(out, L"\\Photos");
  // The time before 1980 comes back as the first DOS day, which is what was stored.
  std::string& zero = before[L"\\Photos\\zero"];
  zero = zero.substr(0, zero.find('|')) + "|1980-01-01 00:00:00|";
  EXPECT_TRUE(after == before) << "the trees differ";  // (too big to print)
  for (const auto& [name, entry] : before) EXPECT_EQ(after[name].substr(0, 25), entry.substr(0, 25)) << name.size();
  WIN32_FIND_DATAW none;
  EXPECT_FALSE(quintar::win32::FindHandle(FindFirstFileW((out + L"\\Photos\\~zx*").c_str(), &none)))
      << "no temporary file is left";
}

// A large entry is worked on in pieces: the progress moves within it, the entry comes out whole,
// and a stop inside it leaves no archive.
TEST(ZipFiles, ALargeEntryMovesTheProgressAndComesOutWhole) {
  const std::wstring dir = Folder(L"large");
  const std::wstring src = dir + L"\\src";
  CreateDirectoryW(src.c_str(), nullptr);
  const std::string big = Text(3500000, 7);
  WriteFileBytes(src + L"\\big.log", big);
  WriteFileBytes(src + L"\\small.txt", Text(2000, 8));

  Recorder packing;
  const auto packed = zip::Compress(src, dir + L"\\src.zip", packing, packing.stop);
  ASSERT_EQ(packed.result, zip::Result::Done);
  std::vector<unsigned> within;
  for (std::size_t i = 0; i < packing.names.size(); ++i)
    if (packing.names[i] == L"src\\big.log") within.push_back(packing.percents[i]);
  ASSERT_GE(within.size(), 3u) << "once per piece";
  EXPECT_TRUE(std::is_sorted(within.begin(), within.end()));
  EXPECT_LT(within.front(), 50u);
  EXPECT_EQ(packing.percents.back(), 100u);
  const std::wstring out = Folder(L"large\\out");
  Recorder unpacking;
  ASSERT_EQ(zip::Extract(dir + L"\\src.zip", out, unpacking, unpacking.stop).result, zip::Result::Done);
  EXPECT_TRUE(ReadFileBytes(out + L"\\src\\big.log") == big);

  Recorder stopping;
  stopping.stopAfter = 3;  // the folder, then inside the large file
  EXPECT_EQ(zip::Compress(src, dir + L"\\stopped.zip", stopping, stopping.stop).result, zip::Result::Stopped);
  EXPECT_FALSE(Exists(dir + L"\\stopped.zip"));
}

TEST(ZipFiles, HostileNamesLandInsideTheTargetOrNowhere) {
  const std::wstring dir = Folder(L"slip");
  const std::wstring archive = dir + L"\\evil.zip";
  WriteArchive(archive, {{u"../../evil.txt", "e1"},
                         {u"..\\..\\Windows\\evil.dll", "e2"},
                         {u"C:\\boot.ini", "e3"},
                         {u"/abs.txt", "e4"},
                         {u"CON", "e5"},
                         {u"a:b?.txt", "e6"},
                         {u"../", ""},
                         {std::u16string(300, u'x'), "long"}});
  const std::wstring out = Folder(L"slip\\out");
  Recorder progress;
  const auto run = zip::Extract(archive, out, progress, progress.stop);
  EXPECT_EQ(run.result, zip::Result::Done);
  EXPECT_EQ(run.skipped, 2) << "the entry with nothing left and the one too long";
  EXPECT_EQ(ReadFileBytes(out + L"\\evil.txt"), "e1");
  EXPECT_EQ(ReadFileBytes(out + L"\\Windows\\evil.dll"), "e2");
  EXPECT_EQ(ReadFileBytes(out + L"\\boot.ini"), "e3");
  EXPECT_EQ(ReadFileBytes(out + L"\\abs.txt"), "e4");
  EXPECT_EQ(ReadFileBytes(out + L"\\_CON"), "e5");
  EXPECT_EQ(ReadFileBytes(out + L"\\b_.txt"), "e6") << "a drive prefix goes, like any drive";
  EXPECT_FALSE(Exists(L"\\Temp\\zip\\evil.txt"));
  EXPECT_FALSE(Exists(L"\\Temp\\evil.txt"));
  EXPECT_FALSE(Exists(L"\\evil.txt"));
  EXPECT_FALSE(Exists(L"\\Windows\\evil.dll"));
  EXPECT_FALSE(Exists(L"\\abs.txt"));
}

TEST(ZipFiles, ReplacesWhatIsThereButOnlyWithCheckedData) {
  const std::wstring dir = Folder(L"replace");
  const std::wstring out = Folder(L"replace\\out");
  WriteFileBytes(out + L"\\keep.txt", "read-only before");
  SetFileAttributesW((out + L"\\keep.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  WriteFileBytes(out + L"\\bad.txt", "good old data");
  WriteFileBytes(out + L"\\packed.txt", "not bzip2 bytes");
  const std::string payload = Text(5000, 9);
  WriteArchive(dir + L"\\a.zip", {{u"keep.txt", "new"}, {u"bad.txt", payload}, {u"packed.txt", payload}});
  // Damage the second entry's data, and mark the third as bzip2 (method 12) in both its headers.
  std::string bytes = ReadFileBytes(dir + L"\\a.zip");
  const std::size_t bad = bytes.find(payload);
  ASSERT_NE(bad, std::string::npos);
  bytes[bad + 100] ^= 1;
  const std::size_t third = bytes.find("PK\x03\x04", bad + payload.size());
  bytes[third + 8] = 12;
  const std::size_t central = bytes.rfind("PK\x01\x02");
  bytes[central + 10] = 12;
  WriteFileBytes(dir + L"\\a.zip", bytes);

  Recorder progress;
  const auto run = zip::Extract(dir + L"\\a.zip", out, progress, progress.stop);
  EXPECT_EQ(run.result, zip::Result::Done);
  EXPECT_EQ(run.skipped, 2);
  EXPECT_EQ(ReadFileBytes(out + L"\\keep.txt"), "new") << "a read-only file is replaced";
  EXPECT_EQ(GetFileAttributesW((out + L"\\keep.txt").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(ReadFileBytes(out + L"\\bad.txt"), "good old data") << "a CRC mismatch replaces nothing";
  EXPECT_EQ(ReadFileBytes(out + L"\\packed.txt"), "not bzip2 bytes") << "another method touches nothing";
  WIN32_FIND_DATAW none;
  EXPECT_FALSE(quintar::win32::FindHandle(FindFirstFileW((out + L"\\~zx*").c_str(), &none)));

  EXPECT_EQ(zip::Extract(dir + L"\\missing.zip", out, progress, progress.stop).result, zip::Result::Failed);
  WriteFileBytes(dir + L"\\notzip.zip", "plain text");
  EXPECT_EQ(zip::Extract(dir + L"\\notzip.zip", out, progress, progress.stop).error,
            static_cast<DWORD>(ERROR_BAD_FORMAT));
}

TEST(ZipFiles, LockedSourcesAreLeftOutAndStopsLeaveNoArchive) {
  const std::wstring dir = Folder(L"stop");
  const std::wstring src = dir + L"\\src";
  CreateDirectoryW(src.c_str(), nullptr);
  for (int i = 0; i < 6; ++i) WriteFileBytes(src + L"\\f" + std::to_wstring(i) + L".txt", Text(300000, i));
  {
    quintar::win32::FileHandle locked(CreateFileW((src + L"\\f2.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                  nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(locked);
    Recorder progress;
    const auto run = zip::Compress(src, dir + L"\\locked.zip", progress, progress.stop);
    EXPECT_EQ(run.result, zip::Result::Done);
    EXPECT_EQ(run.skipped, 1);
    core::MemoryStream bytes(ReadFileBytes(dir + L"\\locked.zip"));
    core::Reader reader;
    ASSERT_TRUE(reader.Open(bytes));
    EXPECT_EQ(reader.Count(), 6u) << "the folder and five files: no empty entry for the locked one";
  }

  Recorder stopping;
  stopping.stopAfter = 3;
  const auto stopped = zip::Compress(src, dir + L"\\stopped.zip", stopping, stopping.stop);
  EXPECT_EQ(stopped.result, zip::Result::Stopped);
  EXPECT_FALSE(Exists(dir + L"\\stopped.zip")) << "nothing of a stopped run stays";

  const std::wstring out = Folder(L"stop\\out");
  Recorder extracting;
  extracting.stopAfter = 3;
  const auto partial = zip::Extract(dir + L"\\locked.zip", out, extracting, extracting.stop);
  EXPECT_EQ(partial.result, zip::Result::Stopped);
  const auto kept = Tree(out, L"\\src");
  EXPECT_EQ(kept.size(), 1u) << "what was unpacked before the stop stays, nothing after it";

  // An empty archive creates nothing.
  core::MemoryStream empty;
  core::Writer writer;
  writer.Create(empty);
  writer.Close();
  WriteFileBytes(dir + L"\\empty.zip", empty.bytes());
  const std::wstring none = Folder(L"stop\\none");
  Recorder quiet;
  EXPECT_EQ(zip::Extract(dir + L"\\empty.zip", none, quiet, quiet.stop).result, zip::Result::Done);
  EXPECT_TRUE(Tree(none).empty());
}

}  // namespace
