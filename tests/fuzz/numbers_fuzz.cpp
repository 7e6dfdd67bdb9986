// The command line's number reader and the settings' number conversion over
// arbitrary text. Input: the decimal separator, then the text.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/numbers.h"
#include "core/setting_text.h"
#include "windows/startup/command_line.h"

static void Check(bool condition) {
  if (!condition) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char separator = static_cast<char>(data[0]);
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const double leading = varominea::ReadLeadingNumber(text);
  Check(!std::isnan(leading));
  // A text that is wholly a number with '.' reads the same both ways.
  const std::optional<double> whole = varominea::ParseLocaleNumber(text, '.');
  if (whole) Check(std::isfinite(*whole) && *whole == leading);
  const std::optional<double> local = varominea::ParseLocaleNumber(text, separator);
  if (local) Check(std::isfinite(*local));
  const std::optional<std::int16_t> setting = varominea::SettingFromText(text, separator);
  if (text.empty()) Check(setting == 0);
  if (!text.empty() && setting) Check(local.has_value() && std::floor(*local) == *setting);

  std::wstring command_line = L"/p ";
  for (const char c : text) command_line += static_cast<wchar_t>(static_cast<unsigned char>(c));
  // A negative number names the handle of the same 32 bits.
  const std::optional<std::uint32_t> parent = varominea::PreviewParent(command_line);
  if (parent) {
    const double rounded = std::nearbyint(leading);  // halves to even
    Check(*parent == (rounded < 0 ? rounded + 4294967296.0 : rounded));
  }

  // Any double, including infinities and NaNs, converts or is refused.
  if (text.size() >= sizeof(double)) {
    double raw;
    std::memcpy(&raw, text.data(), sizeof raw);
    if (const auto v16 = varominea::ToInt16(raw)) Check(std::fabs(raw - *v16) <= 0.5);
    if (const auto v32 = varominea::ToInt32(raw)) Check(std::fabs(raw - *v32) <= 0.5);
  }
  return 0;
}
