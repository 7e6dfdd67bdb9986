// The saver window of the real program: where it draws, what its pixels
// show, the input that ends it, and that it runs without growing.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <limits>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "core/placement.h"
#include "tests/support/frame_probe_win.h"
#include "tests/support/program_win.h"
#include "windows/resources/texts.h"

// after <windows.h>
#include <winternl.h>

namespace {

using namespace e2e;
using namespace test;

constexpr COLORREF kBlack = RGB(0, 0, 0);
// The desktop's colour in the several-monitor suites: no palette colour.
constexpr COLORREF kDesktop = RGB(255, 0, 255);

RECT WindowRectOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

// The saver (/s unless told) started with the settings, and its Display.
struct Saver : Started {
  Saver(const char* image_size, const char* proc_pattern, const std::wstring& arguments = L"/s")
      : Started(arguments, image_size, proc_pattern, varominea::texts::kSaverCaption),
        display(window ? GetWindow(window, GW_CHILD) : nullptr) {}
  HWND display;
};

// Waits until the visible part of Display's middle shows a frame (neither
// black nor the desktop of a window not yet drawn).
bool WaitForFrames(const Saver& saver) {
  const RECT d = WindowRectOf(saver.display);
  const int x = std::clamp<int>((d.left + d.right) / 2, 0, GetSystemMetrics(SM_CXSCREEN) - 1);
  const int y = std::clamp<int>((d.top + d.bottom) / 2, 0, GetSystemMetrics(SM_CYSCREEN) - 1);
  return WaitUntil(
      [&] {
        const COLORREF c = ScreenPixel(x, y);
        return c != kBlack && c != kDesktop;
      },
      20s);
}

// Pixels of `area` that are not black in a picture of the whole desktop.
int NonBlackIn(const ScreenShot& shot, const RECT& area) {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) count += shot.pixel(x, y) != kBlack;
  }
  return count;
}

