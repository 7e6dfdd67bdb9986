// The caption animation with which the settings dialog opens and closes.
#include "startup/pelmor_b.h"
#include "startup/shared_values.h"

namespace varominea {
namespace {

RECT OriginRect() {
  // The 16-bit origin is sign-extended into the rectangle's 32-bit fields.
  const LONG x = ZoomOriginX;
  const LONG y = ZoomOriginY;
  return RECT{x, y, x, y};
}

}  // namespace

void ZoomOpen(HWND window) {
  const RECT from = OriginRect();
  RECT to{};
  ApiResult = GetWindowRect(window, &to);
  ApiResult = DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
}

void ZoomClose(HWND window) {
  RECT from{};
  ApiResult = GetWindowRect(window, &from);
  const RECT to = OriginRect();
  ApiResult = DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
}

}  // namespace varominea
