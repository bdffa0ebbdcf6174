// The status bar after a listing, and the pane layout of the main window: plain arithmetic on
// sizes the Win32 side measures.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "filemanager/core/text_format.h"

namespace quintar::folderon::core {

inline constexpr std::u16string_view kLoadingText = u"Loading...";

// Entries counted: the rows, less the up-level row when it is shown (never on the root or on
// the search hits).
std::uint64_t ListedCount(std::uint64_t rows, bool upLevelShown, std::u16string_view path) noexcept;

struct StatusParts {
  std::vector<std::u16string> texts;
  std::vector<int> rightEdges;  // per part, in pixels; the last one is the full width
};
// Address bar shown: two equal parts "%s files" and "%s bytes". Hidden: three parts ending at
// 1/2, 3/4 and the full width: the folder's leaf name ("My Pocket PC" for the root), the count,
// and the total as "%sKB" / "%sMB".
StatusParts StatusBarParts(bool addressBarShown, std::u16string_view path, std::uint64_t count,
                           std::uint64_t totalBytes, int width, const NumberFormat& format);

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const noexcept { return right - left; }
  int Height() const noexcept { return bottom - top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct LayoutInput {
  int width = 0, height = 0;  // the available area (SIP-aware, measured by the caller)
  bool addressShown = true;
  int addressHeight = 0;
  bool statusShown = true;
  int statusHeight = 0;
  bool treeShown = false;
  bool sideBySide = false;  // `ViewSide`
  int treeWidth = 100;      // `TreeViewWidth`
  int treeHeight = 100;     // `TreeViewHeight`
};
struct LayoutResult {
  Rect address, status, tree, list;  // empty rects for what is hidden
};
inline constexpr int kSplitterGap = 4;
LayoutResult ComputeLayout(const LayoutInput& in) noexcept;

// A splitter move: the new tree width (side by side) or height (stacked), or -1 when the stylus
// is within 20 pixels of the bounds and the move is ignored. Side by side `bound0` is 0 and
// `bound1` the screen width; stacked they are the tree's top and the list's bottom.
int SplitterSize(int startSize, int startPos, int pos, int bound0, int bound1) noexcept;

// Tab / Shift+Tab between the panes.
enum class FocusPane { List, Address, Tree };
FocusPane NextFocus(FocusPane from, bool forward, bool addressShown, bool treeShown) noexcept;

}  // namespace quintar::folderon::core
