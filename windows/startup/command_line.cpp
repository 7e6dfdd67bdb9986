#include "windows/startup/command_line.h"

#include <string>

#include "core/numbers.h"

namespace varominea {

std::wstring_view ArgumentsOf(std::wstring_view whole_command_line) {
  std::wstring_view rest = whole_command_line;
  const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
  std::size_t name_end = 0;
  if (!rest.empty() && rest.front() == L'"') {
    const std::size_t closing = rest.find(L'"', 1);
    name_end = closing == rest.npos ? rest.size() : closing + 1;
  } else {
    while (name_end < rest.size() && !blank(rest[name_end])) ++name_end;
  }
  rest.remove_prefix(name_end);
  while (!rest.empty() && blank(rest.front())) rest.remove_prefix(1);
  while (!rest.empty() && blank(rest.back())) rest.remove_suffix(1);
  return rest;
}

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
