#include "fileops/search.h"

#include <memory>
#include <string>
#include <vector>

#include "fileops/core/fileops_core.h"
#include "fileops/winutil.h"
#include "win32/handle.h"
#include "win32/text.h"

namespace quintar::fileops {
namespace {

using core::kMaxPath;

// Large blocks: the walk's floor is the read calls, each a trip through the platform.
constexpr std::size_t kBlock = 256 * 1024;

std::string CodePageBytes(std::wstring_view text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::uint64_t SizeOf(const WIN32_FIND_DATAW& data) {
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool IsFolder(const WIN32_FIND_DATAW& data) { return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

std::u16string LocalDay(const FILETIME& time) {
  FILETIME local{};
  SYSTEMTIME st{};
  if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &st)) return {};
  return core::DayText(st.wYear, st.wMonth, st.wDay);
}

bool SearchFile(const std::wstring& path, core::StreamSearch& stream) {
  win32::FileHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  stream.Reset();
  for (;;) {
    auto block = stream.Block();
    DWORD got = 0;
    if (!ReadFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &got, nullptr) || got == 0) return false;
    if (stream.Scan(got)) return true;
  }
}

class Walk {
 public:
  Walk(const core::SearchCriteria& criteria, const std::function<void(SearchHit&&)>& onHit)
      : criteria_(criteria), onHit_(onHit) {
    if (!criteria.text.empty()) {
      matcher_ = MakeTextMatcher(win32::WideView(criteria.text), criteria.caseSensitive);
      stream_ = std::make_unique<core::StreamSearch>(matcher_, kBlock);
    }
  }

  void Folder(const std::wstring& folder) {
    if (folder.size() + 4 > kMaxPath) return;
    WIN32_FIND_DATAW data;
    CeFindHandle find(CeFindFirstFile((folder + L"\\*.*").c_str(), &data));
    if (!find) return;
    do {
      if (IsDots(data.cFileName)) continue;
      const bool folderEntry = IsFolder(data);
      const std::size_t length = wcsnlen(data.cFileName, MAX_PATH);
      if (folder.size() + 1 + length > kMaxPath) continue;
      if (Matches(folder, data, length, folderEntry)) {
        SearchHit hit;
        hit.folder = folder;
        hit.name.assign(data.cFileName, length);
        hit.attributes = data.dwFileAttributes;
        hit.time = folderEntry ? data.ftCreationTime : data.ftLastWriteTime;
        hit.size = folderEntry ? 0 : SizeOf(data);
        onHit_(std::move(hit));
      }
      if (folderEntry && criteria_.subfolders) Folder(Child(folder, data.cFileName, length));
    } while (CeFindNextFile(find.get(), &data));
  }

 private:
  static std::wstring Child(const std::wstring& folder, const wchar_t* name, std::size_t length) {
    std::wstring child;
    child.reserve(folder.size() + 1 + length);
    child.append(folder).append(L"\\").append(name, length);
    return child;
  }

  // The name folded as the dialog folds the pattern: plain ASCII by hand (the system's table maps
  // only a-z there), anything else through the system.
  void Fold(const wchar_t* name, std::size_t length) {
    folded_.assign(name, length);
    bool ascii = true;
    for (wchar_t& c : folded_) {
      if (c >= 0x80)
        ascii = false;
      else if (c >= L'a' && c <= L'z')
        c = static_cast<wchar_t>(c - 0x20);
    }
    if (!ascii) CharUpperBuffW(folded_.data(), static_cast<DWORD>(length));
  }

  bool Matches(const std::wstring& folder, const WIN32_FIND_DATAW& data, std::size_t length, bool isFolder) {
    if (!criteria_.namePattern.empty())
      Fold(data.cFileName, length);
    else
      folded_.assign(data.cFileName, length);
    std::u16string day;
    if (!isFolder && criteria_.dateMode != core::DateMode::None) day = LocalDay(data.ftLastWriteTime);
    core::Verdict verdict = core::TestEntry(criteria_, win32::U16View(folded_), isFolder, day, SizeOf(data));
    if (verdict != core::Verdict::NeedsText) return verdict == core::Verdict::Hit;
    const std::wstring path = Child(folder, data.cFileName, length);
    return SearchFile(path, *stream_);
  }

  const core::SearchCriteria& criteria_;
  const std::function<void(SearchHit&&)>& onHit_;
  core::TextMatcher matcher_;
  std::unique_ptr<core::StreamSearch> stream_;
  std::wstring folded_;
};

void Count(const std::wstring& folder, ContentCount& count) {
  ++count.folders;
  if (folder.size() + 4 > kMaxPath) return;
  WIN32_FIND_DATAW data;
  CeFindHandle find(CeFindFirstFile((folder + L"\\*.*").c_str(), &data));
  if (!find) return;
  do {
    if (IsDots(data.cFileName)) continue;
    if (IsFolder(data)) {
      std::wstring child = folder + L"\\" + data.cFileName;
      if (child.size() <= kMaxPath) Count(child, count);
    } else {
      ++count.files;
      count.bytes += SizeOf(data);
    }
  } while (CeFindNextFile(find.get(), &data));
}

}  // namespace

core::TextMatcher MakeTextMatcher(std::wstring_view text, bool caseSensitive) {
  std::string typed = CodePageBytes(text);
  if (caseSensitive || text.empty()) return core::TextMatcher(typed, typed);
  std::wstring lower(text), upper(text);
  CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
  CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
  std::string lowerBytes = CodePageBytes(lower), upperBytes = CodePageBytes(upper);
  if (lowerBytes.size() != typed.size() || upperBytes.size() != typed.size()) return core::TextMatcher(typed, typed);
  return core::TextMatcher(lowerBytes, upperBytes);
}

void SearchFiles(const std::wstring& start, const core::SearchCriteria& criteria,
                 const std::function<void(SearchHit&&)>& onHit) {
  Walk walk(criteria, onHit);
  walk.Folder(start);
}

bool FileContains(const std::wstring& path, const core::TextMatcher& matcher) {
  core::StreamSearch stream(matcher, kBlock);
  return SearchFile(path, stream);
}

void CountFolder(const std::wstring& folder, ContentCount& count) { Count(folder, count); }

}  // namespace quintar::fileops
