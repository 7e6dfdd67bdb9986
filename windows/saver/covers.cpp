#include "windows/saver/covers.h"

#include <algorithm>

namespace varominea {

ScreenRect Intersection(const ScreenRect& a, const ScreenRect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

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
    const ScreenRect shared = Intersection(monitor, window);
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

std::vector<ScreenRect> PartsToCover(const std::vector<ScreenRect>& monitors,
                                     const ScreenRect& primary, const ScreenRect& window) {
  return UncoveredParts(monitors, Intersection(primary, window));
}

std::optional<ScreenRect> ClipToPrimary(const ScreenRect& area, const ScreenRect& primary) {
  const ScreenRect shown = Intersection(area, primary);
  if (shown == area) return std::nullopt;
  if (shown.empty()) return ScreenRect{0, 0, 0, 0};
  return ScreenRect{shown.left - area.left, shown.top - area.top, shown.right - area.left,
                    shown.bottom - area.top};
}

}  // namespace varominea
