#include "tests/support/link_handler_win.h"

namespace test {
namespace {

constexpr wchar_t kKey[] = L"https\\shell\\open\\command";

bool SetCommand(const std::wstring& command) {
  const auto bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
  return RegSetKeyValueW(HKEY_CLASSES_ROOT, kKey, nullptr, REG_SZ, command.c_str(), bytes) ==
         ERROR_SUCCESS;
}

}  // namespace

HttpsHandler::HttpsHandler(const std::wstring& command) {
  wchar_t old[1024] = {};
  DWORD size = sizeof old;
  if (RegGetValueW(HKEY_CLASSES_ROOT, kKey, nullptr, RRF_RT_REG_SZ, nullptr, old, &size) ==
      ERROR_SUCCESS) {
    old_ = old;
  }
  ok_ = SetCommand(command);
}

HttpsHandler::~HttpsHandler() {
  if (!old_ || !SetCommand(*old_)) RegDeleteKeyValueW(HKEY_CLASSES_ROOT, kKey, nullptr);
}

}  // namespace test
