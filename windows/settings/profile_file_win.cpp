#include "windows/settings/profile_file_win.h"

#include <optional>

#include "windows/settings/code_page_win.h"

namespace varominea::profile {

std::string ProfileValueOf(const FileBytes& file, std::string_view section, std::string_view key) {
  if (file.state != FileState::Read) return {};
  return GetProfileValue(file.bytes, section, key, kCodePage932);
}

WriteResult WriteProfileValues(const std::wstring& path, std::string_view section,
                               const std::vector<Entry>& entries) {
  return WriteProfileValues(path, section, [&entries](std::string_view) { return entries; });
}

WriteResult WriteProfileValues(const std::wstring& path, std::string_view section,
                               const EntriesFor& entries_for) {
  return ChangeFileContents(path, [&](const std::optional<std::string>& old) {
    std::optional<std::string> bytes = old.value_or(std::string());
    for (const Entry& entry : entries_for(*bytes)) {
      if (bytes) bytes = SetProfileValue(*bytes, section, entry.key, entry.value, kCodePage932);
    }
    return bytes;
  });
}

}  // namespace varominea::profile
