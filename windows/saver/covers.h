// Which parts of the desktop need a black cover of their own while the
// saver's window shows the primary monitor, and how the drawing area is cut
// to that monitor.
#pragma once

#include <optional>
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

// The part two rectangles share; empty when they do not meet.
ScreenRect Intersection(const ScreenRect& a, const ScreenRect& b);

// The parts of the monitors that `window` does not cover, at most four
// rectangles per monitor: a band across the monitor above the window and
// one below it, then the parts left and right of it between those bands. A
// monitor wholly outside the window is one part; one wholly inside it, none.
// Empty monitors give nothing, and a part that two monitors share (a mirrored
// monitor) is listed once.
std::vector<ScreenRect> UncoveredParts(const std::vector<ScreenRect>& monitors,
                                       const ScreenRect& window);

// What to cover while the saver shows only the primary monitor: the parts of
// the monitors outside the window's part on the primary. Every other monitor
// is covered whole, even where the window (many times the screen's size)
// lies over it, so that neither the window's own pixels nor a drawing area
// larger than the primary show there; a monitor that mirrors the primary
// keeps what it shares with it.
std::vector<ScreenRect> PartsToCover(const std::vector<ScreenRect>& monitors,
                                     const ScreenRect& primary, const ScreenRect& window);

// The part of a drawing area at `area` (screen pixels) that lies on the
// primary monitor, in the area's own pixels (its top-left corner is 0, 0);
// std::nullopt when the whole area is on it and needs no cut.
std::optional<ScreenRect> ClipToPrimary(const ScreenRect& area, const ScreenRect& primary);

}  // namespace varominea
