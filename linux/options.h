// The command line of the Linux saver, both front ends, in the form the X11
// screen-saver hosts use: where to draw (a given window, the root window, a
// window of its own, or every output of a Wayland compositor) and what to
// draw (pattern, drawing-area size, pace).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace varominea::linux_saver {

enum class Target {
  OwnWindow,  // a top-level window of its own, ended by closing it
  Root,       // the root window of the default screen
  Given,      // a window the host created (window_id)
};

enum class Action { Run, Help, Version };

struct Options {
  Action action = Action::Run;
  Target target = Target::OwnWindow;
  unsigned long window_id = 0;  // for Target::Given
  // The same values the Windows saver keeps in its settings file.
  std::int16_t image_size = 0;    // 0 = the whole window, 1 = 800 x 600, 2 = 640 x 480
  std::int16_t proc_pattern = 0;  // 0 = nested squares, 1 = rings
  long delay_us = 10000;          // pause after each frame; 0 = none
  bool fps = false;               // frames per second on standard error
  // --wayland: cover every output of the Wayland compositor instead.
  bool wayland = false;
  // Whether an X11 target was named (--root, --window, --window-id or
  // XSCREENSAVER_WINDOW): then the X11 front end runs even under
  // Wayland.
  bool x11_target_named = false;
};

struct UsageError {
  std::string message;  // one line, without the program's name
};

// The longest pause between frames that --delay accepts (ten seconds).
inline constexpr long kMaxDelayUs = 10'000'000;

// Reads the arguments after the program's name. `host_window` is the value of
// XSCREENSAVER_WINDOW (nullptr when unset): a host that sets it expects the
// saver to draw there unless --window-id or --window says otherwise.
// With --wayland, XSCREENSAVER_WINDOW is not read, and --root, --window and
// --window-id are refused. Options take one or two leading dashes; a value follows as the next
// argument or after '='.
std::variant<Options, UsageError> ParseOptions(std::span<const std::string_view> args,
                                               const char* host_window);

// A window id as hosts write it: decimal, or hexadecimal after 0x; never 0,
// never above the 29 bits X resource ids use.
std::optional<unsigned long> ParseWindowId(std::string_view text);

// The help text; `program` is the name it was started under.
std::string UsageText(std::string_view program);

}  // namespace varominea::linux_saver
