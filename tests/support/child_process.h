// A program the test starts as a child process (the Linux saver, a host, a
// compositor's client), killed if still running when the owner goes. Its
// standard error goes to a file the test can read.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace test {

class Process {
 public:
  // `extra_env` entries ("NAME=value") replace or add to this process's
  // environment.
  explicit Process(const std::vector<std::string>& args,
                   const std::vector<std::string>& extra_env = {}, bool capture_stderr = true);
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  bool started() const { return pid_ != 0; }
  pid_t pid() const { return pid_; }
  void Signal(int signal) const;

  // The exit status once it has ended within `limit`; -1 after a signal.
  std::optional<int> WaitExit(std::chrono::milliseconds limit);
  bool running();
  std::string ErrorOutput() const;

 private:
  pid_t pid_ = 0;
  std::optional<int> status_;
  std::filesystem::path stderr_path_;
};

}  // namespace test
