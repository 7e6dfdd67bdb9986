// How one setting's text from the settings file becomes its value.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace varominea {

// The value a setting takes from the text read for it: 0 for an empty text;
// for a number (read with the user's decimal separator), the largest integer
// not above it when that fits 16 bits; std::nullopt otherwise, and the setting
// keeps the value it had.
std::optional<std::int16_t> SettingFromText(std::string_view text, char decimal_separator);

// The decimal separator to read settings with, from the user's locale
// setting: that character when it is one plain ASCII character that cannot be
// taken for part of a number otherwise, else '.'.
char DecimalSeparatorFrom(std::wstring_view locale_separator);

}  // namespace varominea
