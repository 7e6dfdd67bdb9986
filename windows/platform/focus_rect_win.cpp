#include "windows/platform/focus_rect_win.h"

namespace platform {

void FocusRect::SetShown(bool shown) {
  if (shown == shown_) return;
  shown_ = shown;
  Invalidate();
}

void FocusRect::Paint(HDC dc) {
  if (!shown_ || IsRectEmpty(&bounds())) return;
  // The system's dotted rectangle inverts the pixels it covers; black and
  // white as the text and background colours make every dot a full inversion.
  const int saved = SaveDC(dc);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  DrawFocusRect(dc, &bounds());
  RestoreDC(dc, saved);
}

}  // namespace platform
