#include "windows/settings/profile.h"

#include <vector>

namespace varominea::profile {
namespace {

// The rules below are written once for both encodings: `Char` is char for
// the bytes of a Shift-JIS file and char16_t for the code units of a UTF-16
// file.
template <class Char>
using View = std::basic_string_view<Char>;
template <class Char>
using Text = std::basic_string<Char>;

template <class Char>
constexpr Char kCrLf[] = {Char('\r'), Char('\n'), Char()};

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// The first unit of a two-unit character: a Shift-JIS lead byte or a UTF-16
// high surrogate; and the second one.
bool IsLeadUnit(char c) {
  const unsigned char b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrailUnit(char c) {
  const unsigned char b = static_cast<unsigned char>(c);
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}
bool IsLeadUnit(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsTrailUnit(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Units of the character at `i`: 2 for a double-byte character or a
// surrogate pair, otherwise 1 (a lead unit without its trail stands alone).
template <class Char>
std::size_t CharLength(View<Char> text, std::size_t i) {
  return (IsLeadUnit(text[i]) && i + 1 < text.size() && IsTrailUnit(text[i + 1])) ? 2 : 1;
}

template <class Char>
bool IsBlank(Char c) {
  return c == Char(' ') || c == Char('\t') || c == Char('\r') || c == Char('\v') || c == Char('\f');
}

template <class Char>
View<Char> Trim(View<Char> text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

template <class Char>
View<Char> CutAtNul(View<Char> text) {
  return text.substr(0, text.find(Char()));
}

template <class Char>
Char FoldAscii(Char c) {
  return (c >= Char('a') && c <= Char('z')) ? static_cast<Char>(c - Char('a') + Char('A')) : c;
}

// Names are equal when they differ only in the case of ASCII letters that
// stand as characters of their own.
template <class Char>
bool NamesEqual(View<Char> a, View<Char> b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    if (CharLength(a, i) == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      i += 2;
    } else {
      if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
      ++i;
    }
  }
  return true;
}

// The first position of `c` that is a character of its own, or npos.
template <class Char>
std::size_t FindChar(View<Char> text, Char c, std::size_t from = 0) {
  for (std::size_t i = from; i < text.size(); i += CharLength(text, i)) {
    if (text[i] == c) return i;
  }
  return View<Char>::npos;
}

// The first `max_chars` characters of `text`.
template <class Char>
View<Char> FirstChars(View<Char> text, std::size_t max_chars) {
  std::size_t i = 0;
  for (std::size_t n = 0; i < text.size() && n < max_chars; ++n) i += CharLength(text, i);
  return text.substr(0, i);
}

// The longest start of `text` of at most `max_units` units that does not end
// inside a two-unit character.
template <class Char>
View<Char> FirstUnits(View<Char> text, std::size_t max_units) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t next = i + CharLength(text, i);
    if (next > max_units) break;
    i = next;
  }
  return text.substr(0, i);
}

enum class LineKind { Other, Section, Key };

// One line of the file. Positions are offsets into the whole file.
template <class Char>
struct Line {
  std::size_t begin = 0;
  std::size_t text_end = 0;  // before the line end (CR LF, LF or CR)
  std::size_t end = 0;       // start of the next line
  LineKind kind = LineKind::Other;
  View<Char> name;               // section or key name, without blanks around it
  View<Char> value;              // a key's value, without blanks around it
  std::size_t after_equals = 0;  // a key line: the offset just after '='
};

template <class Char>
Line<Char> ClassifyLine(View<Char> file, Line<Char> line) {
  const View<Char> raw = file.substr(line.begin, line.text_end - line.begin);
  const View<Char> text = Trim(raw);
  if (text.empty() || text.front() == Char(';')) return line;  // blank or comment
  if (text.front() == Char('[')) {
    // The name runs up to the last ']' (text after it is ignored). A '['
    // line without one is neither a section nor a key.
    std::size_t close = View<Char>::npos;
    for (std::size_t i = FindChar(text, Char(']'), 1); i != View<Char>::npos;
         i = FindChar(text, Char(']'), i + 1)) {
      close = i;
    }
    if (close != View<Char>::npos) {
      line.kind = LineKind::Section;
      line.name = Trim(text.substr(1, close - 1));
    }
    return line;
  }
  // '=' is never a trail unit, so a plain search is safe here.
  const std::size_t equals = raw.find(Char('='));
  if (equals == View<Char>::npos) return line;
  line.kind = LineKind::Key;
  line.name = Trim(raw.substr(0, equals));
  line.value = Trim(raw.substr(equals + 1));
  line.after_equals = line.begin + equals + 1;
  return line;
}

template <class Char>
std::vector<Line<Char>> SplitLines(View<Char> file) {
  constexpr Char kBreaks[] = {Char('\r'), Char('\n'), Char()};
  std::vector<Line<Char>> lines;
  for (std::size_t begin = 0; begin < file.size();) {
    Line<Char> line;
    line.begin = begin;
    const std::size_t brk = file.find_first_of(kBreaks, begin);
    line.text_end = brk == View<Char>::npos ? file.size() : brk;
    if (brk == View<Char>::npos) {
      line.end = file.size();
    } else {
      const bool cr_lf =
          file[brk] == Char('\r') && brk + 1 < file.size() && file[brk + 1] == Char('\n');
      line.end = brk + (cr_lf ? 2 : 1);
    }
    lines.push_back(ClassifyLine(file, line));
    begin = line.end;
  }
  return lines;
}

// How the file's lines end: as its first line does; CR LF when none has an
// end yet.
template <class Char>
View<Char> LineEndStyle(const std::vector<Line<Char>>& lines, View<Char> file) {
  for (const Line<Char>& line : lines) {
    if (line.end > line.text_end) return file.substr(line.text_end, line.end - line.text_end);
  }
  return kCrLf<Char>;
}

// What completes the end of `line` before another line can follow: the
// file's line end when it has none; LF after a lone CR that ends a file of CR
// LF lines (the rest of that line end).
template <class Char>
View<Char> MissingLineEnd(View<Char> file, const Line<Char>& line, View<Char> style) {
  if (line.end == line.text_end) return style;
  if (line.end == file.size() && line.end - line.text_end == 1 &&
      file[line.text_end] == Char('\r') && style == View<Char>(kCrLf<Char>)) {
    return View<Char>(kCrLf<Char>).substr(1);
  }
  return {};
}

// A name as it is written: cut at NUL, limited in length, no blanks around.
template <class Char>
View<Char> NameToWrite(View<Char> name) {
  return Trim(FirstChars(Trim(CutAtNul(name)), kMaxProfileNameChars));
}

template <class Char>
bool EndsInLoneLeadUnit(View<Char> text) {
  std::size_t last = 0;
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) last = i;
  return !text.empty() && CharLength(text, last) == 1 && IsLeadUnit(text[last]);
}

template <class Char>
bool HasLineBreak(View<Char> text) {
  return text.find(Char('\r')) != View<Char>::npos || text.find(Char('\n')) != View<Char>::npos;
}

// The value, cut at NUL and to `max_units` units; empty when it is missing.
template <class Char>
Text<Char> GetValue(View<Char> file, View<Char> section, View<Char> key, std::size_t max_units) {
  const View<Char> section_name = Trim(CutAtNul(section));
  const View<Char> key_name = Trim(CutAtNul(key));
  bool in_section = false;
  for (const Line<Char>& line : SplitLines(file)) {
    if (line.kind == LineKind::Section) {
      if (in_section) break;  // only the first section of that name counts
      in_section = NamesEqual(line.name, section_name);
    } else if (in_section && line.kind == LineKind::Key && NamesEqual(line.name, key_name)) {
      View<Char> value = line.value;
      if (value.size() >= 2 && (value.front() == Char('"') || value.front() == Char('\'')) &&
          value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
      }
      return Text<Char>(FirstUnits(CutAtNul(value), max_units));
    }
  }
  return {};
}

template <class Char>
std::optional<Text<Char>> SetValue(View<Char> file, View<Char> section, View<Char> key,
                                   View<Char> value) {
  const View<Char> section_name = NameToWrite(section);
  const View<Char> key_name = NameToWrite(key);
  value = CutAtNul(value);
  if (section_name.empty() || key_name.empty() || HasLineBreak(section_name) ||
      HasLineBreak(key_name) || HasLineBreak(value)) {
    return std::nullopt;
  }
  // A name that would read back as something else. A section name must not
  // end in a lead byte, which would take the closing ']' as its trail byte.
  if (key_name.find(Char('=')) != View<Char>::npos || key_name.front() == Char('[') ||
      key_name.front() == Char(';') || FindChar(section_name, Char(']')) != View<Char>::npos ||
      EndsInLoneLeadUnit(section_name)) {
    return std::nullopt;
  }

  const std::vector<Line<Char>> lines = SplitLines(file);
  const View<Char> line_end = LineEndStyle(lines, file);
  const Line<Char>* insert_after = nullptr;  // the header or the last key of the section
  for (const Line<Char>& line : lines) {
    if (line.kind == LineKind::Section) {
      if (insert_after != nullptr) break;
      if (NamesEqual(line.name, section_name)) insert_after = &line;
    } else if (insert_after != nullptr && line.kind == LineKind::Key) {
      if (NamesEqual(line.name, key_name)) {
        Text<Char> out(file.substr(0, line.after_equals));
        out += value;
        out += file.substr(line.text_end);
        return out;
      }
      insert_after = &line;
    }
  }

  Text<Char> entry(key_name);
  entry += Char('=');
  entry += value;
  entry += line_end;
  if (insert_after != nullptr) {
    Text<Char> out(file.substr(0, insert_after->end));
    out += MissingLineEnd(file, *insert_after, line_end);
    out += entry;
    out += file.substr(insert_after->end);
    return out;
  }

  Text<Char> out(file);
  if (!lines.empty()) out += MissingLineEnd(file, lines.back(), line_end);
  out += Char('[');
  out += section_name;
  out += Char(']');
  out += line_end;
  out += entry;
  return out;
}

// A UTF-16LE file's code units after its byte-order mark. An odd last byte
// is no code unit; it is kept apart and written back unchanged.
std::u16string DecodeUtf16Le(std::string_view bytes) {
  bytes.remove_prefix(kUtf16LeBom.size());
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  return units;
}

std::string EncodeUtf16Le(std::u16string_view units, std::string_view odd_byte) {
  std::string bytes(kUtf16LeBom);
  bytes.reserve(bytes.size() + 2 * units.size() + odd_byte.size());
  for (const char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  bytes += odd_byte;
  return bytes;
}

std::string_view OddByte(std::string_view file_bytes) {
  return (file_bytes.size() - kUtf16LeBom.size()) % 2 ? file_bytes.substr(file_bytes.size() - 1)
                                                      : std::string_view();
}

// A byte of a UTF-8 file that is no part of a well-formed sequence stands as
// the lone low surrogate U+DC00 + byte (U+DC80 to U+DCFF), which no
// well-formed sequence gives, and is written back as that byte.
constexpr char16_t kStrayByte = 0xDC00;

bool IsContinuation(std::string_view bytes, std::size_t i, unsigned char low = 0x80,
                    unsigned char high = 0xBF) {
  if (i >= bytes.size()) return false;
  const unsigned char b = static_cast<unsigned char>(bytes[i]);
  return b >= low && b <= high;
}

// A UTF-8 file's text after its byte-order mark as UTF-16 code units.
std::u16string DecodeUtf8(std::string_view bytes) {
  bytes.remove_prefix(kUtf8Bom.size());
  std::u16string units;
  units.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    // The length of a well-formed sequence starting here (0: none), with
    // the range its second byte must lie in (no overlong forms, no
    // surrogates, nothing above U+10FFFF).
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b < 0x80) {
      length = 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    }
    bool well_formed = length > 0;
    for (std::size_t k = 1; well_formed && k < length; ++k) {
      well_formed = k == 1 ? IsContinuation(bytes, i + k, low, high) : IsContinuation(bytes, i + k);
    }
    if (!well_formed) {
      units += static_cast<char16_t>(kStrayByte | b);
      ++i;
      continue;
    }
    char32_t code = length == 1 ? b : b & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
      code = (code << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    }
    if (code >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(code);
    }
    i += length;
  }
  return units;
}

std::string EncodeUtf8(std::u16string_view units) {
  std::string bytes(kUtf8Bom);
  bytes.reserve(bytes.size() + units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t code = units[i];
    if (code >= 0xDC80 && code <= 0xDCFF) {
      bytes += static_cast<char>(code & 0xFF);  // a stray byte of the file
      continue;
    }
    if (IsLeadUnit(units[i]) && i + 1 < units.size() && IsTrailUnit(units[i + 1])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (units[++i] - 0xDC00);
    }
    if (code < 0x80) {
      bytes += static_cast<char>(code);
    } else if (code < 0x800) {
      bytes += static_cast<char>(0xC0 | (code >> 6));
      bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      bytes += static_cast<char>(0xE0 | (code >> 12));
      bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      bytes += static_cast<char>(0xF0 | (code >> 18));
      bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return bytes;
}

// A UTF-16 or UTF-8 file's text as UTF-16 code units.
std::u16string DecodeWide(std::string_view file_bytes) {
  return EncodingOf(file_bytes) == ProfileEncoding::Utf8 ? DecodeUtf8(file_bytes)
                                                         : DecodeUtf16Le(file_bytes);
}

std::string EncodeWide(std::u16string_view units, std::string_view file_bytes) {
  return EncodingOf(file_bytes) == ProfileEncoding::Utf8
             ? EncodeUtf8(units)
             : EncodeUtf16Le(units, OddByte(file_bytes));
}

// Shift-JIS text cut at NUL, converted for a UTF-16 or UTF-8 file.
std::optional<std::u16string> ToUtf16(std::string_view text, const TextConversion& conversion) {
  return conversion.to_utf16(CutAtNul(text));
}

}  // namespace

ProfileEncoding EncodingOf(std::string_view file_bytes) {
  const std::string_view mark = file_bytes.substr(0, 2);
  return file_bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom ? ProfileEncoding::Utf8
         : mark == kUtf16LeBom                             ? ProfileEncoding::Utf16Le
         : mark == kUtf16BeBom                             ? ProfileEncoding::Utf16Be
                                                           : ProfileEncoding::ShiftJis;
}

std::optional<std::u16string> WidenAscii(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
    wide += static_cast<char16_t>(c);
  }
  return wide;
}

std::optional<std::string> NarrowAscii(std::u16string_view text) {
  std::string narrow;
  narrow.reserve(text.size());
  for (const char16_t c : text) {
    if (c >= 0x80) return std::nullopt;
    narrow += static_cast<char>(c);
  }
  return narrow;
}

std::string GetProfileValue(std::string_view file_bytes, std::string_view section,
                            std::string_view key, const TextConversion& conversion) {
  const ProfileEncoding encoding = EncodingOf(file_bytes);
  if (encoding == ProfileEncoding::ShiftJis) {
    return GetValue(file_bytes, section, key, kMaxProfileValueBytes);
  }
  if (encoding == ProfileEncoding::Utf16Be) return {};
  const std::optional<std::u16string> section16 = ToUtf16(section, conversion);
  const std::optional<std::u16string> key16 = ToUtf16(key, conversion);
  if (!section16 || !key16) return {};
  const std::u16string file = DecodeWide(file_bytes);
  const std::optional<std::string> value =
      conversion.to_shift_jis(GetValue<char16_t>(file, *section16, *key16, kMaxProfileValueBytes));
  return value ? std::string(FirstUnits<char>(CutAtNul<char>(*value), kMaxProfileValueBytes))
               : std::string();
}

std::optional<std::string> SetProfileValue(std::string_view file_bytes, std::string_view section,
                                           std::string_view key, std::string_view value,
                                           const TextConversion& conversion) {
  const ProfileEncoding encoding = EncodingOf(file_bytes);
  if (encoding == ProfileEncoding::ShiftJis) return SetValue(file_bytes, section, key, value);
  if (encoding == ProfileEncoding::Utf16Be) return std::nullopt;
  const std::optional<std::u16string> section16 = ToUtf16(section, conversion);
  const std::optional<std::u16string> key16 = ToUtf16(key, conversion);
  const std::optional<std::u16string> value16 = ToUtf16(value, conversion);
  if (!section16 || !key16 || !value16) return std::nullopt;
  const std::optional<std::u16string> updated =
      SetValue<char16_t>(DecodeWide(file_bytes), *section16, *key16, *value16);
  if (!updated) return std::nullopt;
  return EncodeWide(*updated, file_bytes);
}

}  // namespace varominea::profile
