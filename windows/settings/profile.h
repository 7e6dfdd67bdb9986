// Profile (INI) file contents, read and changed as bytes.
//
// A file is stored in Shift-JIS (the usual form, no byte-order mark), in
// UTF-16 little-endian after the byte-order mark FF FE, which editors call
// "Unicode", or in UTF-8 after the byte-order mark EF BB BF, as editors save
// "UTF-8" on Windows. Names and values always cross this interface as
// Shift-JIS bytes; for a UTF-16 or UTF-8 file they are converted with a
// TextConversion, and the file is written back in its own encoding. Every
// form follows the same rules, applied to bytes in Shift-JIS and to 16-bit
// code units in the others (a UTF-8 file's text is read as UTF-16; a byte in
// it that is no part of a well-formed UTF-8 sequence is carried through as a
// code unit of its own and written back as it was).
//
// Section and key names are compared case-insensitively for the ASCII
// letters only, and never inside a Shift-JIS double-byte character (lead
// byte 0x81-0x9F or 0xE0-0xFC followed by a trail byte 0x40-0x7E or
// 0x80-0xFC) or a UTF-16 surrogate pair. Changing a value keeps every other
// byte of the file.
//
// Lines end with CR LF, LF or a lone CR; new lines end like the file's first
// line (CR LF in a file without one). A line whose first non-blank
// character is ';' is a comment. Blanks around names, around '=' and around
// values are ignored on reading.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace varominea::profile {

// At most this many bytes of a value are read, as with the system's reader.
inline constexpr std::size_t kMaxProfileValueBytes = 255;
// Section and key names are cut to this many characters on writing.
inline constexpr std::size_t kMaxProfileNameChars = 127;

// A file that starts with the byte-order mark of UTF-16 big-endian is neither
// read nor written: Shift-JIS bytes added to it would leave a file in two
// encodings.
enum class ProfileEncoding { ShiftJis, Utf8, Utf16Le, Utf16Be };
// UTF-8, UTF-16LE or BE when the bytes start with its byte-order mark, else
// Shift-JIS.
ProfileEncoding EncodingOf(std::string_view file_bytes);

// Exact conversions between Shift-JIS and UTF-16: std::nullopt when the text
// has no exact counterpart.
struct TextConversion {
  std::optional<std::u16string> (*to_utf16)(std::string_view shift_jis);
  std::optional<std::string> (*to_shift_jis)(std::u16string_view utf16);
};
// Converts ASCII only and refuses everything else: exact everywhere, and
// enough for the settings' values and the section name.
std::optional<std::u16string> WidenAscii(std::string_view text);
std::optional<std::string> NarrowAscii(std::u16string_view text);
inline constexpr TextConversion kAsciiOnly{&WidenAscii, &NarrowAscii};

// The value of the first key named `key` in the first section named
// `section`: blanks around it removed, one pair of enclosing quotes removed,
// cut at a NUL character and to 255 bytes. Empty when the section or key is
// missing, and when a UTF-16 or UTF-8 file's names or value do not convert.
std::string GetProfileValue(std::string_view file_bytes, std::string_view section,
                            std::string_view key, const TextConversion& conversion = kAsciiOnly);

// One key and the value to set for it.
struct Entry {
  std::string key;
  std::string value;
};

// The file bytes with `key` in `section` set to `value`, in the file's own
// encoding. An existing key keeps its line up to and including '=' and its
// line end; a missing key is added after the last key of the section; a
// missing section is added at the end of the file. Names are cut at a NUL
// byte and to 127 characters, and blanks around them are dropped; the value
// is cut at a NUL byte. std::nullopt, and nothing to write, when the names or
// the value cannot be stored so that they read back: an empty name, a line
// break in a name or value, '=' in a key, a key starting with '[' or ';', ']'
// in a section, a section ending in a lead byte (which would pair with the
// closing ']'), or, for a UTF-16 or UTF-8 file, a name or value that does not
// convert.
std::optional<std::string> SetProfileValue(std::string_view file_bytes, std::string_view section,
                                           std::string_view key, std::string_view value,
                                           const TextConversion& conversion = kAsciiOnly);

}  // namespace varominea::profile
