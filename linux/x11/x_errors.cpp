#include "linux/x11/x_errors.h"

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

namespace varominea::x11 {
namespace {

// The connection's error record, kept with the Display itself in the list
// of data Xlib holds for extensions, under a number of this program's own
// (Xlib's extensions number theirs from 0 up). Xlib frees it with the
// connection, after the last request's errors have been handled.
constexpr int kErrorRecordNumber = -0x5661;

struct ErrorRecord {
  std::vector<int> ignored{BadWindow, BadDrawable};
  std::vector<int> trapped;
  int caught = 0;
  std::bitset<256 * 256> reported;
};

XExtData** ExtensionDataOf(Display* display) {
  XEDataObject object{};
  object.display = display;
  return XEHeadOfExtensionList(object);
}

ErrorRecord* FindRecord(Display* display) {
  XExtData* const data = XFindOnExtensionList(ExtensionDataOf(display), kErrorRecordNumber);
  return data == nullptr ? nullptr : reinterpret_cast<ErrorRecord*>(data->private_data);
}

int FreeRecord(XExtData* data) {
  delete reinterpret_cast<ErrorRecord*>(data->private_data);
  data->private_data = nullptr;
  return 0;
}

int HandleError(Display* display, XErrorEvent* error) {
  ErrorRecord* const record = FindRecord(display);
  if (record == nullptr) return 0;
  const int code = error->error_code;
  const auto has = [code](const std::vector<int>& codes) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
  };
  if (has(record->trapped)) {
    ++record->caught;
    return 0;
  }
  if (has(record->ignored)) return 0;
  const std::size_t kind = std::size_t{error->error_code} * 256 + error->request_code;
  if (record->reported.test(kind)) return 0;
  record->reported.set(kind);
  char text[128] = {};
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "varominea: X error ignored: %s (request %d; reported once)\n", text,
               error->request_code);
  return 0;
}

ErrorRecord& RecordOf(Display* display) {
  if (ErrorRecord* const found = FindRecord(display)) return *found;
  // Xlib frees the entry itself with free().
  auto* const data = static_cast<XExtData*>(std::calloc(1, sizeof(XExtData)));
  if (data == nullptr) throw std::bad_alloc();
  auto* const record = new ErrorRecord;
  data->number = kErrorRecordNumber;
  data->private_data = reinterpret_cast<XPointer>(record);
  data->free_private = FreeRecord;
  XAddToExtensionList(ExtensionDataOf(display), data);
  XSetErrorHandler(HandleError);
  return *record;
}

}  // namespace

void WatchErrors(Display* display) {
  RecordOf(display);
}

void IgnoreErrorAlways(Display* display, int error_code) {
  RecordOf(display).ignored.push_back(error_code);
}

ErrorTrap::ErrorTrap(Display* display, std::initializer_list<int> codes) : display_(display) {
  ErrorRecord& record = RecordOf(display);
  XSync(display, False);
  record.trapped.assign(codes);
  record.caught = 0;
}

ErrorTrap::~ErrorTrap() {
  XSync(display_, False);
  RecordOf(display_).trapped.clear();
}

bool ErrorTrap::Caught() {
  XSync(display_, False);
  return RecordOf(display_).caught > 0;
}

}  // namespace varominea::x11
