// Product code including a test helper.
#include "tests/support/wait.h"
#include "windows/startup/command_line.h"
