// The seats' keyboards and pointers over the saver's surfaces. Any key or
// button that goes down ends the saver, and so does a real pointer move over
// a drawing area. A position the compositor gives the pointer by itself (on
// entering a surface, after it changed an output or configured a surface)
// is recorded as the new first position, never counted as a move.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "core/frame_layout.h"
#include "core/move_detector.h"
#include "linux/wayland/wayland_logic.h"
#include "linux/wayland/wayland_owners.h"

namespace varominea::wayland {

// One of the saver's surfaces as the pointer sees it: its size in surface
// coordinates, its buffer's in pixels, and the drawing area on the buffer.
struct PointerSpace {
  Size surface;
  Size pixels;
  const FrameLayout* layout = nullptr;
};
// The space of a surface of the saver's; nullopt for any other surface.
using SpaceOf = std::function<std::optional<PointerSpace>(wl_surface*)>;

class SeatInput {
 public:
  explicit SeatInput(SpaceOf space_of) : space_of_(std::move(space_of)) {}
  SeatInput(const SeatInput&) = delete;
  SeatInput& operator=(const SeatInput&) = delete;

  // A wl_seat the registry announced, bound and followed until removed.
  void Add(wl_registry* registry, std::uint32_t name, std::uint32_t version);
  void Remove(std::uint32_t name) { seats_.Remove(name); }

  // The compositor changed an output or configured a surface: a pointer
  // position among the events read with the change may be one it gave the
  // pointer itself (it re-places the pointer as it applies the change).
  // EventsHandled() ends those events: positions read later are the user's.
  void CompositorMayPlacePointer() { placed_by_compositor_ = true; }
  void EventsHandled() { placed_by_compositor_ = false; }

  // A key, a button or a real pointer move has ended the saver.
  bool ended() const { return ended_; }

 private:
  struct Seat {
    SeatInput* input = nullptr;
    Owned<wl_seat, ReleaseSeat> seat;
    Owned<wl_keyboard, ReleaseKeyboard> keyboard;
    Owned<wl_pointer, ReleasePointer> pointer;
    wl_surface* pointer_surface = nullptr;  // the surface under the pointer
  };

  void PointerAt(const Seat& seat, wl_fixed_t x, wl_fixed_t y, bool placed);

  static void Capabilities(void* data, wl_seat* seat, std::uint32_t capabilities);
  static void KeyMap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t);
  static void Key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                  std::uint32_t state);
  static void PointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial,
                           wl_surface* surface, wl_fixed_t x, wl_fixed_t y);
  static void PointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface*);
  static void PointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y);
  static void PointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t,
                            std::uint32_t state);
  static const wl_seat_listener kSeatListener;
  static const wl_keyboard_listener kKeyboardListener;
  static const wl_pointer_listener kPointerListener;

  const SpaceOf space_of_;
  MoveDetector move_detector_;
  bool placed_by_compositor_ = false;
  bool ended_ = false;
  OutputList<Seat> seats_;
};

}  // namespace varominea::wayland
