// One key's read and write on a profile file on disk, for the Windows-side
// tests that look at a settings file key by key.
#pragma once

#include <string>
#include <string_view>

#include "windows/settings/profile_file_win.h"

namespace test {

// The key's value: "" when the file, section or key is missing or the file
// cannot be read.
inline std::string ReadProfileValue(const std::wstring& path, std::string_view section,
                                    std::string_view key) {
  return varominea::profile::ProfileValueOf(varominea::profile::ReadFileBytes(path), section, key);
}

// Sets the key's value in one write, creating the file when it is missing.
inline varominea::profile::WriteResult WriteProfileValue(const std::wstring& path,
                                                         std::string_view section,
                                                         std::string_view key,
                                                         std::string_view value) {
  return varominea::profile::WriteProfileValues(
      path, section, {varominea::profile::Entry{std::string(key), std::string(value)}});
}

}  // namespace test
