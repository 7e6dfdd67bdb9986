#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string_view>

#include "tests/support/wait.h"

extern char** environ;

namespace test {
namespace {

namespace fs = std::filesystem;

// Names each captured standard error apart within this test program.
int captured = 0;

}  // namespace

Process::Process(const std::vector<std::string>& args, const std::vector<std::string>& extra_env,
                 bool capture_stderr) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> env_text(extra_env);
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry(*e);
    bool replaced = false;
    for (const auto& extra : extra_env) {
      replaced |= entry.substr(0, entry.find('=') + 1) == extra.substr(0, extra.find('=') + 1);
    }
    if (!replaced) env_text.emplace_back(entry);
  }
  std::vector<char*> envp;
  for (auto& e : env_text) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (capture_stderr) {
    stderr_path_ = fs::temp_directory_path() / ("varominea-stderr-" + std::to_string(getpid()) +
                                                "-" + std::to_string(++captured));
    posix_spawn_file_actions_addopen(&actions, 2, stderr_path_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = 0;
  posix_spawn_file_actions_destroy(&actions);
}

Process::~Process() {
  if (pid_ != 0 && !status_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (!stderr_path_.empty()) fs::remove(stderr_path_);
}

void Process::Signal(int signal) const {
  kill(pid_, signal);
}

std::optional<int> Process::WaitExit(std::chrono::milliseconds limit) {
  WaitUntil([&] { return !running(); }, limit);
  return status_;
}

bool Process::running() {
  int status = 0;
  if (!status_ && waitpid(pid_, &status, WNOHANG) == pid_) {
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return !status_;
}

std::string Process::ErrorOutput() const {
  std::ifstream in(stderr_path_);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace test
