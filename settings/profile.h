// Profile (INI) file contents, read and changed as bytes.
//
// The settings file keeps the same bytes on every system: section and key
// names are compared case-insensitively for the ASCII letters only, and never
// inside a Shift-JIS double-byte character (lead byte 0x81-0x9F or
// 0xE0-0xFC followed by a trail byte 0x40-0x7E or 0x80-0xFC). Changing a
// value keeps every other byte of the file; new lines end with CR LF.
//
// Lines end with LF or CR LF; a UTF-8 byte-order mark at the start is skipped
// and kept. A line whose first non-blank character is ';' is a comment. Blanks
// around names, around '=' and around values are ignored on reading.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// At most this many bytes of a value are read, as with the system's reader.
inline constexpr std::size_t kMaxProfileValueBytes = 255;
// Section and key names are cut to this many characters on writing.
inline constexpr std::size_t kMaxProfileNameChars = 127;

// The value of the first key named `key` in the first section named
// `section`: blanks around it removed, one pair of enclosing quotes removed,
// cut at a NUL byte and to 255 bytes. Empty when the section or key is
// missing.
std::string GetProfileValue(std::string_view file_bytes, std::string_view section,
                            std::string_view key);

// The file bytes with `key` in `section` set to `value`. An existing key
// keeps its line up to and including '=' and its line end; a missing key is
// added after the last key of the section; a missing section is added at the
// end of the file. Names are cut at a NUL byte and to 127 characters, and
// blanks around them are dropped; the value is cut at a NUL byte.
// std::nullopt, and nothing to write, when the names or the value cannot be
// stored so that they read back: an empty name, a line break in a name or
// value, '=' in a key, a key starting with '[' or ';', ']' in a section, a
// section ending in a lead byte (which would pair with the closing ']').
std::optional<std::string> SetProfileValue(std::string_view file_bytes, std::string_view section,
                                           std::string_view key, std::string_view value);

}  // namespace platform
