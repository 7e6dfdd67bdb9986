#include "core/numbers.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace varominea {
namespace {

template <typename Int>
std::optional<Int> RoundChecked(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double rounded = std::nearbyint(value);  // default mode: ties to even
  if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
    return std::nullopt;
  }
  return static_cast<Int>(rounded);
}

std::optional<std::int16_t> Fit16(int value) {
  if (value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(value);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::optional<std::int16_t> ToInt16(double value) {
  return RoundChecked<std::int16_t>(value);
}
std::optional<std::int32_t> ToInt32(double value) {
  return RoundChecked<std::int32_t>(value);
}
std::optional<std::uint32_t> ToUInt32(double value) {
  return RoundChecked<std::uint32_t>(value);
}

std::optional<std::int16_t> Sub16(std::int16_t a, std::int16_t b) {
  return Fit16(a - b);
}

double ReadLeadingNumber(std::string_view text) {
  // Collect the characters that can form a number, dropping blanks, tabs and
  // line feeds (a carriage return is no blank here: it ends the number).
  std::string number;
  bool seen_digit = false;
  bool seen_point = false;
  bool in_exponent = false;
  bool exponent_digit = false;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\n') continue;
    const char last = number.empty() ? '\0' : number.back();
    if (IsDigit(c)) {
      number += c;
      (in_exponent ? exponent_digit : seen_digit) = true;
    } else if ((c == '+' || c == '-') && (number.empty() || last == 'e')) {
      number += c;
    } else if (c == '.' && !seen_point && !in_exponent) {
      number += c;
      seen_point = true;
    } else if ((c == 'e' || c == 'E' || c == 'd' || c == 'D') && seen_digit && !in_exponent) {
      number += 'e';
      in_exponent = true;
    } else {
      break;
    }
  }
  if (!seen_digit) return 0.0;
  // An exponent marker without digits does not belong to the number.
  if (in_exponent && !exponent_digit) {
    number.erase(number.find('e'));
  }
  return std::strtod(number.c_str(), nullptr);
}

std::optional<double> ParseLocaleNumber(std::string_view text, char decimal_separator) {
  auto is_blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);

  std::string number;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
  bool digits = false;
  while (i < text.size() && IsDigit(text[i])) {
    number += text[i++];
    digits = true;
  }
  if (i < text.size() && text[i] == decimal_separator) {
    number += '.';
    ++i;
    while (i < text.size() && IsDigit(text[i])) {
      number += text[i++];
      digits = true;
    }
  }
  if (!digits) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    number += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    bool exponent_digits = false;
    while (i < text.size() && IsDigit(text[i])) {
      number += text[i++];
      exponent_digits = true;
    }
    if (!exponent_digits) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  const double value = std::strtod(number.c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::string SignPadded(std::int16_t value) {
  return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

}  // namespace varominea
