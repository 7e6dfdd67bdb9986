#include "linux/wayland/seat_input.h"

#include <algorithm>
#include <memory>

#include "linux/file_descriptor.h"

namespace varominea::wayland {

void SeatInput::Add(wl_registry* registry, std::uint32_t name, std::uint32_t version) {
  auto seat = std::make_unique<Seat>();
  seat->input = this;
  seat->seat.reset(static_cast<wl_seat*>(
      wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, 5u))));
  wl_seat_add_listener(seat->seat.get(), &kSeatListener, seat.get());
  seats_.Add(name, std::move(seat));
}

// A pointer position on one of the surfaces: a real move over the drawing
// area ends the saver, as a mouse move does on Windows. A position the
// compositor placed the pointer at is recorded afresh as the first one.
void SeatInput::PointerAt(const Seat& seat, wl_fixed_t x, wl_fixed_t y, bool placed) {
  if (placed || placed_by_compositor_) move_detector_ = MoveDetector();
  const std::optional<PointerSpace> space = space_of_(seat.pointer_surface);
  if (!space) return;
  const Point pixel =
      ToBufferPixels({wl_fixed_to_double(x), wl_fixed_to_double(y)}, space->surface, space->pixels);
  if (!OnDrawingArea(*space->layout, pixel)) return;
  if (move_detector_.IsRealMove(false, static_cast<float>(pixel.x), static_cast<float>(pixel.y))) {
    ended_ = true;
  }
}

void SeatInput::Capabilities(void* data, wl_seat* wl_seat, std::uint32_t capabilities) {
  auto& seat = *static_cast<Seat*>(data);
  const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
  const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
  if (keyboard && !seat.keyboard) {
    seat.keyboard.reset(wl_seat_get_keyboard(wl_seat));
    wl_keyboard_add_listener(seat.keyboard.get(), &kKeyboardListener, &seat);
  } else if (!keyboard) {
    seat.keyboard.reset();
  }
  if (pointer && !seat.pointer) {
    seat.pointer.reset(wl_seat_get_pointer(wl_seat));
    wl_pointer_add_listener(seat.pointer.get(), &kPointerListener, &seat);
  } else if (!pointer) {
    seat.pointer.reset();
    seat.pointer_surface = nullptr;
  }
}
const wl_seat_listener SeatInput::kSeatListener{.capabilities = Capabilities, .name = Ignore};

// Keys: any key that goes down ends the saver. Keys already down when the
// surface gets the focus (the one that started it) do not.
void SeatInput::KeyMap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) {
  // The key map is not read: the descriptor is closed at once.
  const linux_saver::FileDescriptor map(fd);
}
void SeatInput::Key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                    std::uint32_t state) {
  if (state == WL_KEYBOARD_KEY_STATE_PRESSED) static_cast<Seat*>(data)->input->ended_ = true;
}
const wl_keyboard_listener SeatInput::kKeyboardListener{.keymap = KeyMap,
                                                        .enter = Ignore,
                                                        .leave = Ignore,
                                                        .key = Key,
                                                        .modifiers = Ignore,
                                                        .repeat_info = Ignore};

// The pointer: hidden over the surfaces; any button ends the saver, and so
// does a real move. Where it enters a surface is where the compositor put
// it, never a move.
void SeatInput::PointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial,
                             wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
  auto& seat = *static_cast<Seat*>(data);
  wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
  seat.pointer_surface = surface;
  seat.input->PointerAt(seat, x, y, true);
}
void SeatInput::PointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface*) {
  static_cast<Seat*>(data)->pointer_surface = nullptr;
}
void SeatInput::PointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
  auto& seat = *static_cast<Seat*>(data);
  seat.input->PointerAt(seat, x, y, false);
}
void SeatInput::PointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t,
                              std::uint32_t state) {
  if (state == WL_POINTER_BUTTON_STATE_PRESSED) static_cast<Seat*>(data)->input->ended_ = true;
}
const wl_pointer_listener SeatInput::kPointerListener{.enter = PointerEnter,
                                                      .leave = PointerLeave,
                                                      .motion = PointerMotion,
                                                      .button = PointerButton,
                                                      .axis = Ignore,
                                                      .frame = Ignore,
                                                      .axis_source = Ignore,
                                                      .axis_stop = Ignore,
                                                      .axis_discrete = Ignore,
                                                      .axis_value120 = Ignore};

}  // namespace varominea::wayland
