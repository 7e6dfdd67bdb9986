// The settings file on the toolkit's profile access.
#include "windows/platform/profile_win.h"
#include "windows/resources/texts.h"
