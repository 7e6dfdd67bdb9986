#include "settings/profile_file_win.h"

#include <windows.h>

#include <optional>

#include "platform/handles_win.h"
#include "settings/profile.h"

namespace varominea::profile {
namespace {

constexpr DWORD kRetryPauseMs = 25;

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

// Runs `attempt` (which returns whether it is done, and leaves the last
// error set when it is not) again while it fails because `retry_on(error)`,
// for up to kLockedFileWaitMs. Returns the attempt's last error, 0 when done.
template <class Attempt, class RetryOn>
DWORD RetryWhileLocked(Attempt attempt, RetryOn retry_on) {
  const ULONGLONG deadline = GetTickCount64() + kLockedFileWaitMs;
  for (;;) {
    if (attempt()) return 0;
    const DWORD error = GetLastError();
    if (!retry_on(error) || GetTickCount64() >= deadline) return error;
    Sleep(kRetryPauseMs);
  }
}

// Shift-JIS <-> UTF-16 through code page 932, refusing what has no exact
// counterpart.
std::optional<std::u16string> ShiftJisToUtf16(std::string_view text) {
  if (text.empty()) return std::u16string();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
  return std::u16string(wide.begin(), wide.end());
}

std::optional<std::string> Utf16ToShiftJis(std::u16string_view text) {
  if (text.empty()) return std::string();
  const std::wstring wide(text.begin(), text.end());
  const int size = static_cast<int>(wide.size());
  BOOL lossy = FALSE;
  const int length = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                                         nullptr, &lossy);
  if (length <= 0 || lossy) return std::nullopt;
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), size, narrow.data(), length, nullptr,
                      &lossy);
  // Characters without a counterpart that are not flagged (lone surrogates).
  if (lossy || ShiftJisToUtf16(narrow) != std::u16string(text)) return std::nullopt;
  return narrow;
}

constexpr TextConversion kCodePage932{&ShiftJisToUtf16, &Utf16ToShiftJis};

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

