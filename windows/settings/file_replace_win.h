// Files on disk, read whole without ever being created, and replaced in one
// step, so that a failed or interrupted write leaves the old file as it was.
//
// Another program may hold the file open without sharing it (an editor, a
// virus scanner, a sync client): reads and writes wait for it for a few
// seconds (kLockedFileWaitMs) before they give up, and then report the file
// as in use. A change holds the file itself from its read to its replace, so
// that another program writing the file at the same time loses nothing, nor
// does this one. A write to a symbolic link (or any other link) replaces the
// file the link leads to, in that file's folder, and the link stays.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "windows/settings/lock_wait.h"

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

// Files larger than this are not read (nor changed).
inline constexpr unsigned long long kMaxProfileFileBytes = 16ull << 20;

// The file's contents. Missing when neither it nor its folder exists; InUse
// when another program kept it locked; Unreadable for a folder, a device, a
// file too large or one that cannot be opened or read.
FileBytes ReadFileBytes(const std::wstring& path);

// Whether the path names an existing file (not a folder).
bool IsExistingFile(const std::wstring& path);

// Replaces the file's contents with `bytes`: they are written to a new file
// in the same folder, named as temp_name.h says, which then takes the old
// one's place. On failure the old file (if any) is untouched and nothing is
// left behind; files of that naming left by a process that was ended while
// it wrote are removed first. A folder or a read-only file at the path is
// never replaced.
WriteResult ReplaceFileContents(const std::wstring& path, std::string_view bytes);

// The new contents of a file from its old ones (std::nullopt for a file
// created for this change); std::nullopt when the change cannot be made.
using FileChange = std::function<std::optional<std::string>(const std::optional<std::string>& old)>;

// Replaces the file's contents, as ReplaceFileContents does, with what
// `change` makes of them while the file is held. `change` may run more than
// once: again on the newer contents of another program that wrote the file
// in the moment a replace needs it let go. Contents that come out unchanged
// are not written.
WriteResult ChangeFileContents(const std::wstring& path, const FileChange& change);

}  // namespace varominea::profile
