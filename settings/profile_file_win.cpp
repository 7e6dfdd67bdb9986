#include "settings/profile_file_win.h"

#include <windows.h>

#include "platform/handles_win.h"
#include "settings/profile.h"

namespace platform {
namespace {

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

// A new, empty file beside `path` that no one else uses; its name is
// returned in `temp_path`.
OwnedFile CreateTempBeside(const std::wstring& path, std::wstring& temp_path) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 16; ++attempt) {
    wchar_t suffix[64];
    wsprintfW(suffix, L".%lx-%lx-%x.tmp", GetCurrentProcessId(), GetTickCount(), ++counter);
    temp_path = path + suffix;
    OwnedFile file(CreateFileW(temp_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return file;
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  temp_path.clear();
  return OwnedFile();
}

}  // namespace

FileBytes ReadFileBytes(const std::wstring& path) {
  OwnedFile file(CreateFileW(path.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return {missing ? FileState::Missing : FileState::Unreadable, {}};
  }
  LARGE_INTEGER size{};
  if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.get(), &size) ||
      size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > kMaxProfileFileBytes) {
    return {FileState::Unreadable, {}};
  }
  FileBytes result{FileState::Read, std::string(static_cast<std::size_t>(size.QuadPart), '\0')};
  std::size_t filled = 0;
  while (filled < result.bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(file.get(), result.bytes.data() + filled,
                  static_cast<DWORD>(result.bytes.size() - filled), &got, nullptr)) {
      return {FileState::Unreadable, {}};
    }
    if (got == 0) break;  // the file became shorter while it was read
    filled += got;
  }
  result.bytes.resize(filled);
  return result;
}

bool IsExistingFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReplaceFileContents(const std::wstring& path, std::string_view bytes) {
  const DWORD old_attributes = GetFileAttributesW(path.c_str());
  if (old_attributes != INVALID_FILE_ATTRIBUTES &&
      (old_attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
    return false;
  }
  std::wstring temp_path;
  OwnedFile temp = CreateTempBeside(path, temp_path);
  if (!temp) return false;
  const bool written = WriteAll(temp.get(), bytes) && FlushFileBuffers(temp.get());
  temp.reset();
  if (written) {
    // The new file keeps the old one's hidden and system marks.
    if (old_attributes != INVALID_FILE_ATTRIBUTES) {
      const DWORD kept = old_attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
      if (kept) SetFileAttributesW(temp_path.c_str(), kept);
    }
    if (MoveFileExW(temp_path.c_str(), path.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
  }
  SetFileAttributesW(temp_path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(temp_path.c_str());
  return false;
}

std::string ReadProfileValue(const std::wstring& path, std::string_view section,
                             std::string_view key) {
  const FileBytes file = ReadFileBytes(path);
  if (file.state != FileState::Read) return {};
  return GetProfileValue(file.bytes, section, key);
}

bool WriteProfileValue(const std::wstring& path, std::string_view section, std::string_view key,
                       std::string_view value) {
  const FileBytes file = ReadFileBytes(path);
  if (file.state == FileState::Unreadable) return false;
  const std::optional<std::string> updated = SetProfileValue(file.bytes, section, key, value);
  if (!updated) return false;
  if (file.state == FileState::Read && *updated == file.bytes) return true;
  return ReplaceFileContents(path, *updated);
}

}  // namespace platform
