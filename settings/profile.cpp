#include "settings/profile.h"

#include <vector>

namespace platform {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kNewLine = "\r\n";

unsigned char Byte(char c) {
  return static_cast<unsigned char>(c);
}

bool IsLeadByte(char c) {
  const unsigned char b = Byte(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrailByte(char c) {
  const unsigned char b = Byte(c);
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Bytes of the character at `i`: 2 for a Shift-JIS double-byte character,
// otherwise 1 (a lead byte without a valid trail byte stands alone).
std::size_t CharLength(std::string_view text, std::size_t i) {
  return (IsLeadByte(text[i]) && i + 1 < text.size() && IsTrailByte(text[i + 1])) ? 2 : 1;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view CutAtNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

char FoldAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Names are equal when they differ only in the case of ASCII letters that
// stand as characters of their own.
bool NamesEqual(std::string_view a, std::string_view b) {
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
std::size_t FindChar(std::string_view text, char c, std::size_t from = 0) {
  for (std::size_t i = from; i < text.size(); i += CharLength(text, i)) {
    if (text[i] == c) return i;
  }
  return std::string_view::npos;
}

// The first `max_chars` characters of `text`.
std::string_view FirstChars(std::string_view text, std::size_t max_chars) {
  std::size_t i = 0;
  for (std::size_t n = 0; i < text.size() && n < max_chars; ++n) i += CharLength(text, i);
  return text.substr(0, i);
}

// The longest start of `text` of at most `max_bytes` bytes that does not end
// inside a double-byte character.
std::string_view FirstBytes(std::string_view text, std::size_t max_bytes) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t next = i + CharLength(text, i);
    if (next > max_bytes) break;
    i = next;
  }
  return text.substr(0, i);
}

enum class LineKind { Other, Section, Key };

// One line of the file. Positions are offsets into the whole file.
struct Line {
  std::size_t begin = 0;
  std::size_t text_end = 0;  // before the line end (CR LF, LF, or a final CR)
  std::size_t end = 0;       // start of the next line
  LineKind kind = LineKind::Other;
  std::string_view name;         // section or key name, without blanks around it
  std::string_view value;        // a key's value, without blanks around it
  std::size_t after_equals = 0;  // a key line: the offset just after '='
};

Line ClassifyLine(std::string_view file, Line line) {
  const std::string_view raw = file.substr(line.begin, line.text_end - line.begin);
  const std::string_view text = Trim(raw);
  if (text.empty() || text.front() == ';') return line;  // blank or comment
  if (text.front() == '[') {
    // The name runs up to the last ']' (text after it is ignored). A '['
    // line without one is neither a section nor a key.
    std::size_t close = std::string_view::npos;
    for (std::size_t i = FindChar(text, ']', 1); i != std::string_view::npos;
         i = FindChar(text, ']', i + 1)) {
      close = i;
    }
    if (close != std::string_view::npos) {
      line.kind = LineKind::Section;
      line.name = Trim(text.substr(1, close - 1));
    }
    return line;
  }
  // '=' is never a trail byte, so a plain search is safe here.
  const std::size_t equals = raw.find('=');
  if (equals == std::string_view::npos) return line;
  line.kind = LineKind::Key;
  line.name = Trim(raw.substr(0, equals));
  line.value = Trim(raw.substr(equals + 1));
  line.after_equals = line.begin + equals + 1;
  return line;
}

std::size_t ContentStart(std::string_view file) {
  return file.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
}

std::vector<Line> SplitLines(std::string_view file) {
  std::vector<Line> lines;
  for (std::size_t begin = ContentStart(file); begin < file.size();) {
    Line line;
    line.begin = begin;
    const std::size_t newline = file.find('\n', begin);
    line.end = newline == std::string_view::npos ? file.size() : newline + 1;
    line.text_end = newline == std::string_view::npos ? file.size() : newline;
    if (line.text_end > begin && file[line.text_end - 1] == '\r') --line.text_end;
    lines.push_back(ClassifyLine(file, line));
    begin = line.end;
  }
  return lines;
}

// What completes the line end of a line that has none (the file's last line).
std::string_view MissingLineEnd(std::string_view file, std::size_t text_end, std::size_t end) {
  const std::string_view ending = file.substr(text_end, end - text_end);
  if (ending.find('\n') != std::string_view::npos) return {};
  return ending == "\r" ? std::string_view("\n") : kNewLine;
}

// A name as it is written: cut at NUL, limited in length, no blanks around.
std::string_view NameToWrite(std::string_view name) {
  return Trim(FirstChars(Trim(CutAtNul(name)), kMaxProfileNameChars));
}

bool EndsInLoneLeadByte(std::string_view text) {
  std::size_t last = 0;
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) last = i;
  return !text.empty() && CharLength(text, last) == 1 && IsLeadByte(text[last]);
}

bool HasLineBreak(std::string_view text) {
  return text.find('\r') != std::string_view::npos || text.find('\n') != std::string_view::npos;
}

}  // namespace

std::string GetProfileValue(std::string_view file_bytes, std::string_view section,
                            std::string_view key) {
  const std::string_view section_name = Trim(CutAtNul(section));
  const std::string_view key_name = Trim(CutAtNul(key));
  bool in_section = false;
  for (const Line& line : SplitLines(file_bytes)) {
    if (line.kind == LineKind::Section) {
      if (in_section) break;  // only the first section of that name counts
      in_section = NamesEqual(line.name, section_name);
    } else if (in_section && line.kind == LineKind::Key && NamesEqual(line.name, key_name)) {
      std::string_view value = line.value;
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
          value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
      }
      return std::string(FirstBytes(CutAtNul(value), kMaxProfileValueBytes));
    }
  }
  return {};
}

std::optional<std::string> SetProfileValue(std::string_view file_bytes, std::string_view section,
                                           std::string_view key, std::string_view value) {
  const std::string_view section_name = NameToWrite(section);
  const std::string_view key_name = NameToWrite(key);
  value = CutAtNul(value);
  if (section_name.empty() || key_name.empty() || HasLineBreak(section_name) ||
      HasLineBreak(key_name) || HasLineBreak(value)) {
    return std::nullopt;
  }
  // A name that would read back as something else. A section name must not
  // end in a lead byte, which would take the closing ']' as its trail byte.
  if (key_name.find('=') != std::string_view::npos || key_name.front() == '[' ||
      key_name.front() == ';' || FindChar(section_name, ']') != std::string_view::npos ||
      EndsInLoneLeadByte(section_name)) {
    return std::nullopt;
  }

  const std::vector<Line> lines = SplitLines(file_bytes);
  const Line* insert_after = nullptr;  // the header or the last key of the section
  for (const Line& line : lines) {
    if (line.kind == LineKind::Section) {
      if (insert_after != nullptr) break;
      if (NamesEqual(line.name, section_name)) insert_after = &line;
    } else if (insert_after != nullptr && line.kind == LineKind::Key) {
      if (NamesEqual(line.name, key_name)) {
        std::string out(file_bytes.substr(0, line.after_equals));
        out += value;
        out += file_bytes.substr(line.text_end);
        return out;
      }
      insert_after = &line;
    }
  }

  std::string entry(key_name);
  entry += '=';
  entry += value;
  entry += kNewLine;
  if (insert_after != nullptr) {
    std::string out(file_bytes.substr(0, insert_after->end));
    out += MissingLineEnd(file_bytes, insert_after->text_end, insert_after->end);
    out += entry;
    out += file_bytes.substr(insert_after->end);
    return out;
  }

  std::string out(file_bytes);
  if (file_bytes.size() > ContentStart(file_bytes) && file_bytes.back() != '\n') {
    out += file_bytes.back() == '\r' ? std::string_view("\n") : kNewLine;
  }
  out += '[';
  out += section_name;
  out += ']';
  out += kNewLine;
  out += entry;
  return out;
}

}  // namespace platform
