// Reads and changes profile file contents made of arbitrary bytes.
//
// Input: section, key and value separated by \x01, then the file's bytes.
// A key named "\x01" (which the section and key above never contain) is a
// probe that the change must leave alone.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/profile.h"

namespace {

std::string_view Take(std::string_view& input) {
  const std::size_t end = input.find('\x01');
  const std::string_view part = input.substr(0, end);
  input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
  return part;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view section = Take(input);
  const std::string_view key = Take(input);
  const std::string_view value = Take(input);
  const std::string_view file = input;
  const std::string_view probe = "\x01";

  const std::string read = platform::GetProfileValue(file, section, key);
  Check(read.size() <= platform::kMaxProfileValueBytes);
  Check(read.find('\0') == std::string::npos);

  const std::optional<std::string> written = platform::SetProfileValue(file, section, key, value);
  if (!written) return 0;
  // Writing the same again changes nothing.
  Check(platform::SetProfileValue(*written, section, key, value) == written);
  // Other keys keep their values.
  Check(platform::GetProfileValue(*written, section, probe) ==
        platform::GetProfileValue(file, section, probe));
  Check(platform::GetProfileValue(*written, probe, probe) ==
        platform::GetProfileValue(file, probe, probe));
  // The value reads back as from a file that holds nothing else (names
  // longer than the writer keeps are looked up under other names).
  if (section.size() <= platform::kMaxProfileNameChars &&
      key.size() <= platform::kMaxProfileNameChars) {
    const std::optional<std::string> alone = platform::SetProfileValue("", section, key, value);
    Check(alone.has_value());
    Check(platform::GetProfileValue(*written, section, key) ==
          platform::GetProfileValue(*alone, section, key));
  }
  return 0;
}
