// The browser glue reaching into the Linux parts.
#include "core/kernel.h"
#include "linux/options.h"
