// One front end including another.
#include "core/kernel.h"
#include "linux/options.h"
#include "linux/wayland/surface.h"
