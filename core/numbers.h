// Checked number conversions and 16-bit arithmetic.
//
// Conversions to an integer type round to the nearest integer with ties to
// even; a value that does not fit is reported (std::nullopt) instead of
// wrapping. Callers skip the step that needed the value, or end quietly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varominea {

std::optional<std::int16_t> ToInt16(double value);
std::optional<std::int32_t> ToInt32(double value);
std::optional<std::uint32_t> ToUInt32(double value);

// 16-bit signed arithmetic that reports overflow.
std::optional<std::int16_t> Sub16(std::int16_t a, std::int16_t b);

// Reads a number the way the preview parent is read from the command line:
// blanks, tabs and line feeds anywhere are ignored; an optional sign, digits,
// a decimal point and an exponent are taken up to the first character that
// cannot belong to the number. Empty or non-numeric text gives 0.
double ReadLeadingNumber(std::string_view text);

// Locale-aware conversion of a whole text to a number: blanks around the
// number, an optional sign, digits and a fraction after the user's decimal
// separator (and an exponent). Anything else, or empty text, is no number.
std::optional<double> ParseLocaleNumber(std::string_view text, char decimal_separator);

// The settings file's number form: one blank before zero and positive
// numbers (" 1"), a minus sign before negative ones ("-3").
std::string SignPadded(std::int16_t value);

}  // namespace varominea
