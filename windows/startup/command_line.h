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
// half to even, as the 32-bit value of a window handle. Hosts write it
// unsigned (0 to 4,294,967,295); a negative number down to -2,147,483,648 is
// taken as the signed form of the same 32 bits, as a host that prints the
// handle as a signed integer writes it. std::nullopt for anything else.
std::optional<std::uint32_t> PreviewParent(std::wstring_view command_line);

// The handle value of a 32-bit handle number, as the system widens it on
// 64-bit Windows: sign-extended, so 4,294,967,295 is the same handle as -1.
std::intptr_t PreviewHandleValue(std::uint32_t handle_number);

}  // namespace varominea
