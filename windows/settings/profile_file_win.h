// Profile (INI) files on disk: whole-file reads that never create the file,
// and writes that replace the file in one step, so that a failed or
// interrupted write leaves the old file as it was.
//
// Another program may hold the file open without sharing it (an editor, a
// virus scanner, a sync client): reads and writes wait for it for a few
// seconds (kLockedFileWaitMs) before they give up, and then report the file
// as in use. A write holds the file itself from its read to its replace, so
// that another program writing the file at the same time loses nothing, nor
// does this one. A write to a symbolic link (or any other link) replaces the
// file the link leads to, in that file's folder, and the link stays.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "windows/settings/lock_wait.h"
#include "windows/settings/profile.h"

namespace varominea::profile {

enum class FileState { Missing, Read, Unreadable, InUse };
struct FileBytes {
  FileState state = FileState::Missing;
  std::string bytes;  // the contents when state is Read
};

enum class WriteResult {
  Stored,
  InUse,        // another program kept the file locked
  NotWritable,  // the folder takes no new file (access denied, read-only), or a
                // read-only file or a folder is in the file's place
  Failed,       // anything else: the old file unreadable, a full disk, names refused
};

// Files larger than this are not read (nor replaced by a profile write).
inline constexpr unsigned long long kMaxProfileFileBytes = 16ull << 20;

// The file's contents. Missing when neither it nor its folder exists; InUse
// when another program kept it locked; Unreadable for a folder, a device, a
// file too large or one that cannot be opened or read.
FileBytes ReadFileBytes(const std::wstring& path);

// Whether the path names an existing file (not a folder).
bool IsExistingFile(const std::wstring& path);

// Replaces the file's contents with `bytes`: they are written to a new file
// in the same folder, named "<file name>.<hex>-<hex>-<hex>.tmp", which then
// takes the old one's place. On failure the old file (if any) is untouched
// and nothing is left behind; files of that naming left by a process that
// was ended while it wrote are removed first. A folder or a read-only file at
// the path is never replaced.
WriteResult ReplaceFileContents(const std::wstring& path, std::string_view bytes);

// One key's value from a file's contents as ReadFileBytes gives them: "" unless
// they were read. Names and values are Shift-JIS; a UTF-16 file's text is
// converted with code page 932.
std::string ProfileValueOf(const FileBytes& file, std::string_view section, std::string_view key);

// One key's value from a profile file: "" when the file, section or key is
// missing or the file cannot be read. Names and values are Shift-JIS; a
// UTF-16 file's text is converted with code page 932.
std::string ReadProfileValue(const std::wstring& path, std::string_view section,
                             std::string_view key);

// Sets one key's value in a profile file, creating the file when it is
// missing and keeping its encoding and line ends. Anything but Stored leaves
// the file with its old contents.
WriteResult WriteProfileValue(const std::wstring& path, std::string_view section,
                              std::string_view key, std::string_view value);
// Sets several keys' values in one write: all of them are stored, or none.
WriteResult WriteProfileValues(const std::wstring& path, std::string_view section,
                               const std::vector<Entry>& entries);

}  // namespace varominea::profile
