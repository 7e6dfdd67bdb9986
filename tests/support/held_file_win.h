// A file held open the way another program holds it (an editor, a scanner, a
// sync client), let go from a thread of its own after a while.
#pragma once

#include <windows.h>

#include <string>

#include "windows/platform/handles_win.h"

namespace test {

class HeldFile {
 public:
  // Opens the existing file for reading and writing, sharing it as `share`
  // says (0: not at all), and closes it `milliseconds` later.
  HeldFile(const std::wstring& path, DWORD share, DWORD milliseconds);
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  // Waits until the file has been let go.
  ~HeldFile();

  bool held() const { return held_; }

 private:
  static DWORD WINAPI Release(void* self);
  platform::OwnedFile file_;
  DWORD milliseconds_;
  bool held_;
  platform::OwnedKernelObject thread_;
};

}  // namespace test
