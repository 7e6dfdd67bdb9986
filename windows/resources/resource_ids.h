// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_VAROMINEA 1   // window icon, 32 x 32, 256 colours
#define IDS_SAVER_NAME 1  // string table: the saver's name in the system's list

#define IDR_PREVIEW_PICTURE 101  // RCDATA: preview picture, JPEG 208 x 158
#define IDR_FACE_OFF 102         // RCDATA: unlit face, JPEG 95 x 20
#define IDR_FACE_ON 103          // RCDATA: lit face, JPEG 95 x 20
#define IDB_TILE 104             // BITMAP: background tile, 340 x 26, 24-bit
#define IDC_BUTTON_HAND 105      // CURSOR: 32 x 32, 16 colours, hot spot (12, 1)
#define IDC_LINK_HAND 106        // CURSOR: 32 x 32, monochrome, hot spot (12, 10)
