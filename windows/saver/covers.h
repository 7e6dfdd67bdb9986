// Which parts of the desktop the saver's own window leaves showing: the
// monitors, or the parts of them, that need a black cover of their own.
#pragma once

#include <vector>

namespace varominea {

// A rectangle of the virtual screen in pixels, right and bottom exclusive.
struct ScreenRect {
  int left;
  int top;
  int right;
  int bottom;
  bool empty() const { return right <= left || bottom <= top; }
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The parts of the monitors that `window` does not cover, at most four
// rectangles per monitor: a band across the monitor above the window and
// one below it, then the parts left and right of it between those bands. A
// monitor wholly outside the window is one part; one wholly inside it, none.
// Empty monitors give nothing, and a part that two monitors share (a mirrored
// monitor) is listed once.
std::vector<ScreenRect> UncoveredParts(const std::vector<ScreenRect>& monitors,
                                       const ScreenRect& window);

}  // namespace varominea
