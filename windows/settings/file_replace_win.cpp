#include "windows/settings/file_replace_win.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "windows/platform/handles_win.h"
#include "windows/settings/lock_wait.h"
#include "windows/settings/temp_name.h"

namespace varominea::profile {
namespace {

struct FindTraits {
  static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(HANDLE h) { FindClose(h); }
};
using OwnedFind = platform::Owned<HANDLE, FindTraits>;

// Another program holds the file open without sharing it, or has locked a
// part of it: worth waiting for.
bool IsLockError(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Runs `attempt` until it gives a result, again while it gives none because
// another program holds the file, for up to kLockedFileWaitMs; std::nullopt
// when the wait ended first.
template <class Attempt>
auto RetryWhileLocked(const Attempt& attempt) -> decltype(attempt()) {
  const ULONGLONG start = GetTickCount64();
  for (unsigned attempts = 1;; ++attempts) {
    if (auto result = attempt()) return result;
    const std::optional<unsigned> pause = PauseBeforeRetry(attempts, GetTickCount64() - start);
    if (!pause) return std::nullopt;
    Sleep(*pause);
  }
}

// Writes every byte, in pieces that fit a DWORD.
bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD piece = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), piece, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

std::size_t FileNameStart(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? 0 : separator + 1;
}

// A name beside `path` for a temporary file of this process.
std::wstring TempName(const std::wstring& path, unsigned attempt) {
  return path + TempFileSuffix(GetCurrentProcessId(), GetTickCount(), attempt);
}

// A new, empty file beside `path` that no one else uses; its name is
// returned in `temp_path`. On failure the last error tells why.
platform::OwnedFile CreateTempBeside(const std::wstring& path, std::wstring& temp_path) {
  for (unsigned attempt = 0; attempt < 16; ++attempt) {
    temp_path = TempName(path, attempt);
    // Renamed into place through this handle where the system allows it,
    // else by name while the handle still holds it (sharing its deletion
    // only), so that it is held once it has taken the old file's place.
    platform::OwnedFile file(
        CreateFileW(temp_path.c_str(), GENERIC_WRITE | DELETE | FILE_WRITE_ATTRIBUTES,
                    FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return file;
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  temp_path.clear();
  return platform::OwnedFile();
}

// A second name for the file at `path`, beside it and named like a temporary
// file (so that one left by an ended process goes with the next write);
// empty where the file system has no hard links.
std::wstring HardLinkBeside(const std::wstring& path) {
  for (unsigned attempt = 0; attempt < 16; ++attempt) {
    const std::wstring name = TempName(path, attempt + 16);
    if (CreateHardLinkW(name.c_str(), path.c_str(), nullptr)) return name;
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return {};
}

// Whether `pid` may be another process that is still running: one that we
// may not look at (another user's) counts as running.
bool IsOtherRunningProcess(DWORD pid) {
  if (pid == GetCurrentProcessId()) return false;
  const platform::OwnedKernelObject process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// Removes the temporary files that a write to `path` leaves when its process
// is ended halfway. One that a running process may still be writing is kept.
void RemoveLeftoverTemps(const std::wstring& path) {
  const std::wstring file_name = path.substr(FileNameStart(path));
  const std::wstring folder = path.substr(0, FileNameStart(path));
  WIN32_FIND_DATAW found;
  const OwnedFind search(FindFirstFileW((path + L".*.tmp").c_str(), &found));
  if (!search) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::optional<std::uint32_t> owner = TempFileOwner(found.cFileName, file_name);
    if (owner && !IsOtherRunningProcess(*owner)) DeleteFileW((folder + found.cFileName).c_str());
  } while (FindNextFileW(search.get(), &found));
}

// The whole contents of an open file; std::nullopt with `error` set when a
// read fails. Unreadable for a device or a file too large to be a profile.
std::optional<FileBytes> ReadOpenFile(HANDLE file, DWORD& error) {
  error = 0;
  LARGE_INTEGER size{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > kMaxProfileFileBytes) {
    return FileBytes{FileState::Unreadable, {}};
  }
  FileBytes result{FileState::Read, std::string(static_cast<std::size_t>(size.QuadPart), '\0')};
  std::size_t filled = 0;
  while (filled < result.bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(file, result.bytes.data() + filled,
                  static_cast<DWORD>(result.bytes.size() - filled), &got, nullptr)) {
      error = GetLastError();
      return std::nullopt;
    }
    if (got == 0) break;  // the file became shorter while it was read
    filled += got;
  }
  result.bytes.resize(filled);
  return result;
}

// One read of the whole file; `error` tells why it failed.
std::optional<FileBytes> ReadOnce(const std::wstring& path, DWORD& error) {
  const platform::OwnedFile file(CreateFileW(
      path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    error = GetLastError();
    return std::nullopt;
  }
  return ReadOpenFile(file.get(), error);
}

// The name of the file behind an open handle, every link on the way
// followed ("\\?\C:\...", "\\?\UNC\..."); empty when the system gives none.
std::wstring FinalPathOf(HANDLE file) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(
        file, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(length);
  }
}

// Gives the new file `temp` the name `target` while the old file of that name
// is still held open, as file systems with POSIX-style renames allow (the
// request class and flags of Windows 10 and later, spelled out because the
// program also builds for older systems). False, with nothing renamed, where
// that is not supported.
bool RenameOverHeldFile(HANDLE temp, const std::wstring& target) {
  constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
  constexpr DWORD kReplaceIfExistsPosixSemantics = 0x1 | 0x2;
  const std::size_t name_bytes = target.size() * sizeof(wchar_t);
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + name_bytes, 0);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  // The flags take the place of ReplaceIfExists at the start of the record.
  std::memcpy(buffer.data(), &kReplaceIfExistsPosixSemantics, sizeof(DWORD));
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(name_bytes);
  std::memcpy(info->FileName, target.data(), name_bytes);
  return SetFileInformationByHandle(temp, kFileRenameInfoEx, info,
                                    static_cast<DWORD>(buffer.size())) != FALSE;
}

// Makes the file behind `file`, held by this process alone and `old_size`
// bytes long, hold `bytes`, written over its old contents: it grows first,
// so that a full disk fails before any byte changes, and shrinks last.
bool RewriteInPlace(HANDLE file, std::size_t old_size, std::string_view bytes) {
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(bytes.size());
  const LARGE_INTEGER start{};
  if (bytes.size() > old_size &&
      (!SetFilePointerEx(file, end, nullptr, FILE_BEGIN) || !SetEndOfFile(file))) {
    return false;
  }
  return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && WriteAll(file, bytes) &&
         SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file) &&
         FlushFileBuffers(file);
}

// One read-modify-replace of the file at `path`, or of the file a link there
// leads to. The file is held from its read to its replace, sharing nothing
// but its deletion, so another program that writes it waits for this write,
// and this one for it, and no change of either is lost. std::nullopt when
// another program holds the file: the cycle is to be tried again.
std::optional<WriteResult> UpdateOnce(const std::wstring& path, bool read_old,
                                      const FileChange& change) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
    return WriteResult::NotWritable;
  }
  platform::OwnedFile held(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!held) {
    const DWORD error = GetLastError();
    if (IsLockError(error)) return std::nullopt;
    // A folder that takes no new file (access denied, a read-only medium, a
    // place the file system keeps for itself), or no folder at all, cannot
    // hold the settings; an existing file that cannot be opened is not
    // replaced by one that lacks its contents.
    return attributes == INVALID_FILE_ATTRIBUTES ? WriteResult::NotWritable : WriteResult::Failed;
  }
  const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
  // Links are followed: the file they lead to is the one replaced, in its
  // own folder, and the links stay.
  std::wstring target = FinalPathOf(held.get());
  if (target.empty()) target = path;
  // A file made for this write goes again when the write fails.
  const auto failed = [&](WriteResult result) {
    if (created) {
      held.reset();
      DeleteFileW(target.c_str());
    }
    return result;
  };
  BY_HANDLE_FILE_INFORMATION about{};
  if (!GetFileInformationByHandle(held.get(), &about)) return failed(WriteResult::Failed);
  if (about.dwFileAttributes & FILE_ATTRIBUTE_READONLY) return WriteResult::NotWritable;

