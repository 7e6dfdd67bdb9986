// The caption animation with which the settings dialog opens and closes.
#include "windows/settings_dialog/zoom_win.h"

#include "core/shared_values.h"

namespace varominea {
namespace {

DrawAnimatedRectsFunction g_draw_animated_rects = nullptr;

BOOL Animate(HWND window, const RECT& from, const RECT& to) {
  // The window is also the animation's clipping window.
  return g_draw_animated_rects ? g_draw_animated_rects(window, IDANI_CAPTION, &from, &to)
                               : DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
}

RECT OriginRect() {
  // The 16-bit origin is sign-extended into the rectangle's 32-bit fields.
  const LONG x = ZoomOriginX;
  const LONG y = ZoomOriginY;
  return RECT{x, y, x, y};
}

}  // namespace

void SetDrawAnimatedRectsForTests(DrawAnimatedRectsFunction function) {
  g_draw_animated_rects = function;
}

void ZoomOpen(HWND window) {
  const RECT from = OriginRect();
  RECT to{};
  ApiResult = GetWindowRect(window, &to);
  ApiResult = Animate(window, from, to);
}

void ZoomClose(HWND window) {
  RECT from{};
  ApiResult = GetWindowRect(window, &from);
  const RECT to = OriginRect();
  ApiResult = Animate(window, from, to);
}

}  // namespace varominea
