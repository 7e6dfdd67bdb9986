// Owners of the Wayland objects the saver holds: each destroys or releases
// exactly one object, once, with the request its interface's version has;
// and the listener tables' entry for the events the saver has no use for.
#pragma once

#include <wayland-client.h>

#include <memory>

#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace varominea::wayland {

// A listener entry for an event the saver has no use for.
template <typename... Arguments>
void Ignore(void*, Arguments...) {}

template <typename T, void (*Destroy)(T*)>
struct Destroyer {
  void operator()(T* object) const {
    if (object != nullptr) Destroy(object);
  }
};
template <typename T, void (*Destroy)(T*)>
using Owned = std::unique_ptr<T, Destroyer<T, Destroy>>;

// Objects whose destructor request came in a later version of their
// interface: older ones are only forgotten on the client side.
inline void ReleaseOutput(wl_output* output) {
  if (wl_output_get_version(output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
    wl_output_release(output);
  } else {
    wl_output_destroy(output);
  }
}
inline void ReleaseSeat(wl_seat* seat) {
  if (wl_seat_get_version(seat) >= WL_SEAT_RELEASE_SINCE_VERSION) {
    wl_seat_release(seat);
  } else {
    wl_seat_destroy(seat);
  }
}
inline void ReleaseKeyboard(wl_keyboard* keyboard) {
  if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
    wl_keyboard_release(keyboard);
  } else {
    wl_keyboard_destroy(keyboard);
  }
}
inline void ReleasePointer(wl_pointer* pointer) {
  if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION) {
    wl_pointer_release(pointer);
  } else {
    wl_pointer_destroy(pointer);
  }
}
inline void ReleaseLayerShell(zwlr_layer_shell_v1* shell) {
  if (zwlr_layer_shell_v1_get_version(shell) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION) {
    zwlr_layer_shell_v1_destroy(shell);
  } else {
    wl_proxy_destroy(reinterpret_cast<wl_proxy*>(shell));
  }
}

}  // namespace varominea::wayland
