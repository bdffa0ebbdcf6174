// Screen shape and the per-shape choice of dialog templates. Plain arithmetic, shared by the
// portable cores and the Win32 side.
#pragma once

namespace quintar::dialogs {

enum class ScreenShape { Square, Portrait, Landscape };

// Square when the sides are equal, portrait when the screen is taller than wide.
constexpr ScreenShape ShapeOf(int width, int height) noexcept {
  if (width == height) return ScreenShape::Square;
  return height > width ? ScreenShape::Portrait : ScreenShape::Landscape;
}

// One value per screen shape: a dialog's three templates, a width per orientation, ...
template <class T>
struct PerShape {
  T square{};
  T portrait{};
  T landscape{};

  constexpr const T& For(ScreenShape shape) const noexcept {
    switch (shape) {
      case ScreenShape::Square: return square;
      case ScreenShape::Portrait: return portrait;
      case ScreenShape::Landscape: break;
    }
    return landscape;
  }
};

// A dialog's three template identifiers.
using ShapeTemplates = PerShape<int>;

constexpr int TemplateFor(const ShapeTemplates& templates, ScreenShape shape) noexcept {
  return templates.For(shape);
}

const char* ShapeName(ScreenShape shape) noexcept;

}  // namespace quintar::dialogs