  std::optional<std::string> in_file;  // what the held file holds
  if (!created && read_old) {
    DWORD error = 0;
    std::optional<FileBytes> file = ReadOpenFile(held.get(), error);
    if (!file) return IsLockError(error) ? std::nullopt : std::optional(WriteResult::Failed);
    if (file->state != FileState::Read) return WriteResult::Failed;
    in_file = std::move(file->bytes);
  }
  RemoveLeftoverTemps(target);
  const std::optional<std::string> updated = change(in_file);
  if (!updated) return failed(WriteResult::Failed);
  if (in_file && *updated == *in_file) return WriteResult::Stored;

  std::wstring temp_path;
  platform::OwnedFile temp = CreateTempBeside(target, temp_path);
  if (!temp) return failed(WriteResult::NotWritable);
  const auto discard_temp = [&] {
    temp.reset();
    SetFileAttributesW(temp_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(temp_path.c_str());
  };
  bool written = WriteAll(temp.get(), *updated) && FlushFileBuffers(temp.get());
  // The new file keeps the old one's hidden and system marks.
  const DWORD kept = about.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  if (written && kept && !created) {
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = kept;
    written = SetFileInformationByHandle(temp.get(), FileBasicInfo, &basic, sizeof basic) != FALSE;
  }
  if (!written) {
    discard_temp();
    return failed(WriteResult::Failed);
  }
  if (RenameOverHeldFile(temp.get(), target)) return WriteResult::Stored;

  // Elsewhere an open file cannot be replaced: it is let go just before,
  // and a program that opens it in that moment makes the replace fail (the
  // system reports a sharing violation or access denied); the whole cycle
  // then runs again, so that program's change is read, not lost. One that
  // opens, writes and closes it in that moment is caught through a second
  // name the old file keeps meanwhile.
  const std::wstring old_file = in_file ? HardLinkBeside(target) : std::wstring();
  held.reset();
  if (!MoveFileExW(temp_path.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    if (!old_file.empty()) DeleteFileW(old_file.c_str());
    discard_temp();
    if (IsLockError(error) || error == ERROR_ACCESS_DENIED) return std::nullopt;
    return failed(WriteResult::Failed);
  }
  if (old_file.empty()) return WriteResult::Stored;
  FileBytes last = ReadFileBytes(old_file);
  DeleteFileW(old_file.c_str());
  if (last.state != FileState::Read || last.bytes == *in_file) return WriteResult::Stored;
  // That program's version is what the change applies to. The new file has
  // been held since it took the old one's place, so no one has read it yet:
  // it is written again in place. Letting it go for another replace would
  // open the same moment again, and a program writing then would build on
  // the new file, which lacks the first change, and that change would go.
  const std::optional<std::string> merged = change(last.bytes);
  if (!merged) return WriteResult::Failed;
  if (*merged == *updated) return WriteResult::Stored;
  return RewriteInPlace(temp.get(), updated->size(), *merged) ? WriteResult::Stored
                                                              : WriteResult::Failed;
}

// Runs the read-modify-replace cycle until it is done, or another program
// has held the file for kLockedFileWaitMs. The old contents are read (and
// handed to `change`) when `read_old` says so.
WriteResult UpdateFile(const std::wstring& path, bool read_old, const FileChange& change) {
  return RetryWhileLocked([&] { return UpdateOnce(path, read_old, change); })
      .value_or(WriteResult::InUse);
}

}  // namespace

FileBytes ReadFileBytes(const std::wstring& path) {
  return RetryWhileLocked([&]() -> std::optional<FileBytes> {
           DWORD error = 0;
           std::optional<FileBytes> result = ReadOnce(path, error);
           if (result || IsLockError(error)) return result;
           if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return FileBytes{};
           return FileBytes{FileState::Unreadable, {}};
         })
      .value_or(FileBytes{FileState::InUse, {}});
}

bool IsExistingFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

WriteResult ReplaceFileContents(const std::wstring& path, std::string_view bytes) {
  return UpdateFile(path, false, [bytes](const std::optional<std::string>&) {
    return std::optional<std::string>(bytes);
  });
}

WriteResult ChangeFileContents(const std::wstring& path, const FileChange& change) {
  return UpdateFile(path, true, change);
}

}  // namespace varominea::profile
