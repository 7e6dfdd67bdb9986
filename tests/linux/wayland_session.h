// A headless compositor of the test's own (sway, or weston for a desktop
// without the layer shell), run as an unprivileged user (sway
// refuses root) in a private folder, and the clients the tests run on it:
// the saver, grim to read an output's picture back, wtype for a key,
// swaymsg to add outputs.
#pragma once

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>
#include "core/placement.h"

#include "tests/support/cells.h"
#include "tests/support/child_process.h"
#include "tests/support/ppm.h"
#include "tests/support/wait.h"

namespace wltest {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using test::Process;
using test::WaitUntil;

// The user the compositor and its clients run as when the test runs as root.
constexpr uid_t kUnprivileged = 65534;

struct OutputSpec {
  const char* name;  // HEADLESS-1, HEADLESS-2, ...
  int width, height;
};

// sway offers the layer shell; weston (here with one output) only xdg-shell.
enum class Compositor { Sway, Weston };

class CompositorSession {
 public:
  explicit CompositorSession(const std::vector<OutputSpec>& outputs,
                             Compositor compositor = Compositor::Sway) {
    char pattern[] = "/tmp/varominea-sway-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    dir_ = pattern;
    fs::create_directory(dir_ / "xdg");
    std::ofstream config(dir_ / "config");
    config << "xwayland disable\n";
    int x = 0;
    for (const auto& o : outputs) {
      config << "output " << o.name << " resolution " << o.width << "x" << o.height << " position "
             << x << " 0\n";
      x += o.width;
    }
    config.close();
    // The program runs from the session's folder, which the unprivileged
    // user can reach wherever the build tree lies.
    fs::copy_file(VAROMINEA_SAVER, dir_ / "varominea");
    fs::copy_file(VAROMINEA_POINTER_TOOL, dir_ / "wayland_pointer");
    chmod(dir_.c_str(), 0755);
    chmod((dir_ / "xdg").c_str(), 0700);
    if (getuid() == 0) {
      for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
        if (chown(entry.path().c_str(), kUnprivileged, kUnprivileged) != 0) return;
      }
      if (chown(dir_.c_str(), kUnprivileged, kUnprivileged) != 0) return;
    }
    if (compositor == Compositor::Weston) {
      const OutputSpec& o = outputs.at(0);
      compositor_.emplace(
          Command({"/usr/bin/weston", "--backend=headless-backend.so", "--use-pixman",
                   "--width=" + std::to_string(o.width), "--height=" + std::to_string(o.height),
                   "--socket=wayland-1", "--idle-time=0"}));
    } else {
      compositor_.emplace(Command(
          {"/usr/bin/sway", "-c", (dir_ / "config").string()},
          {"WLR_BACKENDS=headless", "WLR_HEADLESS_OUTPUTS=" + std::to_string(outputs.size()),
           "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"}));
    }
    WaitUntil(
        [&] {
          for (const auto& entry : fs::directory_iterator(dir_ / "xdg")) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("wayland-") && !name.ends_with(".lock")) socket_ = name;
          }
          return !socket_.empty();
        },
        10s);
    // Outputs are configured once sway answers on its IPC socket (at the
    // path SWAYSOCK gives both sway and swaymsg).
    if (compositor == Compositor::Weston) {
      ready_ = !socket_.empty();
      return;
    }
    ready_ = !socket_.empty() && WaitUntil(
                                     [&] {
                                       return Swaymsg({"-t", "get_outputs"}) == 0;
                                     },
                                     10s);
  }
  CompositorSession(const CompositorSession&) = delete;
  CompositorSession& operator=(const CompositorSession&) = delete;
  ~CompositorSession() {
    compositor_.reset();  // killed if still running
    if (!dir_.empty()) {
      std::error_code ignored;
      fs::remove_all(dir_, ignored);
    }
  }

  bool ready() const { return ready_; }
  std::string Log() const { return compositor_ ? compositor_->ErrorOutput() : ""; }

  // A program run as the compositor's user, as one of its clients.
  std::vector<std::string> Command(std::vector<std::string> args,
                                   const std::vector<std::string>& env = {}) const {
    std::vector<std::string> prefix;
    if (getuid() == 0) {
      const std::string id = std::to_string(kUnprivileged);
      prefix = {"/usr/bin/setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups"};
    }
    prefix.insert(
        prefix.end(),
        {"/usr/bin/env", "-u", "DISPLAY", "-u", "XSCREENSAVER_WINDOW", "HOME=" + dir_.string(),
         "XDG_RUNTIME_DIR=" + (dir_ / "xdg").string(), "WAYLAND_DISPLAY=" + socket_,
         "SWAYSOCK=" + (dir_ / "xdg" / "sway-ipc.sock").string()});
    prefix.insert(prefix.end(), env.begin(), env.end());
    prefix.insert(prefix.end(), args.begin(), args.end());
    return prefix;
  }

  Process StartSaver(const std::vector<std::string>& args) const {
    std::vector<std::string> command{(dir_ / "varominea").string()};
    command.insert(command.end(), args.begin(), args.end());
    return Process(Command(command));
  }

  // Runs a client to its end; its exit status, -1 when it did not end.
  int Run(const std::vector<std::string>& args) const {
    Process client(Command(args));
    return client.WaitExit(20s).value_or(-1);
  }
  int Swaymsg(const std::vector<std::string>& args) const {
    std::vector<std::string> command{"/usr/bin/swaymsg", "--quiet"};
    command.insert(command.end(), args.begin(), args.end());
    return Run(command);
  }

  // Drives a virtual pointer (see wayland_pointer.cpp) over an area of
  // width x height, all outputs side by side; its exit status.
  int Pointer(int width, int height, const std::vector<std::string>& steps) const {
    return Run(PointerCommand(width, height, steps));
  }
  // The same pointer left running, for steps that `hold` it.
  Process StartPointer(int width, int height, const std::vector<std::string>& steps) const {
    return Process(Command(PointerCommand(width, height, steps)));
  }

  // One output's picture as the compositor shows it.
  std::optional<test::PpmPicture> Screenshot(const std::string& output) const {
    const fs::path file = dir_ / ("shot-" + output + ".ppm");
    if (Run({"/usr/bin/grim", "-t", "ppm", "-o", output, file.string()}) != 0) return std::nullopt;
    test::PpmPicture picture(file);
    fs::remove(file);
    if (!picture.valid()) return std::nullopt;
    return picture;
  }

  // The compositor stopped (SIGSTOP) for as long as this lives, so that it
  // answers no client; it goes on where it stopped afterwards.
  class Paused {
   public:
    explicit Paused(const CompositorSession& session) : session_(session) {
      session_.compositor_->Signal(SIGSTOP);
    }
    Paused(const Paused&) = delete;
    Paused& operator=(const Paused&) = delete;
    ~Paused() { session_.compositor_->Signal(SIGCONT); }

   private:
    const CompositorSession& session_;
  };

  // Ends the compositor, as a session that goes away does.
  void Stop() {
    if (compositor_) {
      compositor_->Signal(SIGTERM);
      compositor_->WaitExit(10s);
    }
  }

 private:
  std::vector<std::string> PointerCommand(int width, int height,
                                          const std::vector<std::string>& steps) const {
    std::vector<std::string> command{(dir_ / "wayland_pointer").string(), std::to_string(width),
                                     std::to_string(height)};
    command.insert(command.end(), steps.begin(), steps.end());
    return command;
  }

  fs::path dir_;
  std::string socket_;
  std::optional<Process> compositor_;
  bool ready_ = false;
};

}  // namespace wltest
