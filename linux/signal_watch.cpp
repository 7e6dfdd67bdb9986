#include "linux/signal_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace varominea::linux_saver {
namespace {

using Clock = std::chrono::steady_clock;

// Ends the process at once. Nothing more goes to the server on the way out:
// it may be grabbed, stopped or never answering, and a request would wait on
// it. The server frees what this client made when the connection closes.
[[noreturn]] void EndAtOnce(int status) {
  _exit(status);
}

}  // namespace

SignalWatch::SignalWatch(int signal_fd, std::optional<AnswerLimit> limit) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return;
  quit_read_ = FileDescriptor(ends[0]);
  quit_write_ = FileDescriptor(ends[1]);
  std::optional<Clock::time_point> until;
  if (limit) until = Clock::now() + limit->limit;
  thread_ = std::thread([signal_fd, quit = quit_read_.get(), limit, until]() mutable {
    pollfd fds[2] = {{signal_fd, POLLIN, 0}, {quit, POLLIN, 0}};
    for (;;) {
      int timeout_ms = -1;
      if (until) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now());
        timeout_ms = static_cast<int>(std::clamp<long long>(left.count(), 0, 60'000));
      }
      const int ready = poll(fds, 2, timeout_ms);
      if (ready < 0) continue;
      if ((fds[0].revents & POLLIN) != 0) EndAtOnce(0);
      if (ready == 0 && until && Clock::now() >= *until) {
        std::fputs(limit->message, stderr);
        EndAtOnce(1);
      }
      if (fds[1].revents != 0) {
        // A byte: the server answered. The end of the pipe: the watch ends.
        char answered = 0;
        if (read(quit, &answered, 1) != 1) return;
        until.reset();
      }
    }
  });
}

SignalWatch::~SignalWatch() {
  // Closing the write end wakes the thread; the read end goes after it.
  quit_write_.Close();
  if (thread_.joinable()) thread_.join();
}

void SignalWatch::Answered() {
  const char answered = 1;
  [[maybe_unused]] const ssize_t written = write(quit_write_.get(), &answered, 1);
}

}  // namespace varominea::linux_saver
