// The Wayland saver's decisions that need no compositor: which shell gives
// the full-screen surfaces, how large their buffers are at the output's
// scale, which of an output's two buffers a frame is drawn into, when the
// next frame is due, and the list of outputs as they come and go.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "core/frame_layout.h"

namespace varominea::wayland {

// Layer-shell overlay surfaces where the compositor offers them (they cover
// panels and take the keyboard); fullscreen xdg-shell toplevels otherwise.
enum class Shell { Layer, Xdg, None };
Shell ChooseShell(bool has_layer_shell, bool has_xdg_wm_base);

// Why no connection to the compositor could be made, for the saver's one
// line: from libwayland's errno and the two variables it reads.
const char* ConnectHint(int error, const char* runtime_dir, const char* display_name);

// A surface's size in surface coordinates: what the compositor configured,
// or where it left that to the client (0), the output's mode divided by its
// integer scale (rounded up, so the surface still covers the output).
struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};
Size SurfaceSize(Size configured, Size output_mode, int output_scale);

// An output's size in physical pixels as it is turned: its current mode,
// whose sides swap under a transform by a quarter turn (the odd values of
// wl_output's transform).
Size OutputPixels(Size mode, std::int32_t transform);

// The buffer that covers a surface in the output's physical pixels.
struct BufferGeometry {
  Size pixels;            // the buffer's size
  int buffer_scale = 1;   // for wl_surface.set_buffer_scale
  bool viewport = false;  // whether a viewport maps the buffer onto the surface size
  friend bool operator==(const BufferGeometry&, const BufferGeometry&) = default;
};
// `preferred_120` is the fractional scale the compositor prefers for the
// surface in 120ths (0 when it has said none); it is used only with a
// viewporter. Otherwise the output's integer scale (at least 1) applies,
// unless it does not give the output's pixels (`output_pixels`, 0 x 0 when
// unknown) exactly: with a viewporter, a surface in proportion to the output
// (covering it at a fractional scale the compositor does not name) then gets
// a buffer of the output's pixels. Sizes are capped at 32,767 pixels, as
// large as a frame layout reaches.
BufferGeometry BufferGeometryFor(Size surface, int output_scale, std::uint32_t preferred_120,
                                 bool have_viewporter, Size output_pixels);

// A point in surface coordinates as a buffer pixel position.
struct Point {
  double x;
  double y;
};
Point ToBufferPixels(Point surface_point, Size surface, Size pixels);

// Whether a buffer pixel position lies on the drawing area (pointer moves
// over the black margin never end the saver).
bool OnDrawingArea(const FrameLayout& layout, Point pixel);

// One of an output's two buffers: its size (0 x 0 before it is made) and
// whether the compositor may still read it.
struct BufferSlot {
  Size size;
  bool busy = false;
};
struct BufferChoice {
  std::size_t index;
  bool remake;  // made anew at the wanted size first
};
// A free buffer of the wanted size, else any free buffer to make anew; none
// while the compositor holds both.
std::optional<BufferChoice> ChooseBuffer(std::span<const BufferSlot> slots, Size wanted);

// Where an output stands in the frame pacing.
enum class Pace {
  Hidden,   // no surface shown yet: not counted
  Ready,    // can take the next frame
  Waiting,  // its last frame is not yet shown or no buffer is free
  Stalled,  // waiting longer than the stall limit (an output switched off): not counted
};
inline constexpr std::chrono::milliseconds kStallLimit{100};
Pace PaceOf(bool shown, bool frame_pending, bool buffer_free,
            std::chrono::steady_clock::duration waiting_for);
// The next frame is stepped when some output is ready and none is waiting,
// so every shown output gets every frame at the pace of its refresh.
bool TimeToStep(std::span<const Pace> outputs);

// The outputs by their registry name, each owning what was made for it.
// Removing one leaves the others where they are.
template <typename T>
class OutputList {
 public:
  T& Add(std::uint32_t name, std::unique_ptr<T> output) {
    Remove(name);
    entries_.emplace_back(name, std::move(output));
    return *entries_.back().second;
  }
  // The removed output, for the caller to release; nullptr for a name that
  // is not an output.
  std::unique_ptr<T> Remove(std::uint32_t name) {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const auto& entry) { return entry.first == name; });
    if (found == entries_.end()) return nullptr;
    std::unique_ptr<T> removed = std::move(found->second);
    entries_.erase(found);
    return removed;
  }
  T* Find(std::uint32_t name) const {
    for (const auto& [key, output] : entries_) {
      if (key == name) return output.get();
    }
    return nullptr;
  }
  template <typename F>
  void ForEach(F&& visit) const {
    for (const auto& entry : entries_) visit(*entry.second);
  }
  std::size_t size() const { return entries_.size(); }
  // Releases the outputs in reverse order of their arrival.
  void Clear() {
    while (!entries_.empty()) entries_.pop_back();
  }

 private:
  std::vector<std::pair<std::uint32_t, std::unique_ptr<T>>> entries_;
};

}  // namespace varominea::wayland
