#include "startup/command_line.h"

#include <string>

#include "core/numbers.h"

namespace varominea {

wchar_t ModeLetter(std::wstring_view command_line) {
  if (command_line.size() < 2) return 0;
  const wchar_t c = command_line[1];
  return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

Mode ModeOf(std::wstring_view command_line) {
  switch (ModeLetter(command_line)) {
    case L'P':
      return Mode::Preview;
    case L'C':
      return Mode::Configure;
    case L'S':
      return Mode::Saver;
    default:
      return command_line.empty() ? Mode::Saver : Mode::Other;
  }
}

bool HidesCursor(std::wstring_view command_line) {
  return ModeLetter(command_line) == L'S';
}

std::optional<std::uint32_t> PreviewParent(std::wstring_view command_line) {
  std::string digits;  // only ASCII can belong to the number
  if (command_line.size() > 3) {
    for (const wchar_t c : command_line.substr(3)) {
      digits += c < 0x80 ? static_cast<char>(c) : '\x7f';
    }
  }
  const double number = ReadLeadingNumber(digits);
  if (number < 0) {
    const std::optional<std::int32_t> signed_form = ToInt32(number);
    if (!signed_form) return std::nullopt;
    return static_cast<std::uint32_t>(*signed_form);
  }
  return ToUInt32(number);
}

std::intptr_t PreviewHandleValue(std::uint32_t handle_number) {
  return static_cast<std::intptr_t>(static_cast<std::int32_t>(handle_number));
}

}  // namespace varominea
