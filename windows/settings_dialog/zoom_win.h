// The caption animation with which the settings dialog opens and closes,
// between the zoom origin and the window's rectangle.
#pragma once

#include <windows.h>

namespace varominea {

void ZoomOpen(HWND window);
void ZoomClose(HWND window);

// The drawing call, replaceable so that tests can see the rectangles it is
// given (the animation itself leaves no trace to read back).

using DrawAnimatedRectsFunction = BOOL (*)(HWND window, int kind, const RECT* from, const RECT* to);
// nullptr restores the system's DrawAnimatedRects.
void SetDrawAnimatedRectsForTests(DrawAnimatedRectsFunction function);

}  // namespace varominea
