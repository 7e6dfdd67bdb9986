// What the saver does with X errors. Xlib's default handler ends the
// process on any error; here an error is either expected and passed over,
// or reported once for each kind of request that caused it (a fault that
// recurs every frame would otherwise flood the log).
//
// Expected for the whole run: the window gone (BadWindow, BadDrawable, and
// whatever a caller adds, such as RENDER's BadPicture for the window's
// picture). A host may destroy the window at any moment, so requests on it
// can fail between two checks; the loop notices a vanished window by its
// own checks and ends quietly. Other errors are expected only around the
// requests that may fail, inside an ErrorTrap.
#pragma once

#include <X11/Xlib.h>

#include <initializer_list>

namespace varominea::x11 {

// Installs the handler for `display` (once; the functions below do too).
void WatchErrors(Display* display);

// Passes over `error_code` for the rest of the connection's life.
void IgnoreErrorAlways(Display* display, int error_code);

// For as long as this lives, errors of the given codes are passed over and
// counted; the requests made before it are flushed out first, and the ones
// made under it are waited for before it reports. Not nested.
class ErrorTrap {
 public:
  ErrorTrap(Display* display, std::initializer_list<int> codes);
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;
  ~ErrorTrap();

  // Whether any of the trapped errors came back so far (waits for them).
  bool Caught();

 private:
  Display* display_;
};

}  // namespace varominea::x11
