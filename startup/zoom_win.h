// The zoom effect's drawing call, replaceable so that tests can see the
// rectangles it is given (the animation itself leaves no trace to read back).
#pragma once

#include <windows.h>

namespace varominea {

using DrawAnimatedRectsFunction = BOOL (*)(HWND window, int kind, const RECT* from, const RECT* to);
// nullptr restores the system's DrawAnimatedRects.
void SetDrawAnimatedRectsForTests(DrawAnimatedRectsFunction function);

}  // namespace varominea
