#include "settings_dialog/layout.h"

#include <limits>

namespace varominea::dialog {

Size OuterSize(const Box& background) {
  return Size{background.width + kFrameMarginX, background.height + kFrameMarginY};
}

int ScaleToDpi(int value, int dpi) {
  if (dpi <= 0) dpi = kLayoutDpi;
  const long long product = static_cast<long long>(value) * dpi;
  const long long half = kLayoutDpi / 2;
  const long long scaled =
      product >= 0 ? (product + half) / kLayoutDpi : -((-product + half) / kLayoutDpi);
  if (scaled > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (scaled < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(scaled);
}

Box ScaleToDpi(const Box& box, int dpi) {
  return Box{ScaleToDpi(box.left, dpi), ScaleToDpi(box.top, dpi), ScaleToDpi(box.width, dpi),
             ScaleToDpi(box.height, dpi)};
}

Size ScaleToDpi(const Size& size, int dpi) {
  return Size{ScaleToDpi(size.width, dpi), ScaleToDpi(size.height, dpi)};
}

Size OuterSizeAt(int dpi) {
  return ScaleToDpi(OuterSize(kPicB), dpi);
}

Origin CentredOrigin(int screen_width, int screen_height, const Size& outer) {
  return Origin{(static_cast<double>(screen_width) - outer.width) / 2.0,
                (static_cast<double>(screen_height) - outer.height) / 2.0};
}

std::vector<Point> TilePositions(int target_width, int target_height, int tile_width,
                                 int tile_height) {
  std::vector<Point> copies;
  // A tile without area would never get past the target.
  if (tile_width <= 0 || tile_height <= 0) return copies;
  int x = 0;
  int y = 0;
  for (;;) {
    copies.push_back(Point{x, y});
    if (y <= target_height) {
      y += tile_height;
      continue;
    }
    if (x > target_width) break;
    x += tile_width;
    y = 0;
  }
  return copies;
}

}  // namespace varominea::dialog
