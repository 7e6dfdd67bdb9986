#include "windows/settings/code_page_win.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace varominea::profile {
namespace {

std::optional<std::u16string> ShiftJisToUtf16(std::string_view text) {
  if (text.empty()) return std::u16string();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
  return std::u16string(wide.begin(), wide.end());
}

std::optional<std::string> Utf16ToShiftJis(std::u16string_view text) {
  if (text.empty()) return std::string();
  const std::wstring wide(text.begin(), text.end());
  const int size = static_cast<int>(wide.size());
  BOOL lossy = FALSE;
  const int length = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                                         nullptr, &lossy);
  if (length <= 0 || lossy) return std::nullopt;
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), size, narrow.data(), length, nullptr,
                      &lossy);
  // Characters without a counterpart that are not flagged (lone surrogates).
  if (lossy || ShiftJisToUtf16(narrow) != std::u16string(text)) return std::nullopt;
  return narrow;
}

}  // namespace

const TextConversion kCodePage932{&ShiftJisToUtf16, &Utf16ToShiftJis};

}  // namespace varominea::profile
