// Reading the screen saver's command line ("/s", "/p 1234", "/c:1234", ...).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace varominea {

enum class Mode { Saver, Preview, Configure, Other };

// The arguments in the whole command line the system hands the program: the
// program's name skipped as the C runtime skips it (a quoted name up to its
// closing quote, else up to the first blank), without the blanks around them.
std::wstring_view ArgumentsOf(std::wstring_view whole_command_line);

// The mode letter: the second character of the upper-cased command line,
// or 0 when the line is shorter than two characters.
wchar_t ModeLetter(std::wstring_view command_line);

// The mode the letter selects. An empty command line starts the saver.
Mode ModeOf(std::wstring_view command_line);

// Whether the saver hides the mouse cursor: only for the letter "S".
bool HidesCursor(std::wstring_view command_line);

// The preview parent: the number read from the fourth character on, rounded
// half to even. std::nullopt when it does not fit a signed 32-bit integer.
std::optional<std::int32_t> PreviewParent(std::wstring_view command_line);

}  // namespace varominea
