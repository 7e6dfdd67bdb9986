#include "linux/front_end.h"

namespace varominea::linux_saver {

FrontEnd ChooseFrontEnd(const Options& options, const char* wayland_display) {
  if (options.wayland) return FrontEnd::Wayland;
  if (options.x11_target_named) return FrontEnd::X11;
  const bool under_wayland = wayland_display != nullptr && *wayland_display != '\0';
  return under_wayland ? FrontEnd::Wayland : FrontEnd::X11;
}

}  // namespace varominea::linux_saver
