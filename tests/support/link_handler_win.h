// The command that opens https addresses, replaced while the object lives
// (Wine's shell reads the machine's classes only).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace test {

// A command that nothing can run: opening an address fails.
inline constexpr wchar_t kFailingLinkCommand[] =
    L"\"C:\\no such folder\\no such program.exe\" \"%1\"";

class HttpsHandler {
 public:
  explicit HttpsHandler(const std::wstring& command);
  HttpsHandler(const HttpsHandler&) = delete;
  HttpsHandler& operator=(const HttpsHandler&) = delete;
  ~HttpsHandler();
  bool ok() const { return ok_; }  // whether the command was put in place

 private:
  std::optional<std::wstring> old_;
  bool ok_ = false;
};

}  // namespace test
