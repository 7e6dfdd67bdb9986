#include "core/shared_values.h"

namespace varominea {

std::int16_t ImageSize = 0;
std::int16_t ProcPattern = 0;
bool SettingsKnown = false;
std::string IniValue;
std::int16_t ZoomOriginX = 0;
std::int16_t ZoomOriginY = 0;
std::int32_t ApiResult = 0;
DibHeaderRecord DibHeader = {};
std::unique_ptr<ByteField> PixelField;
KernelParamBlock KernelParams;

}  // namespace varominea
