// The values the program's windows share with each other and with the
// settings file. They live for the whole process and are zero at its start.
// A window's own state (the saver's screen size and drawing area, say) is
// kept by the window; the toolkit keeps its few process-wide facts (the
// forms alive, the application cursor) to itself.
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
// Whether the two hold what the settings file says (a missing file or key
// says 0). False until the file has been read, and after a load that could
// not read it (another program kept it locked): the values are then not
// known, and are neither shown nor saved as if they had been stored.
extern bool SettingsKnown;

// The last setting text read from or written to the settings file.
extern std::string IniValue;

// Where the settings dialog's zoom animation starts and ends (screen pixels).
extern std::int16_t ZoomOriginX;
extern std::int16_t ZoomOriginY;

// The result of the last platform call that was stored. The settings
// dialog's load reads it directly after storing it, and after a settings
// write it tells whether the value was stored.
extern std::int32_t ApiResult;

// The saver's bitmap header and colour table, byte field and parameter block.
extern DibHeaderRecord DibHeader;
extern std::unique_ptr<ByteField> PixelField;
extern KernelParamBlock KernelParams;

}  // namespace varominea
