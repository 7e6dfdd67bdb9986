// A core header that reaches up to the toolkit.
#pragma once

#include "platform/window_win.h"
