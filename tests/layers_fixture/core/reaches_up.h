// A core header that reaches up to the toolkit.
#pragma once

#include "windows/platform/window_win.h"
