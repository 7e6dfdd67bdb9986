#include "core/setting_text.h"

#include <cmath>

#include "core/numbers.h"

namespace varominea {

std::optional<std::int16_t> SettingFromText(std::string_view text, char decimal_separator) {
  if (text.empty()) return std::int16_t{0};
  const std::optional<double> number = ParseLocaleNumber(text, decimal_separator);
  if (!number) return std::nullopt;
  const double floored = std::floor(*number);
  if (floored < -32768.0 || floored > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(floored);
}

char DecimalSeparatorFrom(std::wstring_view locale_separator) {
  if (locale_separator.size() != 1) return '.';
  const wchar_t c = locale_separator.front();
  const bool usable = c > L' ' && c < 0x7F && !(c >= L'0' && c <= L'9') && c != L'+' && c != L'-' &&
                      c != L'e' && c != L'E';
  return usable ? static_cast<char>(c) : '.';
}

}  // namespace varominea
