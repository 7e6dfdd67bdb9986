// The settings file on the toolkit's profile access.
#include "platform/profile_win.h"
#include "resources/texts.h"
