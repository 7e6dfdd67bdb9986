// Profile (INI) files on disk: the profile format of profile.h over the
// whole-file reads and one-step replaces of file_replace_win.h, with UTF-16
// and UTF-8 files' text converted through code page 932.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "windows/settings/file_replace_win.h"
#include "windows/settings/profile.h"

namespace varominea::profile {

// One key's value from a file's contents as ReadFileBytes gives them: "" unless
// they were read. Names and values are Shift-JIS.
std::string ProfileValueOf(const FileBytes& file, std::string_view section, std::string_view key);

// Sets several keys' values in one write, creating the file when it is
// missing and keeping its encoding and line ends: all of them are stored, or
// none, and anything but Stored leaves the file with its old contents.
WriteResult WriteProfileValues(const std::wstring& path, std::string_view section,
                               const std::vector<Entry>& entries);

// The same for the entries `entries_for` picks from the file's contents as
// they are while the file is held ("" for a file this write creates). It may
// be asked more than once, each time about newer contents; the entries of
// its last answer are the ones stored.
using EntriesFor = std::function<std::vector<Entry>(std::string_view contents)>;
WriteResult WriteProfileValues(const std::wstring& path, std::string_view section,
                               const EntriesFor& entries_for);

}  // namespace varominea::profile
