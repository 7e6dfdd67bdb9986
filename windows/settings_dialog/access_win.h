// The settings dialog's keyboard and screen-reader description in Win32's
// terms: virtual keys, and elements as the accessible objects serve them.
#pragma once

#include <windows.h>

#include "windows/platform/accessible_win.h"
#include "windows/settings_dialog/accessible_tree.h"
#include "windows/settings_dialog/keyboard.h"

namespace varominea::dialog {

Key KeyFromVirtualKey(int virtual_key);

// An element's description with its roles and states as the system names
// them, placed on the screen for a background box whose client area starts
// at `origin` and is laid out at `dpi`.
platform::AccessibleNode AccessibleNodeFrom(const Description& description, POINT origin, int dpi);

}  // namespace varominea::dialog
