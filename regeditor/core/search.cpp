#include "regeditor/core/search.h"

#include "regeditor/core/numbers.h"
#include "regeditor/core/registry_text.h"

namespace quintar::tamsk::core {

namespace {

int ListIndex(SearchKind kind) { return kind == kSearchKey ? 0 : kind == kSearchValue ? 1 : 2; }

class Walk {
 public:
  Walk(SearchSource& source, std::u16string_view text, bool whole, std::unordered_set<std::u16string>& reported)
      : source_(source), text_(text), whole_(whole), reported_(reported) {}

  // Depth first, pre-order, with an explicit stack so that depth costs no call stack.
  std::optional<SearchHit> Run(SearchKind kind) {
    struct Level {
      std::u16string path;
      std::vector<std::u16string> children;
      std::size_t next = 0;
    };
    std::vector<Level> stack;
    std::optional<SearchHit> hit = Visit(kind, u"", true);
    if (hit) return hit;
    stack.push_back({u"", {}, 0});
    source_.SubKeys(u"", stack.back().children);
    while (!stack.empty()) {
      Level& top = stack.back();
      if (top.next >= top.children.size()) {
        stack.pop_back();
        continue;
      }
      std::u16string path = JoinKeyPath(top.path, top.children[top.next++]);
      if ((hit = Visit(kind, path, false))) return hit;
      Level child{std::move(path), {}, 0};
      source_.SubKeys(child.path, child.children);
      stack.push_back(std::move(child));
    }
    return std::nullopt;
  }

 private:
  std::optional<SearchHit> Visit(SearchKind kind, const std::u16string& path, bool isRoot) {
    if (reported_.count(path)) return std::nullopt;
    if (kind == kSearchKey) {
      if (isRoot || !TextMatches(LastKeyComponent(path), text_, whole_)) return std::nullopt;
      reported_.insert(path);
      return SearchHit{kind, path, {}};
    }
    values_.clear();
    if (!source_.Values(path, values_)) return std::nullopt;
    for (const SearchValue& v : values_) {
      bool match =
          kind == kSearchValue ? TextMatches(v.name, text_, whole_) : DataMatches(v.type, v.data, text_, whole_);
      if (match) {
        reported_.insert(path);
        return SearchHit{kind, path, v.name};
      }
    }
    return std::nullopt;
  }

  SearchSource& source_;
  std::u16string_view text_;
  bool whole_;
  std::unordered_set<std::u16string>& reported_;
  std::vector<SearchValue> values_;
};

}  // namespace

bool DataMatches(std::uint32_t type, std::span<const std::uint8_t> data, std::u16string_view pattern,
                 bool wholeString) {
  switch (type) {
    case kRegSz:
    case kRegExpandSz:
      return TextMatches(FirstString(data), pattern, wholeString);
    case kRegMultiSz:
      for (const std::u16string& s : MultiStrings(data))
        if (TextMatches(s, pattern, wholeString)) return true;
      return false;
    case kRegDword: {
      std::uint32_t v = DwordFromData(data);
      return TextMatches(DwordRowText(v), pattern, wholeString) || TextMatches(FormatDec(v), pattern, wholeString);
    }
    case kRegBinary:
      return TextMatches(ValueDataText(kRegBinary, data), pattern, wholeString);
    default:
      return false;
  }
}

void RegistrySearch::Clear() {
  for (auto& list : reported_) list.clear();
}

std::size_t RegistrySearch::ReportedCount(SearchKind kind) const { return reported_[ListIndex(kind)].size(); }

std::optional<SearchHit> RegistrySearch::Next(SearchSource& source, std::u16string_view text, unsigned kinds,
                                              bool wholeString) {
  if (text.empty()) return std::nullopt;
  for (SearchKind kind : {kSearchKey, kSearchValue, kSearchData}) {
    if (!(kinds & kind)) continue;
    Walk walk(source, text, wholeString, reported_[ListIndex(kind)]);
    if (std::optional<SearchHit> hit = walk.Run(kind)) return hit;
  }
  return std::nullopt;
}

}  // namespace quintar::tamsk::core
