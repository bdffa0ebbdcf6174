#include "dialogs/shape.h"

namespace quintar::dialogs {

const char* ShapeName(ScreenShape shape) noexcept {
  switch (shape) {
    case ScreenShape::Square: return "square";
    case ScreenShape::Portrait: return "portrait";
    case ScreenShape::Landscape: break;
  }
  return "landscape";
}

}  // namespace quintar::dialogs
