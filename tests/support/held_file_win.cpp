#include "tests/support/held_file_win.h"

namespace test {

HeldFile::HeldFile(const std::wstring& path, DWORD share, DWORD milliseconds)
    : file_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr)),
      milliseconds_(milliseconds),
      held_(static_cast<bool>(file_)) {
  thread_.reset(CreateThread(nullptr, 0, &Release, this, 0, nullptr));
}

HeldFile::~HeldFile() {
  WaitForSingleObject(thread_.get(), INFINITE);
}

DWORD WINAPI HeldFile::Release(void* self) {
  auto* held = static_cast<HeldFile*>(self);
  Sleep(held->milliseconds_);
  held->file_.reset();
  return 0;
}

}  // namespace test
