// The real XScreenSaver daemon running the X11 saver from its list of
// programs, on a virtual display (run through tools/wine-run.sh --native).
#include <gtest/gtest.h>

#include "tests/support/x11_probe.h"

namespace {

using namespace x11test;

// A home folder that an unprivileged user owns, removed afterwards.
class HostHome {
 public:
  HostHome(uid_t uid, gid_t gid) {
    char name[] = "/tmp/varominea-host-XXXXXX";
    if (mkdtemp(name) == nullptr) return;
    path_ = name;
    if (chown(name, uid, gid) != 0) path_.clear();
  }
  HostHome(const HostHome&) = delete;
  HostHome& operator=(const HostHome&) = delete;
  ~HostHome() {
    if (!path_.empty()) fs::remove_all(path_);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

TEST(XScreenSaverHostTest, ActivatedHostShowsTheSaverAndDeactivationEndsIt) {
  if (TheDisplay() == nullptr) GTEST_FAIL() << "no X display (run through wine-run.sh --native)";
  const passwd* const nobody = getpwnam("nobody");
  for (const char* tool : {"/usr/bin/xscreensaver", "/usr/bin/xscreensaver-command",
                           "/usr/bin/setpriv", "/usr/bin/pgrep"}) {
    if (access(tool, X_OK) != 0) GTEST_SKIP() << tool << " is not installed";
  }
  if (nobody == nullptr) GTEST_SKIP() << "there is no user 'nobody' to run the host as";
  // The daemon refuses to run programs as root; as root, it runs as nobody.
  const bool as_root = geteuid() == 0;
  HostHome home(as_root ? nobody->pw_uid : geteuid(), as_root ? nobody->pw_gid : getegid());
  ASSERT_FALSE(home.path().empty());
  const fs::path config = home.path() / ".xscreensaver";
  {
    std::ofstream out(config);
    out << "mode: one\nselected: 0\nlock: False\nsplash: False\nfade: False\nunfade: False\n"
        << "timeout: 0:30:00\ncycle: 0:00:00\n"
        << "programs: " << VAROMINEA_X11_SAVER << " --root --size 800x600 \\n\\\n";
  }
  if (as_root) {
    ASSERT_EQ(chown(config.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  }
  const std::vector<std::string> env = {"HOME=" + home.path().string()};
  const auto as_host = [&](std::vector<std::string> command) {
    if (as_root) {
      command.insert(command.begin(),
                     {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
    }
    return command;
  };

  Process daemon(as_host({"/usr/bin/xscreensaver", "-no-splash"}), env);
  ASSERT_TRUE(daemon.started());
  // The daemon answers commands once it is up.
  ASSERT_TRUE(WaitUntil(
      [&] {
        Process version(as_host({"/usr/bin/xscreensaver-command", "-version"}), env);
        return version.WaitExit(5s) == 0;
      },
      15s))
      << daemon.ErrorOutput();
  Process activate(as_host({"/usr/bin/xscreensaver-command", "-activate"}), env);
  ASSERT_EQ(activate.WaitExit(10s), 0);

  // The host's window covers the screen; the saver draws 800 x 600 in its middle.
  Display* const d = TheDisplay();
  const int width = DisplayWidth(d, DefaultScreen(d)), height = DisplayHeight(d, DefaultScreen(d));
  const Rect area{(width - 800) / 2, (height - 600) / 2, 800, 600};
  const auto saver_running = [] {
    Process pgrep({"/usr/bin/pgrep", "-f", std::string(VAROMINEA_X11_SAVER) + " --root"});
    return pgrep.WaitExit(5s) == 0;
  };
  ASSERT_TRUE(WaitUntil(saver_running, 10s)) << daemon.ErrorOutput();
  const auto samples = SampleCells(
      area, width, height, [](int, int) { return true; }, SquareStart);
  ASSERT_TRUE(WaitUntil(
      [&] {
        const Picture shot(DefaultRootWindow(d), width, height);
        return shot.valid() && ConsistentFrames(samples, shot).any();
      },
      10s))
      << "the screen does not show one frame of the squares";
  const Picture shot(DefaultRootWindow(d), width, height);
  EXPECT_EQ(NonBlack(shot, area, {}, {}, false), 0) << "margin around the drawing area";

  const auto deactivated = Clock::now();
  Process deactivate(as_host({"/usr/bin/xscreensaver-command", "-deactivate"}), env);
  ASSERT_EQ(deactivate.WaitExit(10s), 0);
  EXPECT_TRUE(WaitUntil([&] { return !saver_running(); }, 2s));
  EXPECT_LT(Clock::now() - deactivated, 2500ms);

  Process exit_host(as_host({"/usr/bin/xscreensaver-command", "-exit"}), env);
  exit_host.WaitExit(10s);
  daemon.WaitExit(5s);
}

}  // namespace
