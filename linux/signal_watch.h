// SIGTERM and SIGINT watched beside the saver's own thread, which may be
// blocked for as long as its server does not answer (an X server grabbed or
// stopped, a compositor stopped or a socket that never answers): either ends
// the process at once with status 0, wherever the saver is waiting.
#pragma once

#include <chrono>
#include <optional>
#include <thread>

#include "linux/file_descriptor.h"

namespace varominea::linux_saver {

// How long the saver waits for its server's first answers before it gives
// up, and what it says then.
struct AnswerLimit {
  std::chrono::milliseconds limit;
  const char* message;  // one line, for standard error
};

class SignalWatch {
 public:
  // Watches `signal_fd` (a signalfd for SIGTERM and SIGINT). With a limit,
  // the process also ends, with status 1 and the limit's message, unless
  // Answered() is called within it.
  explicit SignalWatch(int signal_fd, std::optional<AnswerLimit> limit = std::nullopt);
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;
  ~SignalWatch();

  bool watching() const { return thread_.joinable(); }
  // The server has answered: the limit no longer applies.
  void Answered();

 private:
  FileDescriptor quit_read_;
  FileDescriptor quit_write_;
  std::thread thread_;
};

}  // namespace varominea::linux_saver
