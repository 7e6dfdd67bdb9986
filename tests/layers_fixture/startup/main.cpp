// Product code including a test helper.
#include "startup/command_line.h"
#include "tests/support/wait.h"