// A new, empty file beside `path` that no one else uses; its name is
// returned in `temp_path`. On failure the last error tells why.
platform::OwnedFile CreateTempBeside(const std::wstring& path, std::wstring& temp_path) {
  for (unsigned attempt = 0; attempt < 16; ++attempt) {
    wchar_t suffix[64];
    wsprintfW(suffix, L".%lx-%lx-%x.tmp", GetCurrentProcessId(), GetTickCount(), attempt);
    temp_path = path + suffix;
    platform::OwnedFile file(CreateFileW(temp_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return file;
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  temp_path.clear();
  return platform::OwnedFile();
}

// The number in 1 to 8 lowercase hex digits at the start of `text`, which is
// moved past it.
std::optional<DWORD> TakeHex(std::wstring_view& text) {
  std::size_t digits = 0;
  DWORD number = 0;
  while (digits < text.size() && digits < 8) {
    const wchar_t c = text[digits];
    if (c >= L'0' && c <= L'9') {
      number = number * 16 + static_cast<DWORD>(c - L'0');
    } else if (c >= L'a' && c <= L'f') {
      number = number * 16 + static_cast<DWORD>(c - L'a' + 10);
    } else {
      break;
    }
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  text.remove_prefix(digits);
  return number;
}

// The process id in `name` when it is one of CreateTempBeside's names for
// `file_name`: "<file_name>.<pid>-<tick>-<attempt>.tmp" in lowercase hex.
std::optional<DWORD> TempFileOwner(std::wstring_view name, std::wstring_view file_name) {
  if (name.substr(0, file_name.size()) != file_name) return std::nullopt;
  name.remove_prefix(file_name.size());
  if (name.substr(0, 1) != L".") return std::nullopt;
  name.remove_prefix(1);
  const std::optional<DWORD> pid = TakeHex(name);
  if (!pid || name.substr(0, 1) != L"-") return std::nullopt;
  name.remove_prefix(1);
  if (!TakeHex(name) || name.substr(0, 1) != L"-") return std::nullopt;
  name.remove_prefix(1);
  if (!TakeHex(name) || name != L".tmp") return std::nullopt;
  return pid;
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
    const std::optional<DWORD> owner = TempFileOwner(found.cFileName, file_name);
    if (owner && !IsOtherRunningProcess(*owner)) DeleteFileW((folder + found.cFileName).c_str());
  } while (FindNextFileW(search.get(), &found));
}

// One read of the whole file; `error` tells why it failed.
std::optional<FileBytes> ReadOnce(const std::wstring& path, DWORD& error) {
  error = 0;
  const platform::OwnedFile file(CreateFileW(
      path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    error = GetLastError();
    return std::nullopt;
  }
  LARGE_INTEGER size{};
  if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.get(), &size) ||
      size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > kMaxProfileFileBytes) {
    return FileBytes{FileState::Unreadable, {}};
  }
  FileBytes result{FileState::Read, std::string(static_cast<std::size_t>(size.QuadPart), '\0')};
  std::size_t filled = 0;
  while (filled < result.bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(file.get(), result.bytes.data() + filled,
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

}  // namespace

FileBytes ReadFileBytes(const std::wstring& path) {
  std::optional<FileBytes> result;
  const DWORD error = RetryWhileLocked(
      [&] {
        DWORD read_error = 0;
        result = ReadOnce(path, read_error);
        SetLastError(read_error);  // as it was before the file was closed
        return result.has_value();
      },
      IsLockError);
  if (result) return std::move(*result);
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
  return {IsLockError(error) ? FileState::InUse : FileState::Unreadable, {}};
}

bool IsExistingFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

WriteResult ReplaceFileContents(const std::wstring& path, std::string_view bytes) {
  const DWORD old_attributes = GetFileAttributesW(path.c_str());
  if (old_attributes != INVALID_FILE_ATTRIBUTES &&
      (old_attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
    return WriteResult::NotWritable;
  }
  RemoveLeftoverTemps(path);
  std::wstring temp_path;
  platform::OwnedFile temp = CreateTempBeside(path, temp_path);
  // A folder that takes no new file (access denied, a read-only medium, a
  // place the file system keeps for itself) cannot hold the settings.
  if (!temp) return WriteResult::NotWritable;
  const bool written = WriteAll(temp.get(), bytes) && FlushFileBuffers(temp.get());
  temp.reset();
  WriteResult result = WriteResult::Failed;
  if (written) {
    // The new file keeps the old one's hidden and system marks.
    if (old_attributes != INVALID_FILE_ATTRIBUTES) {
      const DWORD kept = old_attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
      if (kept) SetFileAttributesW(temp_path.c_str(), kept);
    }
    // A file open without shared deletion cannot be replaced; the system
    // reports that as a sharing violation or as access denied.
    const DWORD error = RetryWhileLocked(
        [&] {
          return MoveFileExW(temp_path.c_str(), path.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
        },
        [](DWORD e) { return IsLockError(e) || e == ERROR_ACCESS_DENIED; });
    if (error == 0) return WriteResult::Stored;
    if (IsLockError(error) || error == ERROR_ACCESS_DENIED) result = WriteResult::InUse;
  }
  SetFileAttributesW(temp_path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(temp_path.c_str());
  return result;
}

std::string ReadProfileValue(const std::wstring& path, std::string_view section,
                             std::string_view key) {
  const FileBytes file = ReadFileBytes(path);
  if (file.state != FileState::Read) return {};
  return GetProfileValue(file.bytes, section, key, kCodePage932);
}

WriteResult WriteProfileValue(const std::wstring& path, std::string_view section,
                              std::string_view key, std::string_view value) {
  const FileBytes file = ReadFileBytes(path);
  if (file.state == FileState::InUse) return WriteResult::InUse;
  if (file.state == FileState::Unreadable) {
    // A folder of that name will never be a file; any other file that cannot
    // be read is not replaced by one that lacks its contents.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool folder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return folder ? WriteResult::NotWritable : WriteResult::Failed;
  }
  const std::optional<std::string> updated =
      SetProfileValue(file.bytes, section, key, value, kCodePage932);
  if (!updated) return WriteResult::Failed;
  if (file.state == FileState::Read && *updated == file.bytes) return WriteResult::Stored;
  return ReplaceFileContents(path, *updated);
}

}  // namespace varominea::profile
