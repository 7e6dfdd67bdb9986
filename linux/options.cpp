#include "linux/options.h"

#include <charconv>
#include <initializer_list>
#include <utility>

namespace varominea::linux_saver {
namespace {

constexpr unsigned long kMaxResourceId = 0x1FFFFFFF;

// Whole text as an unsigned number in `base`, or nothing.
std::optional<unsigned long> WholeNumber(std::string_view text, int base) {
  unsigned long value = 0;
  if (text.empty()) return std::nullopt;
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (error != std::errc{} || stop != end) return std::nullopt;
  return value;
}

std::optional<long> ParseDelay(std::string_view text) {
  const auto value = WholeNumber(text, 10);
  if (!value || *value > static_cast<unsigned long>(kMaxDelayUs)) return std::nullopt;
  return static_cast<long>(*value);
}

// The setting a word names among `choices`, or nothing.
std::optional<std::int16_t> Choose(
    std::string_view word,
    std::initializer_list<std::pair<std::string_view, std::int16_t>> choices) {
  for (const auto& [name, setting] : choices) {
    if (word == name) return setting;
  }
  return std::nullopt;
}

}  // namespace

std::optional<unsigned long> ParseWindowId(std::string_view text) {
  std::optional<unsigned long> id;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    id = WholeNumber(text.substr(2), 16);
  } else {
    id = WholeNumber(text, 10);
  }
  if (!id || *id == 0 || *id > kMaxResourceId) return std::nullopt;
  return id;
}

std::variant<Options, UsageError> ParseOptions(std::span<const std::string_view> args,
                                               const char* host_window) {
  Options options;
  bool explicit_window = false;
  bool explicit_id = false;
  bool root = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    const std::string_view original = arg;
    if (arg.starts_with("--")) {
      arg.remove_prefix(2);
    } else if (arg.starts_with("-") && arg.size() > 1) {
      arg.remove_prefix(1);
    } else {
      return UsageError{"unexpected argument '" + std::string(original) + "'"};
    }
    std::optional<std::string_view> inline_value;
    if (const auto equals = arg.find('='); equals != std::string_view::npos) {
      inline_value = arg.substr(equals + 1);
      arg = arg.substr(0, equals);
    }
    const auto value = [&]() -> std::optional<std::string_view> {
      if (inline_value) return inline_value;
      if (i + 1 < args.size()) return args[++i];
      return std::nullopt;
    };
    const auto bad_value = [&](std::string_view shown) {
      return UsageError{"bad value '" + std::string(shown) + "' for --" + std::string(arg)};
    };
    const auto flag = [&]() { return !inline_value; };

    if (arg == "window-id") {
      const auto text = value();
      if (!text) return UsageError{"--window-id needs a window id"};
      const auto id = ParseWindowId(*text);
      if (!id) return bad_value(*text);
      options.window_id = *id;
      explicit_id = true;
    } else if (arg == "root" && flag()) {
      root = true;
    } else if (arg == "window" && flag()) {
      explicit_window = true;
    } else if (arg == "pattern") {
      const auto text = value();
      if (!text) return UsageError{"--pattern needs square or ring"};
      const auto pattern = Choose(*text, {{"square", 0}, {"ring", 1}});
      if (!pattern) return bad_value(*text);
      options.proc_pattern = *pattern;
    } else if (arg == "size") {
      const auto text = value();
      if (!text) return UsageError{"--size needs full, 800x600 or 640x480"};
      const auto size = Choose(*text, {{"full", 0}, {"800x600", 1}, {"640x480", 2}});
      if (!size) return bad_value(*text);
      options.image_size = *size;
    } else if (arg == "delay") {
      const auto text = value();
      if (!text) return UsageError{"--delay needs a number of microseconds"};
      const auto delay = ParseDelay(*text);
      if (!delay) return bad_value(*text);
      options.delay_us = *delay;
    } else if (arg == "wayland" && flag()) {
      options.wayland = true;
    } else if (arg == "fps" && flag()) {
      options.fps = true;
    } else if ((arg == "help" || arg == "h") && flag()) {
      options.action = Action::Help;
    } else if (arg == "version" && flag()) {
      options.action = Action::Version;
    } else {
      return UsageError{"unknown option '" + std::string(original) + "'"};
    }
  }
  if (options.action != Action::Run) return options;
  if (options.wayland) {
    if (explicit_id || explicit_window || root) {
      return UsageError{"--wayland draws on every output; it takes no X11 window"};
    }
    return options;
  }
  options.x11_target_named =
      explicit_id || explicit_window || root || (host_window != nullptr && *host_window != '\0');

  // An explicit window id wins; then an explicit own window; then the host's
  // window; then the root window; otherwise a window of its own.
  if (explicit_id) {
    options.target = Target::Given;
  } else if (explicit_window) {
    options.target = Target::OwnWindow;
  } else if (host_window != nullptr && *host_window != '\0') {
    const auto id = ParseWindowId(host_window);
    if (!id) {
      return UsageError{"bad window id '" + std::string(host_window) + "' in XSCREENSAVER_WINDOW"};
    }
    options.target = Target::Given;
    options.window_id = *id;
  } else if (root) {
    options.target = Target::Root;
  } else {
    options.target = Target::OwnWindow;
  }
  return options;
}

std::string UsageText(std::string_view program) {
  std::string text = "usage: " + std::string(program) + " [options]\n";
  text +=
      "  --window            draw in an X11 window of its own (the default without Wayland)\n"
      "  --root              draw on the root window, or in XSCREENSAVER_WINDOW when set\n"
      "  --window-id ID      draw in the window ID (decimal or 0x-hex)\n"
      "  --wayland           cover every output of the Wayland compositor (the default\n"
      "                      when WAYLAND_DISPLAY is set and no X11 window is named)\n"
      "  --pattern square|ring   nested squares (default) or rings\n"
      "  --size full|800x600|640x480   drawing area, centred (default full)\n"
      "  --delay MICROSECONDS    pause after each frame (default 10000; 0 = none)\n"
      "  --fps               frames per second on standard error\n"
      "  --help, --version\n";
  return text;
}

}  // namespace varominea::linux_saver
