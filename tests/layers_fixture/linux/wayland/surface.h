// A front end on the shared Linux parts and the core.
#pragma once

#include "core/kernel.h"
#include "linux/options.h"
