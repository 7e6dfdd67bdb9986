// The module-level values shared by the program's windows. They live for the
// whole process and are zero at its start. Nothing else is global.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/dib_header.h"
#include "core/kernel.h"
#include "core/pixel_field.h"

namespace varominea {

// The settings record (read from and saved to the settings file).
extern std::int16_t ImageSize;    // 0 = screen size, 1 = 800 x 600, 2 = 640 x 480
extern std::int16_t ProcPattern;  // 0 = nested squares, anything else = rings

// The last setting text read from or written to the settings file.
extern std::string IniValue;

// 0, 1: height and width of the saver's drawing area in pixels;
// 2..5: left, top, width and height of the preview window in twips.
extern std::int16_t ViewRect[6];

// The screen's size in pixels, as the saver's set-up computed it.
extern std::int16_t ScreenWidthPx;
extern std::int16_t ScreenHeightPx;

// Where the settings dialog's zoom animation starts and ends (screen pixels).
extern std::int16_t ZoomOriginX;
extern std::int16_t ZoomOriginY;

// The result of the last platform call that was stored; only the settings
// dialog's load reads it, directly after storing it.
extern std::int32_t ApiResult;

// The saver's bitmap header and colour table, byte field and parameter block.
extern DibHeaderRecord DibHeader;
extern std::unique_ptr<ByteField> PixelField;
extern KernelParamBlock KernelParams;

}  // namespace varominea
