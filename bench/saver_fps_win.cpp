// Frames per second of the saver's animation loop in its real window,
// against a loop in the same window that only blits and pumps: the floor the
// platform's stretching blit sets. Run under Wine on a 1024 x 768 screen:
//
//   tools/wine-run.sh --prefix build/windows-x64/wineprefix
//   build/windows-x64/bench/saver_fps_win.exe
//
// With --animation-effects-off, the system's animation effects are switched
// off for the run (and on again after), and only the real loop is timed: it
// then keeps to the display's refresh.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <vector>

#include "core/patterns.h"
#include "core/placement.h"
#include "core/shared_values.h"
#include "windows/platform/app_win.h"
#include "windows/platform/handles_win.h"
#include "windows/platform/refresh_win.h"
#include "windows/saver/pelmor_s.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// The loop's blit and pump, without the frame step.
void BlitOnly(varominea::Pelmor_S& saver, std::uint32_t frames) {
  using namespace varominea;
  const AreaSize area = saver.drawing_area();
  const FrameBlit blit = FrameBlitFor(area.width, area.height);
  const auto* header = reinterpret_cast<const BITMAPINFO*>(&DibHeader);
  for (std::uint32_t i = 0; i < frames; ++i) {
    {
      const platform::WindowDc dc(saver.Display.hwnd());
      ApiResult =
          StretchDIBits(dc.get(), blit.dest_x, blit.dest_y, blit.dest_width, blit.dest_height,
                        blit.src_x, blit.src_y, blit.src_width, blit.src_height, KernelParams.Bits,
                        header, DIB_RGB_COLORS, SRCCOPY);
    }
    platform::DoEvents();
  }
}

double TimeRealLoop(varominea::Pelmor_S& saver, std::uint32_t frames) {
  saver.LimitFramesForTests(frames);
  const auto start = Clock::now();
  saver.RunAnimation(varominea::KernelParams.Bits);
  return Seconds(Clock::now() - start);
}

double TimeBlitOnly(varominea::Pelmor_S& saver, std::uint32_t frames) {
  const auto start = Clock::now();
  BlitOnly(saver, frames);
  return Seconds(Clock::now() - start);
}

}  // namespace

// With --smoke, a few short rounds: only that the loop still runs.
int main(int argc, char** argv) {
  using namespace varominea;
  const bool smoke = argc > 1 && std::string_view(argv[1]) == "--smoke";
  const bool effects_off = argc > 1 && std::string_view(argv[1]) == "--animation-effects-off";
  const auto set_effects = [](BOOL on) {
    SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0,
                          reinterpret_cast<PVOID>(static_cast<INT_PTR>(on)), 0);
  };
  if (effects_off) set_effects(FALSE);
  ImageSize = 0;
  ProcPattern = 0;
  static Pelmor_S saver(/*command_line_empty=*/true);
  saver.Load();
  saver.Timer1.SetEnabled(false);  // the benchmark drives the loop itself
  if (!PixelField || !KernelParams.Bits) {
    std::printf("set-up failed\n");
    return 1;
  }
  FillSquareField(*PixelField);
  const RECT window = saver.WindowRectPixels();
  const AreaSize screen = saver.screen_size();
  std::printf("screen %d x %d, window %ld x %ld, drawing area %d x %d\n", screen.width,
              screen.height, window.right - window.left, window.bottom - window.top,
              saver.drawing_area().width, saver.drawing_area().height);

  if (effects_off) {
    std::printf("animation effects %s, refresh %d Hz, desktop composed: %s\n",
                platform::AnimationEffectsOn() ? "on" : "off", platform::PrimaryRefreshHz(),
                platform::DesktopComposed() ? "yes" : "no");
    constexpr std::uint32_t kFrames = 180;
    constexpr int kRounds = 3;
    double seconds = 0;
    for (int round = 0; round < kRounds; ++round) seconds += TimeRealLoop(saver, kFrames);
    std::printf("real loop   %8.1f frames/s\n", kFrames * kRounds / seconds);
    set_effects(TRUE);
    return 0;
  }

  // Many short rounds, each real-loop round paired with a blit-only round
  // right beside it, so that changes in the machine's load hit both alike.
  const std::uint32_t round_frames = smoke ? 20 : 500;
  const int rounds = smoke ? 2 : 24;
  std::vector<double> pair_ratios;
  TimeRealLoop(saver, smoke ? 10 : 300);  // warm-up
  TimeBlitOnly(saver, smoke ? 10 : 300);
  double real = 0;
  double floor = 0;
  for (int round = 0; round < rounds; ++round) {
    // Alternate the order so that drift in the machine's load hits both.
    double real_round = 0;
    double floor_round = 0;
    if (round % 2 == 0) {
      real_round = TimeRealLoop(saver, round_frames);
      floor_round = TimeBlitOnly(saver, round_frames);
    } else {
      floor_round = TimeBlitOnly(saver, round_frames);
      real_round = TimeRealLoop(saver, round_frames);
    }
    real += real_round;
    floor += floor_round;
    pair_ratios.push_back(floor_round / real_round);
  }
  std::sort(pair_ratios.begin(), pair_ratios.end());
  const double frames = static_cast<double>(round_frames) * rounds;
  std::printf("real loop   %8.1f frames/s\n", frames / real);
  std::printf("blit + pump %8.1f frames/s\n", frames / floor);
  std::printf("ratio       %8.3f (median of %d paired rounds %.3f)\n", floor / real, rounds,
              (pair_ratios[rounds / 2 - 1] + pair_ratios[rounds / 2]) / 2);

  // The frame step alone, for scale.
  {
    const auto start = Clock::now();
    for (std::uint32_t i = 0; i < round_frames * 10; ++i) ApiResult = KernelStep(&KernelParams);
    std::printf("frame step alone %8.1f us\n",
                Seconds(Clock::now() - start) / (round_frames * 10) * 1e6);
  }

  // The real loop in the window as set up (larger than the screen) against
  // the same window cut down to the screen's own size, in alternate rounds.
  const auto resize = [&](const RECT& r) {
    saver.MovePixels(r.left, r.top, r.right - r.left, r.bottom - r.top);
    platform::DoEvents();
  };
  const RECT screen_sized{0, 0, screen.width, screen.height};
  double large = 0;
  double small = 0;
  for (int round = 0; round < rounds; ++round) {
    resize(window);
    large += TimeRealLoop(saver, round_frames);
    resize(screen_sized);
    small += TimeRealLoop(saver, round_frames);
  }
  std::printf("real loop: window %ld x %ld %8.1f frames/s, screen-sized %8.1f frames/s\n",
              window.right - window.left, window.bottom - window.top, frames / large,
              frames / small);
  return 0;
}
