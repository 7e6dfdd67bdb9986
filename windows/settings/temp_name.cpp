#include "windows/settings/temp_name.h"

namespace varominea::profile {
namespace {

void AppendHex(std::wstring& text, std::uint32_t number) {
  wchar_t digits[8];
  std::size_t count = 0;
  do {
    digits[count++] = L"0123456789abcdef"[number % 16];
    number /= 16;
  } while (number != 0);
  while (count > 0) text += digits[--count];
}

// The number in 1 to 8 lowercase hex digits at the start of `text`, which is
// moved past it.
std::optional<std::uint32_t> TakeHex(std::wstring_view& text) {
  std::size_t digits = 0;
  std::uint32_t number = 0;
  while (digits < text.size() && digits < 8) {
    const wchar_t c = text[digits];
    if (c >= L'0' && c <= L'9') {
      number = number * 16 + static_cast<std::uint32_t>(c - L'0');
    } else if (c >= L'a' && c <= L'f') {
      number = number * 16 + static_cast<std::uint32_t>(c - L'a' + 10);
    } else {
      break;
    }
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  text.remove_prefix(digits);
  return number;
}

// Moves `text` past `part` when it starts with it.
bool Take(std::wstring_view& text, std::wstring_view part) {
  if (text.substr(0, part.size()) != part) return false;
  text.remove_prefix(part.size());
  return true;
}

}  // namespace

std::wstring TempFileSuffix(std::uint32_t pid, std::uint32_t tick, std::uint32_t attempt) {
  std::wstring suffix = L".";
  AppendHex(suffix, pid);
  suffix += L'-';
  AppendHex(suffix, tick);
  suffix += L'-';
  AppendHex(suffix, attempt);
  suffix += L".tmp";
  return suffix;
}

std::optional<std::uint32_t> TempFileOwner(std::wstring_view name, std::wstring_view file_name) {
  if (!Take(name, file_name) || !Take(name, L".")) return std::nullopt;
  const std::optional<std::uint32_t> pid = TakeHex(name);
  if (!pid || !Take(name, L"-") || !TakeHex(name) || !Take(name, L"-") || !TakeHex(name) ||
      name != L".tmp") {
    return std::nullopt;
  }
  return pid;
}

}  // namespace varominea::profile
