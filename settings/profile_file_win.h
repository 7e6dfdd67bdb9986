// Profile (INI) files on disk: whole-file reads that never create the file,
// and writes that replace the file in one step, so that a failed or
// interrupted write leaves the old file as it was.
#pragma once

#include <string>
#include <string_view>

namespace platform {

enum class FileState { Missing, Read, Unreadable };
struct FileBytes {
  FileState state = FileState::Missing;
  std::string bytes;  // the contents when state is Read
};

// Files larger than this are not read (nor replaced by a profile write).
inline constexpr unsigned long long kMaxProfileFileBytes = 16ull << 20;

// The file's contents. Missing when neither it nor its folder exists;
// Unreadable for a folder, a device, a file too large or one that cannot be
// opened or read.
FileBytes ReadFileBytes(const std::wstring& path);

// Whether the path names an existing file (not a folder).
bool IsExistingFile(const std::wstring& path);

// Replaces the file's contents with `bytes`: they are written to a new file
// in the same folder, which then takes the old one's place. On failure the
// old file (if any) is untouched and nothing is left behind. A folder or a
// read-only file at the path is never replaced.
bool ReplaceFileContents(const std::wstring& path, std::string_view bytes);

// One key's value from a profile file: "" when the file, section or key is
// missing or the file cannot be read.
std::string ReadProfileValue(const std::wstring& path, std::string_view section,
                             std::string_view key);

// Sets one key's value in a profile file, creating the file when it is
// missing. false when it could not be stored; the file then keeps its old
// contents.
bool WriteProfileValue(const std::wstring& path, std::string_view section, std::string_view key,
                       std::string_view value);

}  // namespace platform
