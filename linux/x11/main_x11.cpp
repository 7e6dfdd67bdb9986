// The X11 saver's entry point: reads the options, turns SIGTERM and SIGINT
// into something the frame loop can wait on, and runs the saver.
#include <signal.h>
#include <sys/signalfd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "linux/options.h"
#include "linux/x11/saver_x11.h"
#include "linux/x11/x11_owners.h"

int main(int argc, char** argv) {
  using namespace varominea::x11;
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
  if (signals.get() < 0) {
    std::perror("varominea: signalfd");
    return 1;
  }
  return RunSaver(options, signals.get());
}
