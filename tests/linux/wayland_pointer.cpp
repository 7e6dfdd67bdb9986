// A pointer for the Wayland tests, where the headless compositor has no
// input devices: a virtual pointer that moves to absolute positions of the
// outputs' area and presses buttons, as the arguments say.
//
//   wayland_pointer WIDTH HEIGHT [wait MS | move X Y | click | hold]...
//
// WIDTH x HEIGHT is the area the positions are given in (all outputs side
// by side). `hold` keeps the pointer where it is until SIGUSR1 comes, and
// says "holding" on standard error when it starts to. Exits 0 when every
// step was sent, 1 when the compositor lacks what it needs.
#include <linux/input-event-codes.h>
#include <signal.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

wl_seat* seat = nullptr;
zwlr_virtual_pointer_manager_v1* manager = nullptr;

void Global(void*, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t) {
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && seat == nullptr) {
    seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  }
}
void GlobalRemove(void*, wl_registry*, std::uint32_t) {}
constexpr wl_registry_listener kRegistryListener{Global, GlobalRemove};

std::uint32_t Now() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

int main(int argc, char** argv) {
  // SIGUSR1 is only waited for, from the start, so that one sent early is
  // not lost.
  sigset_t resume{};
  sigemptyset(&resume);
  sigaddset(&resume, SIGUSR1);
  sigprocmask(SIG_BLOCK, &resume, nullptr);
  if (argc < 3) {
    std::fputs("usage: wayland_pointer WIDTH HEIGHT [wait MS | move X Y | click | hold]...\n",
               stderr);
    return 2;
  }
  wl_display* const display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fputs("wayland_pointer: no compositor\n", stderr);
    return 1;
  }
  wl_registry* const registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, nullptr);
  wl_display_roundtrip(display);
  if (manager == nullptr) {
    std::fputs("wayland_pointer: the compositor offers no virtual pointer\n", stderr);
    return 1;
  }
  zwlr_virtual_pointer_v1* const pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
  const auto width = static_cast<std::uint32_t>(std::atoi(argv[1]));
  const auto height = static_cast<std::uint32_t>(std::atoi(argv[2]));
  for (int i = 3; i < argc; ++i) {
    const std::string step = argv[i];
    if (step == "wait" && i + 1 < argc) {
      wl_display_roundtrip(display);
      std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[++i])));
    } else if (step == "move" && i + 2 < argc) {
      const auto x = static_cast<std::uint32_t>(std::atoi(argv[i + 1]));
      const auto y = static_cast<std::uint32_t>(std::atoi(argv[i + 2]));
      i += 2;
      zwlr_virtual_pointer_v1_motion_absolute(pointer, Now(), x, y, width, height);
      zwlr_virtual_pointer_v1_frame(pointer);
    } else if (step == "click") {
      zwlr_virtual_pointer_v1_button(pointer, Now(), BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
      zwlr_virtual_pointer_v1_frame(pointer);
      zwlr_virtual_pointer_v1_button(pointer, Now(), BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
      zwlr_virtual_pointer_v1_frame(pointer);
    } else if (step == "hold") {
      wl_display_roundtrip(display);
      std::fputs("wayland_pointer: holding\n", stderr);
      const timespec tick{0, 50'000'000};
      while (sigtimedwait(&resume, nullptr, &tick) != SIGUSR1) wl_display_roundtrip(display);
    } else {
      std::fprintf(stderr, "wayland_pointer: bad step '%s'\n", step.c_str());
      return 2;
    }
  }
  wl_display_roundtrip(display);
  zwlr_virtual_pointer_v1_destroy(pointer);
  zwlr_virtual_pointer_manager_v1_destroy(manager);
  if (seat != nullptr) wl_seat_destroy(seat);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return 0;
}
