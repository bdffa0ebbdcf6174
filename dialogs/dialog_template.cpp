#include "dialogs/dialog_template.h"

#include <unordered_map>

namespace quintar::dialogs {
namespace {

constexpr std::uint32_t kDsSetFont = 0x40;
constexpr std::uint32_t kDsFixedSys = 0x8;
constexpr std::uint32_t kDsShellFont = kDsSetFont | kDsFixedSys;

class Reader {
 public:
  explicit Reader(std::span<const std::byte> bytes) : bytes_(bytes) {}

  bool Word(std::uint16_t& out) {
    if (bytes_.size() - pos_ < 2) return false;
    out = static_cast<std::uint16_t>(std::to_integer<unsigned>(bytes_[pos_]) |
                                     std::to_integer<unsigned>(bytes_[pos_ + 1]) << 8);
    pos_ += 2;
    return true;
  }
  bool Short(std::int16_t& out) {
    std::uint16_t w;
    if (!Word(w)) return false;
    out = static_cast<std::int16_t>(w);
    return true;
  }
  bool Dword(std::uint32_t& out) {
    std::uint16_t lo, hi;
    if (!Word(lo) || !Word(hi)) return false;
    out = static_cast<std::uint32_t>(lo) | static_cast<std::uint32_t>(hi) << 16;
    return true;
  }
  bool Skip(std::size_t n) {
    if (bytes_.size() - pos_ < n) return false;
    pos_ += n;
    return true;
  }
  // A zero-terminated UTF-16 string.
  bool String() {
    for (std::uint16_t c = 1; c != 0;) {
      if (!Word(c)) return false;
    }
    return true;
  }
  // Empty (0), an ordinal (0xFFFF then a word) or a string.
  bool StringOrOrdinal() {
    std::uint16_t first;
    if (!Word(first)) return false;
    if (first == 0) return true;
    if (first == 0xFFFF) return Word(first);
    return String();
  }
  bool AlignDword() { return Skip((4 - pos_ % 4) % 4); }

 private:
  std::span<const std::byte> bytes_;
  std::size_t pos_ = 0;
};

}  // namespace

std::optional<TemplateLayout> ParseDialogTemplate(std::span<const std::byte> bytes) {
  Reader r(bytes);
  TemplateLayout layout;
  std::uint16_t version, signature;
  if (!r.Word(version) || !r.Word(signature)) return std::nullopt;
  layout.extended = version == 1 && signature == 0xFFFF;

  std::uint16_t count = 0;
  std::uint32_t exStyle;
  if (layout.extended) {
    std::uint32_t helpId;
    if (!r.Dword(helpId) || !r.Dword(exStyle) || !r.Dword(layout.style)) return std::nullopt;
  } else {
    layout.style = static_cast<std::uint32_t>(version) | static_cast<std::uint32_t>(signature) << 16;
    if (!r.Dword(exStyle)) return std::nullopt;
  }
  if (!r.Word(count) || !r.Short(layout.x) || !r.Short(layout.y) || !r.Short(layout.cx) ||
      !r.Short(layout.cy))
    return std::nullopt;
  if (!r.StringOrOrdinal() || !r.StringOrOrdinal() || !r.String()) return std::nullopt;  // menu, class, title
  const bool hasFont = layout.extended ? (layout.style & kDsShellFont) != 0 : (layout.style & kDsSetFont) != 0;
  if (hasFont) {
    std::uint16_t pointSize;
    if (!r.Word(pointSize)) return std::nullopt;
    if (layout.extended && !r.Skip(4)) return std::nullopt;  // weight, italic, charset
    if (!r.String()) return std::nullopt;
  }

  layout.controls.reserve(count);
  for (std::uint16_t i = 0; i < count; ++i) {
    if (!r.AlignDword()) return std::nullopt;
    TemplateControl c{};
    std::uint32_t style, itemExStyle;
    if (layout.extended) {
      std::uint32_t helpId;
      if (!r.Dword(helpId) || !r.Dword(itemExStyle) || !r.Dword(style)) return std::nullopt;
    } else if (!r.Dword(style) || !r.Dword(itemExStyle)) {
      return std::nullopt;
    }
    if (!r.Short(c.x) || !r.Short(c.y) || !r.Short(c.cx) || !r.Short(c.cy)) return std::nullopt;
    if (layout.extended) {
      if (!r.Dword(c.id)) return std::nullopt;
    } else {
      std::uint16_t id;
      if (!r.Word(id)) return std::nullopt;
      c.id = id;
    }
    std::uint16_t extra;
    if (!r.StringOrOrdinal() || !r.StringOrOrdinal() || !r.Word(extra)) return std::nullopt;
    // The creation data follows its byte count, read as the dialog manager reads it.
    if (!r.Skip(static_cast<std::size_t>(extra / 2) * 2)) return std::nullopt;
    layout.controls.push_back(c);
  }
  return layout;
}

std::vector<int> PairControls(std::span<const TemplateControl> controls,
                              std::span<const std::uint32_t> childIds, bool compareLowWord) {
  const auto key = [compareLowWord](std::uint32_t id) { return compareLowWord ? (id & 0xFFFF) : id; };
  // For every identifier, the dialog's children that carry it, in order.
  std::unordered_map<std::uint32_t, std::vector<int>> children;
  for (std::size_t i = 0; i < childIds.size(); ++i) children[key(childIds[i])].push_back(static_cast<int>(i));
  std::unordered_map<std::uint32_t, std::size_t> used;
  std::vector<int> result;
  result.reserve(controls.size());
  for (const TemplateControl& c : controls) {
    const std::uint32_t k = key(c.id);
    const auto it = children.find(k);
    std::size_t& n = used[k];
    if (it == children.end() || n >= it->second.size()) {
      result.push_back(-1);
    } else {
      result.push_back(it->second[n++]);
    }
  }
  return result;
}

}  // namespace quintar::dialogs