RECT VirtualScreen() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return RECT{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
              top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// Freezes the saver between frames, up to a few times, until one still
// picture shows a single frame number on every sample, black strips and
// margins, and black over each of `others` (other monitors). The platform
// may show a frame while the next is drawn into the same surface, and right
// after the start a part of the window may not be painted yet, so one
// freeze can catch a torn or unfinished picture; the last one counts.
void ExpectOneFrameOnScreen(const Saver& saver, const std::vector<CellSample>& samples,
                            const std::vector<RECT>& others = {}) {
  const RECT display = WindowRectOf(saver.display);
  const double width = display.right - display.left, height = display.bottom - display.top;
  const auto blit =
      varominea::FrameBlitFor(static_cast<std::int16_t>(width), static_cast<std::int16_t>(height));
  ASSERT_GT(samples.size(), 100u);
  constexpr int kAttempts = 8;
  for (int attempt = 1;; ++attempt) {
    std::optional<ScreenShot> shot;
    {
      Frozen frozen(saver.scr.main_thread());
      if (others.empty()) {
        shot.emplace();
      } else {
        shot.emplace(VirtualScreen());
      }
    }
    const int left_strip = NonBlack(*shot, display, LeftStripColumns(blit), {0, height});
    const int bottom_strip = NonBlack(*shot, display, {0, width}, BottomStripRows(blit));
    const int margin = NonBlackOutside(*shot, display);
    int other = 0;
    for (const RECT& area : others) other += NonBlackIn(*shot, area);
    const bool one_frame = ConsistentFrames(samples, *shot).any();
    if (one_frame && left_strip + bottom_strip + margin + other == 0) return;
    if (attempt == kAttempts) {
      EXPECT_EQ(left_strip, 0) << "left strip";
      EXPECT_EQ(bottom_strip, 0) << "bottom strip";
      EXPECT_EQ(margin, 0) << "margin around the drawing area";
      EXPECT_EQ(other, 0) << "other monitors";
      EXPECT_TRUE(one_frame) << "no single frame number explains the " << samples.size()
                             << " sampled cells in " << attempt << " still pictures";
      return;
    }
    Sleep(37 * attempt);
  }
}

// ---------------------------------------------------------------- placement and pixels

enum class Picture { NotChecked, Squares, Rings, Black };
struct Look {
  const char* image_size;
  const char* proc_pattern;
  RECT display;
  Picture picture;
};

void ExpectLooks(std::initializer_list<Look> looks) {
  for (const Look& look : looks) {
    SCOPED_TRACE(std::string("ImageSize ") + look.image_size + ", ProcPattern " +
                 look.proc_pattern);
    Saver saver(look.image_size, look.proc_pattern);
    ASSERT_TRUE(saver.window && saver.display);
    const RECT window = WindowRectOf(saver.window);
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);
    EXPECT_GE(window.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_GE(window.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(GetWindowLongW(saver.window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_BORDER),
              0);
    // Made topmost directly after it is shown.
    EXPECT_TRUE(WaitUntil(
        [&] { return (GetWindowLongW(saver.window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, 5s));
    const RECT display = WindowRectOf(saver.display);
    EXPECT_EQ(
        std::tuple(display.left, display.top, display.right, display.bottom),
        std::tuple(look.display.left, look.display.top, look.display.right, look.display.bottom));
    EXPECT_EQ(GetWindow(saver.display, GW_HWNDNEXT), nullptr) << "Display is the only child";
    if (look.picture == Picture::Black) {
      Sleep(1000);
      EXPECT_TRUE(saver.scr.running()) << "the animation runs on without a drawing area";
      EXPECT_EQ(NonBlackOutside(ScreenShot(), RECT{}), 0);
    } else if (look.picture != Picture::NotChecked) {
      ASSERT_TRUE(WaitForFrames(saver));
      // Rings: only the cells smoothing never reaches keep their fill.
      ExpectOneFrameOnScreen(
          saver,
          look.picture == Picture::Squares
              ? SampleCells(
                    display, [](int, int) { return true; }, SquareStart)
              : SampleCells(
                    display, [](int x, int y) { return x == 1 || x == 2 || x == 255 || y == 2; },
                    RingStart));
    }
  }
}

TEST(SaverLookTest, DisplayFollowsImageSizeAndShowsOneFrame) {
  ExpectLooks({{" 0", " 0", {0, 0, 1024, 768}, Picture::Squares},
               {" 1", " 0", {112, 84, 912, 684}, Picture::Squares},
               {" 2", " 0", {192, 144, 832, 624}, Picture::NotChecked},
               {" 0", " 1", {0, 0, 1024, 768}, Picture::Rings},
               {" 3", " 0", {512, 384, 512, 384}, Picture::Black},
               {"-1", " 0", {512, 384, 512, 384}, Picture::Black}});
}

TEST(SaverLookAt640x480, LargerAreaIsCentredAndCutOff) {
  ExpectLooks({{" 1", " 0", {-80, -60, 720, 540}, Picture::Squares},
               {" 0", " 0", {0, 0, 640, 480}, Picture::NotChecked}});
}

TEST(SaverLookAt1366x768, SmallAreaIsCentredInBlackMargins) {
  ExpectLooks({{" 2", " 0", {363, 144, 1003, 624}, Picture::Squares},
               {" 0", " 0", {0, 0, 1366, 768}, Picture::NotChecked}});
}

// On a denser display the window still covers the whole screen and the
// drawing area keeps its size in physical pixels, centred.
TEST(SaverLookAt144Dpi, AreaKeepsItsPhysicalPixels) {
  ASSERT_EQ(ScreenDpi(), 144);
  ExpectLooks({{" 0", " 0", {0, 0, 1024, 768}, Picture::NotChecked},
               {" 1", " 0", {112, 84, 912, 684}, Picture::Squares}});
}

TEST(SaverLookAt192Dpi, AreaKeepsItsPhysicalPixels) {
  ASSERT_EQ(ScreenDpi(), 192);
  ExpectLooks({{" 0", " 0", {0, 0, 1024, 768}, Picture::NotChecked},
               {" 1", " 0", {112, 84, 912, 684}, Picture::NotChecked}});
}

// ---------------------------------------------------------------- input

enum Kind { Move, Key, Button };
struct Step {
  Kind kind;
  int x, y;  // a key in x, a button (1 left, 2 right, 4 middle, 8 and 16 side) in x
};
struct InputScenario {
  const wchar_t* arguments;
  const char* image_size;
  POINT from;
  std::vector<Step> steps;
};

// Each scenario starts the saver with the pointer at `from`, checks that a
// second start ends at once and that the cursor is hidden for /s only, then
// takes its steps: all but the last must leave it running, the last must end
// it within a second.
void ExpectInputScenarios(const std::vector<InputScenario>& scenarios) {
  for (const auto& scenario : scenarios) {
    SCOPED_TRACE(std::string("ImageSize") + scenario.image_size +
                 (*scenario.arguments ? ", /s, " : ", no arguments, ") + "from " +
                 std::to_string(scenario.from.x) + "," + std::to_string(scenario.from.y) +
                 ", step kind " + std::to_string(scenario.steps.back().kind) + " " +
                 std::to_string(scenario.steps.back().x));
    MoveMouseTo(scenario.from.x, scenario.from.y);
    Saver saver(scenario.image_size, " 0", scenario.arguments);
    ASSERT_TRUE(saver.window);
    ASSERT_TRUE(WaitForFrames(saver));
    ScrProcess second(saver.folder, L"/s");
    EXPECT_TRUE(second.WaitForExit(5s)) << "a second start ran beside the saver";
    CURSORINFO cursor{};
    cursor.cbSize = sizeof cursor;
    EXPECT_TRUE(GetCursorInfo(&cursor));
    EXPECT_EQ((cursor.flags & CURSOR_SHOWING) != 0, !*scenario.arguments)
        << "the cursor is hidden for /s only";
    for (const Step& step : scenario.steps) {
      ASSERT_TRUE(saver.scr.running()) << "ended before the step to " << step.x << ", " << step.y;
      if (step.kind == Move) MoveMouseTo(step.x, step.y);
      if (step.kind == Key) PressKey(static_cast<WORD>(step.x));
      if (step.kind == Button) MouseButtonDown(step.x);
      if (&step != &scenario.steps.back()) Sleep(300);
    }
    EXPECT_TRUE(saver.scr.WaitForExit(1s)) << "the last step did not end it";
    if (scenario.steps.back().kind == Button) MouseButtonUp(scenario.steps.back().x);
  }
}

TEST(SaverInputTest, KeysButtonsAndMovesEndItOnlyAsTheModeSays) {
  ExpectInputScenarios({
      {L"/s", " 0", {500, 400}, {{Key, 'A', 0}}},
      {L"/s", " 0", {500, 400}, {{Key, VK_SHIFT, 0}}},
      {L"/s", " 0", {500, 400}, {{Key, VK_ESCAPE, 0}}},
      {L"/s", " 0", {500, 400}, {{Button, 1, 0}}},
      {L"/s", " 2", {500, 400}, {{Button, 2, 0}}},  // over Display (640 x 480 at 192, 144)
      {L"/s", " 2", {20, 20}, {{Button, 1, 0}}},    // over the margin
      {L"/s", " 1", {1000, 760}, {{Button, 4, 0}}},
      {L"/s", " 0", {500, 400}, {{Button, 8, 0}}},  // the side buttons, over Display
      {L"/s", " 2", {20, 20}, {{Button, 16, 0}}},   // and over the margin
      // Margin moves, the first move over Display (only recorded), horizontal
      // and vertical moves leave it running; a move changing both ends it.
      {L"/s",
       " 2",
       {20, 20},
       {{Move, 60, 90},
        {Move, 300, 300},
        {Move, 400, 300},
        {Move, 300, 400},
        {Move, 1000, 700},
        {Move, 401, 401}}},
      // Without /s no move ends it, only keys and buttons.
      {L"",
       " 0",
       {100, 100},
       {{Move, 300, 300}, {Move, 600, 500}, {Move, 20, 700}, {Key, VK_SPACE, 0}}},
      {L"",
       " 0",
       {100, 100},
       {{Move, 300, 300}, {Move, 600, 500}, {Move, 20, 700}, {Button, 1, 0}}},
  });
}

// The window shows; its thread is stopped before the first frame is drawn
// and a key waits in its queue.
TEST(SaverInputTest, KeyPressedBeforeTheFirstFrameEndsIt) {
  bool caught_before_first_frame = false;
  for (int attempt = 0; attempt < 10 && !caught_before_first_frame; ++attempt) {
    Started s(L"/s", " 0", " 1");
    HWND window = nullptr;
    WaitUntil(
        [&] {
          window = FindWindowW(nullptr, varominea::texts::kSaverCaption);
          // Keys go to the foreground window, which the X server hands over
          // a moment after the window shows.
          return !s.scr.running() ||
                 (window && IsWindowVisible(window) && GetForegroundWindow() == window);
        },
        20s, 0ms);
    ASSERT_TRUE(window && IsWindowVisible(window) && GetForegroundWindow() == window);
    {
      Frozen frozen(s.scr.main_thread());
      caught_before_first_frame = NonBlackOutside(ScreenShot(), RECT{}) == 0;
      PressKey('K');
      Sleep(100);
    }
    EXPECT_TRUE(s.scr.WaitForExit(1s));
  }
  EXPECT_TRUE(caught_before_first_frame) << "never stopped the saver before its first frame";
}

// ---------------------------------------------------------------- pace

// The system's animation effects switched off for the programs started
// while this lives, and on again after; not written to the profile, so a
// test that dies on the way leaves the prefix as it was.
class AnimationEffectsOff {
 public:
  AnimationEffectsOff() { Set(FALSE); }
  AnimationEffectsOff(const AnimationEffectsOff&) = delete;
  AnimationEffectsOff& operator=(const AnimationEffectsOff&) = delete;
  ~AnimationEffectsOff() { Set(TRUE); }

 private:
  static void Set(BOOL on) {
    SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0,
                          reinterpret_cast<PVOID>(static_cast<INT_PTR>(on)), SPIF_SENDCHANGE);
  }
};

// With the effects off the saver takes one step per refresh of the display
// (60 Hz here), never more than 60 a second; a key still ends it at once
// while it waits between steps.
TEST(SaverPaceTest, WithAnimationEffectsOffItStepsOncePerRefresh) {
  const AnimationEffectsOff off;
  BOOL on = TRUE;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &on, 0) && !on);
  Saver saver(" 0", " 0");
  ASSERT_TRUE(saver.window);
  ASSERT_TRUE(WaitForFrames(saver));
  FrameCounter counter(WindowRectOf(saver.display));
  const auto running = [&] { return saver.scr.running(); };
  ASSERT_TRUE(counter.CountUntil(3, 5s, running));
  const long long first = counter.frames();
  const auto start = std::chrono::steady_clock::now();
  counter.CountUntil(std::numeric_limits<long long>::max(), 3s, running);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto steps = static_cast<double>(counter.frames() - first);
  std::printf("%.0f steps in %.2f s: %.1f a second\n", steps, seconds, steps / seconds);
  EXPECT_LE(steps, 60 * seconds + 2);
  EXPECT_GE(steps, 20 * seconds) << "the animation hardly runs";
  PressKey('K');
  EXPECT_TRUE(saver.scr.WaitForExit(1s)) << "a key did not end it";
}

// ---------------------------------------------------------------- several monitors

// The X server of the *OnTwoMonitors suites (tests/CMakeLists.txt starts it
// through tools/xorg-monitors.sh): an 800 x 600 primary with a 640 x 480
// monitor left of it, top edges level, so the virtual screen starts at -640.
constexpr RECT kPrimaryMonitor{0, 0, 800, 600};
constexpr RECT kLeftMonitor{-640, 0, 0, 480};

// The monitors are those the suite expects, and the desktop (the X server's
// root window) is a loud colour, so a monitor left uncovered stands out;
// `probe` lies on a monitor other than the primary. The system learns the
// new server's monitors while its desktop starts, which on a busy machine
// may end after the test has begun.
void ExpectMonitorsOnALoudDesktop(int count, RECT desk, POINT probe) {
  ASSERT_TRUE(WaitUntil([&] { return GetSystemMetrics(SM_CMONITORS) == count; }, 10s))
      << "the system sees " << GetSystemMetrics(SM_CMONITORS) << " monitors";
  const RECT seen = VirtualScreen();
  ASSERT_EQ(std::tuple(seen.left, seen.top, seen.right, seen.bottom),
            std::tuple(desk.left, desk.top, desk.right, desk.bottom));
  ASSERT_TRUE(RunOnHost("xsetroot -solid magenta"));
  ASSERT_TRUE(WaitUntil([&] { return ScreenPixel(probe.x, probe.y) == kDesktop; }, 5s));
}

void ExpectTwoMonitorsOnALoudDesktop() {
  ExpectMonitorsOnALoudDesktop(2, RECT{-640, 0, 800, 600}, POINT{-320, 240});
}

// The primary monitor shows the picture as on one screen; every pixel of
// the other monitor is black.
TEST(SaverOnTwoMonitors, EveryMonitorIsBlackAndThePrimaryShowsOneFrame) {
  ASSERT_NO_FATAL_FAILURE(ExpectTwoMonitorsOnALoudDesktop());
  for (const auto& [image_size, expected] :
       {std::pair{" 0", RECT{0, 0, 800, 600}}, {" 2", RECT{80, 60, 720, 540}}}) {
    SCOPED_TRACE(image_size);
    Saver saver(image_size, " 0");
    ASSERT_TRUE(saver.window && saver.display);
    const RECT display = WindowRectOf(saver.display);
    EXPECT_EQ(std::tuple(display.left, display.top, display.right, display.bottom),
              std::tuple(expected.left, expected.top, expected.right, expected.bottom));
    ASSERT_TRUE(WaitForFrames(saver));
    ExpectOneFrameOnScreen(saver,
                           SampleCells(
                               display, [](int, int) { return true; }, SquareStart),
                           {kLeftMonitor});
    PressKey('K');
    EXPECT_TRUE(saver.scr.WaitForExit(5s)) << "a key did not end it";
  }
}

// Keys, buttons and moves over the other monitor end the saver as they do
// over the primary one, and the cursor is hidden there too for /s.
TEST(SaverOnTwoMonitors, InputOnTheOtherMonitorActsAsOnThePrimary) {
  ASSERT_NO_FATAL_FAILURE(ExpectTwoMonitorsOnALoudDesktop());
  ExpectInputScenarios({
      {L"", " 0", {-320, 240}, {{Move, -300, 200}, {Move, -100, 400}, {Button, 1, 0}}},
      {L"", " 2", {-320, 240}, {{Move, 400, 300}, {Move, -600, 20}, {Button, 2, 0}}},
      {L"/s", " 0", {-320, 240}, {{Key, 'A', 0}}},
      {L"/s", " 0", {-320, 240}, {{Button, 4, 0}}},
      // Only x changes from where the pointer was; then both do.
      {L"/s", " 0", {-320, 240}, {{Move, -300, 240}, {Move, -200, 300}}},
  });
}

// Pixels of a rectangle of the X server's screen (its own coordinates,
// which never go negative) that are not black, or with `desktop` that show
// the desktop's loud colour, read by the X server's host: after a change of
// monitors a running Windows program may still map the virtual screen as it
// was. -1 when the picture could not be read.
int HostNonBlack(int x, int y, int width, int height, bool desktop = false) {
  const std::string file = "/tmp/varominea-e2e-shot-" + std::to_string(GetCurrentProcessId());
  if (!RunOnHost("import -window root -crop " + std::to_string(width) + "x" +
                 std::to_string(height) + "+" + std::to_string(x) + "+" + std::to_string(y) +
                 " -depth 8 rgb:" + file)) {
    return -1;
  }
  std::wstring here = L"Z:";
  for (const char c : file) here += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  const std::string rgb = ReadBytes(here).value_or("");
  DeleteFileW(here.c_str());
  if (rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
    return -1;
  }
  int count = 0;
  for (std::size_t at = 0; at < rgb.size(); at += 3) {
    const auto r = static_cast<unsigned char>(rgb[at]), g = static_cast<unsigned char>(rgb[at + 1]),
               b = static_cast<unsigned char>(rgb[at + 2]);
    count += desktop ? RGB(r, g, b) == kDesktop : r != 0 || g != 0 || b != 0;
  }
  return count;
}

// After a change of monitors, in the X server's coordinates: the primary
// shows the picture (but for its black strips) and nothing of the desktop,
// and `others` (the rest of the monitors) are black, within a few seconds.
void ExpectPictureOnlyOn(RECT primary, RECT others) {
  const auto host = [](const RECT& r, bool desktop) {
    return HostNonBlack(r.left, r.top, r.right - r.left, r.bottom - r.top, desktop);
  };
  const int area = (primary.right - primary.left) * (primary.bottom - primary.top);
  int picture = -1, desktop = -1, elsewhere = -1;
  WaitUntil(
      [&] {
        desktop = host(primary, true);
        picture = host(primary, false) - desktop;
        elsewhere = host(others, false);
        return picture > area * 9 / 10 && desktop == 0 && elsewhere == 0;
      },
      5s);
  EXPECT_GT(picture, area * 9 / 10) << "pixels of the picture on the primary";
  EXPECT_EQ(desktop, 0) << "pixels of the desktop on the primary";
  EXPECT_EQ(elsewhere, 0) << "pixels not black on the other monitors";
}

// A monitor added above the primary while the saver runs is covered too,
// and the others stay covered and showing the picture where they moved.
TEST(SaverOnTwoMonitors, AMonitorAddedWhileItRunsIsCoveredToo) {
  ASSERT_NO_FATAL_FAILURE(ExpectTwoMonitorsOnALoudDesktop());
  Saver saver(" 2", " 0");
  ASSERT_TRUE(saver.window);
  ASSERT_TRUE(WaitForFrames(saver));
  // The new monitor takes the top of the X server's screen and the two
  // others move down below it; the last full query makes the server report
  // the new output as connected.
  ASSERT_TRUE(
      RunOnHost("xrandr --newmode varominea800x480 29.38 800 840 880 960 480 485 490 510 && "
                "xrandr --addmode DUMMY2 varominea800x480 && xrandr --fb 1440x1080 "
                "--output DUMMY0 --pos 640x480 --output DUMMY1 --pos 0x480 "
                "--output DUMMY2 --mode varominea800x480 --pos 640x0 && xrandr >/dev/null"));
  ASSERT_TRUE(WaitUntil([] { return GetSystemMetrics(SM_CMONITORS) == 3; }, 10s));
  int above = -1;
  EXPECT_TRUE(WaitUntil([&] { return (above = HostNonBlack(640, 0, 800, 480)) == 0; }, 10s))
      << above << " pixels of the new monitor are not black";
  EXPECT_EQ(HostNonBlack(0, 480, 640, 480), 0) << "the left monitor";
  // The primary's margins stay black around the picture (640 x 480 in the
  // middle of 800 x 600).
  EXPECT_EQ(HostNonBlack(640, 480, 800, 60), 0) << "the primary's top margin";
  // The picture, but for its black strips, still in the primary's middle.
  EXPECT_GT(HostNonBlack(640 + 80, 480 + 60, 640, 480), 640 * 480 * 9 / 10)
      << "the primary's picture";
  EXPECT_TRUE(saver.scr.running());
}

// The left monitor made primary while the saver runs: the coordinates'
// origin moves to it, and the saver moves there with it. Started without
// arguments, so that a pointer the X server moves with its monitors cannot
// end it.
TEST(SaverOnTwoMonitors, ANewPrimaryMonitorTakesThePictureAndTheOldOneIsCovered) {
  ASSERT_NO_FATAL_FAILURE(ExpectTwoMonitorsOnALoudDesktop());
  Saver saver(" 0", " 0", L"");
  ASSERT_TRUE(saver.window);
  ASSERT_TRUE(WaitForFrames(saver));
  // In the X server's coordinates the left monitor is 0,0 640 x 480, the
  // old primary 640,0 800 x 600.
  ASSERT_TRUE(RunOnHost("xrandr --output DUMMY1 --primary && xrandr >/dev/null"));
  ASSERT_TRUE(WaitUntil([] { return VirtualScreen().left == 0; }, 10s))
      << "the system never saw the new primary";
  ExpectPictureOnlyOn(RECT{0, 0, 640, 480}, RECT{640, 0, 1440, 600});
  EXPECT_TRUE(saver.scr.running());
}

// The X server of the *OnThreeMonitors suites: a 640 x 480 primary between
// two 800 x 600 monitors, top edges level (X server: 800,0, 0,0 and 1440,0).
constexpr RECT kLeftOfSmall{-800, 0, 0, 600};
constexpr RECT kRightOfSmall{640, 0, 1440, 600};

void ExpectThreeMonitorsOnALoudDesktop() {
  ExpectMonitorsOnALoudDesktop(3, RECT{-800, 0, 1440, 600}, POINT{1000, 300});
}

// An 800 x 600 picture on the 640 x 480 primary is cut at its edges; the
// monitors beside it stay black.
TEST(SaverOnThreeMonitors, ALargerPictureStaysOnTheSmallPrimary) {
  ASSERT_NO_FATAL_FAILURE(ExpectThreeMonitorsOnALoudDesktop());
  Saver saver(" 1", " 0");
  ASSERT_TRUE(saver.window && saver.display);
  const RECT display = WindowRectOf(saver.display);
  EXPECT_EQ(std::tuple(display.left, display.top, display.right, display.bottom),
            std::tuple(-80, -60, 720, 540));
  ASSERT_TRUE(WaitForFrames(saver));
  ExpectOneFrameOnScreen(saver,
                         SampleCells(
                             display, [](int, int) { return true; }, SquareStart),
                         {kLeftOfSmall, kRightOfSmall});
}

// The monitor right of the primary lies under the saver's own window (many
// times the screen's size): a move there ends /s as one over any other
// monitor does.
TEST(SaverOnThreeMonitors, AMoveOverTheMonitorRightOfThePrimaryEndsIt) {
  ASSERT_NO_FATAL_FAILURE(ExpectThreeMonitorsOnALoudDesktop());
  ExpectInputScenarios({
      {L"/s", " 2", {1000, 300}, {{Move, 1100, 300}, {Move, 1200, 400}}},
  });
}

// The three monitors rearranged while the saver runs: the primary moves to
// the left end, the left monitor between it and the right one. The picture
// stays on the primary and both others are black.
TEST(SaverOnThreeMonitors, ARearrangementLeavesEveryMonitorButThePrimaryBlack) {
  ASSERT_NO_FATAL_FAILURE(ExpectThreeMonitorsOnALoudDesktop());
  Saver saver(" 1", " 0", L"");
  ASSERT_TRUE(saver.window);
  ASSERT_TRUE(WaitForFrames(saver));
  ASSERT_TRUE(RunOnHost(
      "xrandr --output DUMMY0 --pos 0x0 --output DUMMY1 --pos 640x0 && xrandr >/dev/null"));
  ASSERT_TRUE(WaitUntil([] { return VirtualScreen().left == 0; }, 10s))
      << "the system never saw the new layout";
  // X server: the primary at 0,0 640 x 480, then the two 800 x 600 ones.
  ExpectPictureOnlyOn(RECT{0, 0, 640, 480}, RECT{640, 0, 2240, 600});
  EXPECT_TRUE(saver.scr.running());
}

// ---------------------------------------------------------------- stability

// What a process holds, as far as the system under test reports it: its
// handles and private bytes from the system's process list. (Under Wine the
// GDI and USER object counts, the process's own handle count and its memory
// counters are always 0, so they are not read.)
constexpr const char* kUsageNames[] = {"handles", "private bytes"};
constexpr unsigned long long kUsageSlack[] = {2, 512 * 1024};
using Usage = std::array<unsigned long long, 2>;

Usage UsageOf(const ScrProcess& scr) {
  Usage usage{};
  using Query = LONG(NTAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  std::vector<unsigned char> buffer(1 << 18);
  ULONG needed = 0;
  constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
  LONG status;
  while ((status = query(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                         &needed)) == kLengthMismatch) {
    buffer.resize(buffer.size() * 2);
  }
  for (std::size_t at = 0; status >= 0;) {
    const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
    if (reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId) == scr.pid()) {
      usage[0] = entry->HandleCount;
      usage[1] = entry->VirtualMemoryCounters.PagefileUsage;
      break;
    }
    if (entry->NextEntryOffset == 0) break;
    at += entry->NextEntryOffset;
  }
  return usage;
}

TEST(SaverStabilityTest, TwentyThousandFramesLeaveUsageWhereItWas) {
  Saver saver(" 0", " 0");
  ASSERT_TRUE(saver.window);
  ASSERT_TRUE(WaitForFrames(saver));
  FrameCounter counter(WindowRectOf(saver.display));
  ASSERT_TRUE(counter.ready());
  const auto running = [&] { return saver.scr.running(); };
  ASSERT_TRUE(counter.CountUntil(100, 20s, running));
  const long long baseline_frame = counter.frames();
  const Usage before = UsageOf(saver.scr);
  ASSERT_TRUE(counter.CountUntil(baseline_frame + 20000, 95s, running))
      << "only " << counter.frames() << " frames seen; running: " << saver.scr.running();
  const Usage after = UsageOf(saver.scr);
  std::printf("frames %lld..%lld\n", baseline_frame, counter.frames());
  for (std::size_t i = 0; i < after.size(); ++i) {
    std::printf("%s: %llu -> %llu\n", kUsageNames[i], before[i], after[i]);
    // A figure the system stopped reporting would compare 0 with 0.
    EXPECT_GT(before[i], 0u) << kUsageNames[i] << " not reported";
    EXPECT_LE(after[i], before[i] + kUsageSlack[i]) << kUsageNames[i];
  }
}

}  // namespace
