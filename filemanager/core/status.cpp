#include "filemanager/core/status.h"

#include "filemanager/core/paths.h"

namespace quintar::folderon::core {

std::uint64_t ListedCount(std::uint64_t rows, bool upLevelShown, std::u16string_view path) noexcept {
  if (upLevelShown && rows > 0 && !IsRoot(path) && !IsSearchPath(path)) return rows - 1;
  return rows;
}

StatusParts StatusBarParts(bool addressBarShown, std::u16string_view path, std::uint64_t count,
                           std::uint64_t totalBytes, int width, const NumberFormat& format) {
  StatusParts parts;
  if (width < 0) width = 0;
  if (addressBarShown) {
    parts.texts = {FormatCount(count, format) + u" files", FormatCount(totalBytes, format) + u" bytes"};
    parts.rightEdges = {width / 2, width};
  } else {
    parts.texts = {std::u16string(IsRoot(path) ? kRootName : LeafName(path)), FormatCount(count, format),
                   SizeTextCompact(totalBytes, format)};
    parts.rightEdges = {width / 2, width * 3 / 4, width};
  }
  return parts;
}

LayoutResult ComputeLayout(const LayoutInput& in) noexcept {
  LayoutResult r;
  const int w = in.width > 0 ? in.width : 0, h = in.height > 0 ? in.height : 0;
  int a = 0, s = 0;
  if (in.addressShown) {
    a = in.addressHeight;
    r.address = {0, 0, w, a};
  }
  if (in.statusShown) {
    s = in.statusHeight;
    r.status = {0, h - s, w, h};
  }
  int top = a, height = h - a - s;
  if (in.addressShown) {
    top -= 2;
    height += 2;
  }
  if (height < 0) height = 0;
  const int bottom = top + height;
  if (!in.treeShown) {
    r.list = {0, top, w, bottom};
  } else if (in.sideBySide) {
    r.tree = {0, top, in.treeWidth, bottom};
    r.list = {in.treeWidth + kSplitterGap, top, w, bottom};
  } else {
    r.tree = {0, top, w, top + in.treeHeight};
    r.list = {0, top + in.treeHeight + kSplitterGap, w, bottom};
  }
  return r;
}

int SplitterSize(int startSize, int startPos, int pos, int bound0, int bound1) noexcept {
  if (pos <= bound0 + 20 || pos >= bound1 - 20) return -1;
  return startSize + (pos - startPos);
}

FocusPane NextFocus(FocusPane from, bool forward, bool addressShown, bool treeShown) noexcept {
  if (forward) {
    switch (from) {
      case FocusPane::List:
        return addressShown ? FocusPane::Address : (treeShown ? FocusPane::Tree : FocusPane::List);
      case FocusPane::Address:
        return treeShown ? FocusPane::Tree : FocusPane::List;
      case FocusPane::Tree:
        return FocusPane::List;
    }
  } else {
    switch (from) {
      case FocusPane::List:
        return treeShown ? FocusPane::Tree : (addressShown ? FocusPane::Address : FocusPane::List);
      case FocusPane::Address:
        return FocusPane::List;
      case FocusPane::Tree:
        return addressShown ? FocusPane::Address : FocusPane::List;
    }
  }
  return FocusPane::List;
}

}  // namespace quintar::folderon::core
