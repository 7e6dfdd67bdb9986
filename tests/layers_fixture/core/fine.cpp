// Core code including itself and a file beside it.
#include "core/kernel.h"
#include "local.h"
