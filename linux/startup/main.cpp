// The Linux saver's entry point: reads the options, turns SIGTERM and SIGINT
// into something the frame loops can wait on, and runs the X11 or the
// Wayland front end.
#include <signal.h>
#include <sys/signalfd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "linux/file_descriptor.h"
#include "linux/front_end.h"
#include "linux/options.h"
#include "linux/wayland/saver_wayland.h"
#include "linux/x11/saver_x11.h"

int main(int argc, char** argv) {
  using namespace varominea::linux_saver;
  const std::string_view program = argc > 0 ? argv[0] : "varominea";
  std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const auto parsed = ParseOptions(args, std::getenv("XSCREENSAVER_WINDOW"));
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    std::fprintf(stderr, "varominea: %s\n%s", error->message.c_str(), UsageText(program).c_str());
    return 2;
  }
  const Options& options = std::get<Options>(parsed);
  if (options.action == Action::Help) {
    std::fputs(UsageText(program).c_str(), stdout);
    return 0;
  }
  if (options.action == Action::Version) {
    std::printf("varominea %s\n", VAROMINEA_VERSION_TEXT);
    return 0;
  }

  // The signals are only ever read from the descriptor: no handler runs.
  sigset_t stop{};
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  if (sigprocmask(SIG_BLOCK, &stop, nullptr) != 0) return 1;
  const FileDescriptor signals(signalfd(-1, &stop, SFD_CLOEXEC | SFD_NONBLOCK));
  if (!signals) {
    std::perror("varominea: signalfd");
    return 1;
  }
  if (ChooseFrontEnd(options, std::getenv("WAYLAND_DISPLAY")) == FrontEnd::Wayland) {
    return varominea::wayland::RunSaver(options, signals.get());
  }
  return varominea::x11::RunSaver(options, signals.get());
}
