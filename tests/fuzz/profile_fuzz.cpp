// Reads and changes profile file contents made of arbitrary bytes. Input:
// section, key and value separated by \x01, then the file's bytes. A key
// named "\x01" (which the names never contain) is a probe the change keeps.
// Files in UTF-16LE or UTF-8 (after their byte-order marks) take ASCII names
// and values.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "windows/settings/profile.h"

using varominea::profile::GetProfileValue;
using varominea::profile::SetProfileValue;

static std::string_view Take(std::string_view& input) {
  const std::size_t end = input.find('\x01');
  const std::string_view part = input.substr(0, end);
  input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
  return part;
}

static void Check(bool condition) {
  if (!condition) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view file(reinterpret_cast<const char*>(data), size);
  const std::string_view section = Take(file), key = Take(file), value = Take(file);
  const std::string_view probe = "\x01";

  const std::string read = GetProfileValue(file, section, key);
  Check(read.size() <= varominea::profile::kMaxProfileValueBytes &&
        read.find('\0') == std::string::npos);
  const std::optional<std::string> written = SetProfileValue(file, section, key, value);
  if (!written) return 0;
  Check(SetProfileValue(*written, section, key, value) == written);  // a second write: no change
  // A file stays in its encoding, and a UTF-16 file keeps its odd last byte.
  Check(varominea::profile::EncodingOf(*written) == varominea::profile::EncodingOf(file));
  Check(written->size() % 2 == file.size() % 2 ||
        varominea::profile::EncodingOf(file) != varominea::profile::ProfileEncoding::Utf16Le);
  Check(GetProfileValue(*written, section, probe) == GetProfileValue(file, section, probe));
  Check(GetProfileValue(*written, probe, probe) == GetProfileValue(file, probe, probe));
  // The value reads back as from a file that holds nothing else (names
  // longer than the writer keeps are looked up under other names).
  if (section.size() <= varominea::profile::kMaxProfileNameChars &&
      key.size() <= varominea::profile::kMaxProfileNameChars) {
    const std::optional<std::string> alone = SetProfileValue("", section, key, value);
    Check(alone.has_value() &&
          GetProfileValue(*written, section, key) == GetProfileValue(*alone, section, key));
  }
  return 0;
}
