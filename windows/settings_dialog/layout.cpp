#include "windows/settings_dialog/layout.h"

#include <algorithm>
#include <limits>

namespace varominea::dialog {

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

Size ClientSizeAt(int dpi) {
  return ScaleToDpi(Size{kPicB.width, kPicB.height}, dpi);
}

int FittingDpi(int dpi, const Size& frame, const Size& work_area) {
  if (dpi <= kLayoutDpi) return dpi <= 0 ? kLayoutDpi : dpi;
  for (int fitting = dpi; fitting > kLayoutDpi; --fitting) {
    const Size client = ClientSizeAt(fitting);
    if (client.width + frame.width <= work_area.width &&
        client.height + frame.height <= work_area.height) {
      return fitting;
    }
  }
  return kLayoutDpi;
}

Point InsideWorkArea(Point at, const Size& outer, const Box& work) {
  const int x = std::min(at.x, work.left + work.width - outer.width);
  const int y = std::min(at.y, work.top + work.height - outer.height);
  return Point{std::max(x, work.left), std::max(y, work.top)};
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
