#include "windows/saver/covers.h"

#include <algorithm>

namespace varominea {

std::vector<ScreenRect> UncoveredParts(const std::vector<ScreenRect>& monitors,
                                       const ScreenRect& window) {
  std::vector<ScreenRect> parts;
  const auto add = [&parts](const ScreenRect& part) {
    if (!part.empty() && std::find(parts.begin(), parts.end(), part) == parts.end()) {
      parts.push_back(part);
    }
  };
  for (const ScreenRect& monitor : monitors) {
    if (monitor.empty()) continue;
    const ScreenRect shared{std::max(monitor.left, window.left), std::max(monitor.top, window.top),
                            std::min(monitor.right, window.right),
                            std::min(monitor.bottom, window.bottom)};
    if (window.empty() || shared.empty()) {
      add(monitor);
      continue;
    }
    add({monitor.left, monitor.top, monitor.right, shared.top});
    add({monitor.left, shared.bottom, monitor.right, monitor.bottom});
    add({monitor.left, shared.top, shared.left, shared.bottom});
    add({shared.right, shared.top, monitor.right, shared.bottom});
  }
  return parts;
}

}  // namespace varominea
