#include "linux/wayland/wayland_logic.h"

#include <cerrno>
#include <cmath>

namespace varominea::wayland {
namespace {

constexpr std::int64_t kMaxPixels = 32767;

int Capped(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, 0, kMaxPixels));
}

}  // namespace

Shell ChooseShell(bool has_layer_shell, bool has_xdg_wm_base) {
  if (has_layer_shell) return Shell::Layer;
  if (has_xdg_wm_base) return Shell::Xdg;
  return Shell::None;
}

const char* ConnectHint(int error, const char* runtime_dir, const char* display_name) {
  const bool absolute = display_name != nullptr && display_name[0] == '/';
  if (!absolute && (runtime_dir == nullptr || runtime_dir[0] != '/')) {
    return "XDG_RUNTIME_DIR is not set";
  }
  if (error == ENAMETOOLONG) return "WAYLAND_DISPLAY is too long for a socket path";
  return "is WAYLAND_DISPLAY set?";
}

Size SurfaceSize(Size configured, Size output_mode, int output_scale) {
  const int scale = std::max(output_scale, 1);
  const auto fallback = [&](int configured_extent, int mode_extent) {
    if (configured_extent > 0) return configured_extent;
    return std::max(mode_extent, 0) / scale + (std::max(mode_extent, 0) % scale != 0 ? 1 : 0);
  };
  return {fallback(configured.width, output_mode.width),
          fallback(configured.height, output_mode.height)};
}

Size OutputPixels(Size mode, std::int32_t transform) {
  if (transform % 2 != 0) return {mode.height, mode.width};
  return mode;
}

BufferGeometry BufferGeometryFor(Size surface, int output_scale, std::uint32_t preferred_120,
                                 bool have_viewporter, Size output_pixels) {
  const std::int64_t width = std::max(surface.width, 0);
  const std::int64_t height = std::max(surface.height, 0);
  BufferGeometry geometry;
  if (preferred_120 > 0 && have_viewporter) {
    // Rounded to nearest, as the fractional-scale protocol asks.
    const auto scaled = [&](std::int64_t extent) {
      return Capped((extent * preferred_120 + 60) / 120);
    };
    geometry.pixels = {scaled(width), scaled(height)};
    geometry.viewport = true;
    return geometry;
  }
  geometry.buffer_scale = std::clamp(output_scale, 1, 16);
  geometry.pixels = {Capped(width * geometry.buffer_scale), Capped(height * geometry.buffer_scale)};
  const std::int64_t output_width = output_pixels.width, output_height = output_pixels.height;
  // In proportion: the surface's height within one of the output's at the
  // scale its widths give.
  const bool in_proportion =
      width > 0 && height > 0 && output_width > 0 && output_height > 0 &&
      std::abs(height * output_width - output_height * width) <= output_width;
  if (have_viewporter && in_proportion && geometry.pixels != output_pixels) {
    geometry.pixels = {Capped(output_width), Capped(output_height)};
    geometry.buffer_scale = 1;
    geometry.viewport = true;
  }
  return geometry;
}

Point ToBufferPixels(Point surface_point, Size surface, Size pixels) {
  const auto scale = [](double value, int from, int to) {
    return from > 0 ? value * to / from : value;
  };
  return {scale(surface_point.x, surface.width, pixels.width),
          scale(surface_point.y, surface.height, pixels.height)};
}

bool OnDrawingArea(const FrameLayout& layout, Point pixel) {
  return pixel.x >= layout.area_left && pixel.x < layout.area_left + layout.area_width &&
         pixel.y >= layout.area_top && pixel.y < layout.area_top + layout.area_height;
}

std::optional<BufferChoice> ChooseBuffer(std::span<const BufferSlot> slots, Size wanted) {
  std::optional<BufferChoice> remade;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (slots[i].busy) continue;
    if (slots[i].size == wanted) return BufferChoice{i, false};
    if (!remade) remade = BufferChoice{i, true};
  }
  return remade;
}

Pace PaceOf(bool shown, bool frame_pending, bool buffer_free,
            std::chrono::steady_clock::duration waiting_for) {
  if (!shown) return Pace::Hidden;
  if (!frame_pending && buffer_free) return Pace::Ready;
  return waiting_for > kStallLimit ? Pace::Stalled : Pace::Waiting;
}

bool TimeToStep(std::span<const Pace> outputs) {
  bool ready = false;
  for (const Pace pace : outputs) {
    if (pace == Pace::Waiting) return false;
    ready |= pace == Pace::Ready;
  }
  return ready;
}

}  // namespace varominea::wayland
