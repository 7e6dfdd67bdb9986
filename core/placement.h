// Where the saver's drawing area goes on the screen, and the blit that
// stretches the 256 x 256 block of the pixel field over it.
#pragma once

#include <cstdint>
#include <optional>

namespace varominea {

struct AreaSize {
  std::int16_t width;
  std::int16_t height;
};

// Whole twips (1/1440 inch) per pixel at a display density: 15 at 96 dpi,
// 10 at 144, 8 at 192, and never 0. An unknown density (0 or less) counts as
// 96 dpi.
int TwipsPerPixel(int dpi);

// The saver window's outer extent along one axis, in pixels. The window is
// sized to the screen's extent in twips times the twips per pixel, counted
// in twips: in pixels, the screen's extent times the twips per pixel (15
// times the screen at 96 dpi), of which only the screen's part is seen. When
// that is more than a window can span (32,767 px), it is the screen's own
// extent, so that the window still covers the whole screen. This is the one
// place where the program's sizes meet twips.
int SaverWindowExtentPx(int screen_px, int dpi);

// The drawing-area size for an ImageSize setting: the whole screen (0),
// 800 x 600 (1) or 640 x 480 (2). Any other value leaves the size as it was
// (std::nullopt).
std::optional<AreaSize> DrawingAreaFor(std::int16_t image_size, std::int16_t screen_width_px,
                                       std::int16_t screen_height_px);

// The offset that centres an extent on the screen: (screen - extent) / 2,
// with the subtraction in 16 bits (std::nullopt when it overflows) and the
// halving exact, so an odd difference leaves a half pixel.
std::optional<double> CentredOffset(std::int16_t screen_px, std::int16_t extent_px);
// That offset as a whole pixel, a half rounded to even as the window system
// rounds it; std::nullopt when the offset cannot be computed.
std::optional<std::int16_t> CentredPixel(std::int16_t screen_px, std::int16_t extent_px);

// The drawing area on a surface of any size, as the saver places its
// Display on a screen: the surface's extents clamped to the 16 bits the
// saver computes its placement in, the area's size from DrawingAreaFor and
// its offset from CentredPixel (0 where that cannot be computed). The area
// may reach past the surface. std::nullopt for an ImageSize that gives no
// area.
struct PlacedArea {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};
std::optional<PlacedArea> CentredAreaFor(int surface_width, int surface_height,
                                         std::int16_t image_size);

// The arguments of the per-frame stretching blit: the whole drawing area as
// destination, and a 256 x 256 source that starts one column left of and two
// rows below the bitmap, so that field column x and field row y (y counted
// upwards from the bitmap's bottom row, field row 2) map to screen cell x, y.
struct FrameBlit {
  int dest_x, dest_y, dest_width, dest_height;
  int src_x, src_y, src_width, src_height;
};
FrameBlit FrameBlitFor(std::int16_t width_px, std::int16_t height_px);

// The field column that destination column px shows, and the field row that
// destination row py (counted from the top) shows, when the blit repeats
// source pixels without smoothing: the cell under the pixel's centre. Pixels
// whose centre lies in a strip, or outside the destination, show no cell
// (std::nullopt).
std::optional<int> FieldColumnAt(const FrameBlit& blit, int px);
std::optional<int> FieldRowAt(const FrameBlit& blit, int py);

}  // namespace varominea
