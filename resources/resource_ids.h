// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_VAROMINEA 1
#define IDS_SAVER_NAME 1
