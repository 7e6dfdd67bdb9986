// The saver window of the real program: where it draws, what its pixels
// show, the input that ends it, and that it runs without growing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "saver/patterns.h"
#include "saver/pixel_field.h"
#include "tests/e2e/saver_probe.h"

#include <psapi.h>  // after <windows.h>
#include <winternl.h>

namespace {

using namespace e2e;

constexpr COLORREF kBlack = RGB(0, 0, 0);

int ScreenWidth() {
  return GetSystemMetrics(SM_CXSCREEN);
}
int ScreenHeight() {
  return GetSystemMetrics(SM_CYSCREEN);
}

const std::array<COLORREF, 256>& ThePalette() {
  static const std::array<COLORREF, 256> palette = Palette();
  return palette;
}

std::uint8_t SquareStart(int x, int y) {
  static const std::unique_ptr<varominea::ByteField> field = [] {
    auto f = varominea::ByteField::Allocate();
    varominea::FillSquareField(*f);
    return f;
  }();
  return field->at(x, y);
}

// The ring fill before smoothing: the rounded-down distance from cell
// (128, 128), 0 closer than 10.
std::uint8_t RingStart(int x, int y) {
  const int squared = (x - 128) * (x - 128) + (y - 128) * (y - 128);
  int d = 0;
  while ((d + 1) * (d + 1) <= squared) ++d;
  return static_cast<std::uint8_t>(d < 10 ? 0 : d);
}

// The visible part of Display's middle, for telling that frames are drawn.
POINT VisibleMiddle(RECT display) {
  return POINT{std::clamp<LONG>((display.left + display.right) / 2, 0, ScreenWidth() - 1),
               std::clamp<LONG>((display.top + display.bottom) / 2, 0, ScreenHeight() - 1)};
}

bool WaitForFrames(const StartedSaver& saver) {
  const POINT middle = VisibleMiddle(WindowRectOf(saver.display));
  return WaitUntil([&] { return ScreenPixel(middle.x, middle.y) != kBlack; }, 20s);
}

// Every whole screen pixel in [begin, end) x [top, bottom) of the drawing
// area's strip is black.
int NonBlackIn(const ScreenShot& shot, RECT display, varominea::Span columns,
               varominea::Span rows) {
  int wrong = 0;
  for (int y = static_cast<int>(std::ceil(rows.begin)); y + 1 <= rows.end; ++y) {
    for (int x = static_cast<int>(std::ceil(columns.begin)); x + 1 <= columns.end; ++x) {
      const COLORREF c = shot.pixel(display.left + x, display.top + y);
      if (c != CLR_INVALID && c != kBlack) ++wrong;
    }
  }
  return wrong;
}

int NonBlackOutside(const ScreenShot& shot, RECT display) {
  int wrong = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      const bool inside =
          x >= display.left && x < display.right && y >= display.top && y < display.bottom;
      if (!inside && shot.pixel(x, y) != kBlack) ++wrong;
    }
  }
  return wrong;
}

// Freezes the saver between frames, up to a few times, until one still
// picture shows a single frame number on every sample. The platform may put
// a frame on the screen while the next is being drawn into the same surface,
// so one freeze can catch a picture torn between two neighbouring frames.
// Checks the black strips and margins on every picture.
void ExpectOneFrameOnScreen(const StartedSaver& saver, const std::vector<CellSample>& samples) {
  const RECT display = WindowRectOf(saver.display);
  const auto blit =
      varominea::FrameBlitFor(static_cast<std::int16_t>(display.right - display.left),
                              static_cast<std::int16_t>(display.bottom - display.top));
  const varominea::Span all_columns{0, static_cast<double>(display.right - display.left)};
  const varominea::Span all_rows{0, static_cast<double>(display.bottom - display.top)};
  ASSERT_GT(samples.size(), 100u);
  for (int attempt = 1;; ++attempt) {
    std::optional<ScreenShot> shot;
    {
      FrozenProcess frozen(saver.scr->pid());
      ASSERT_GT(frozen.threads(), 0u);
      shot.emplace();
    }
    EXPECT_EQ(NonBlackIn(*shot, display, varominea::LeftStripColumns(blit), all_rows), 0)
        << "left strip";
    EXPECT_EQ(NonBlackIn(*shot, display, all_columns, varominea::BottomStripRows(blit)), 0)
        << "bottom strip";
    EXPECT_EQ(NonBlackOutside(*shot, display), 0) << "margin around the drawing area";
    const auto frames =
        ConsistentFrames(ThePalette(), samples, [&](int x, int y) { return shot->pixel(x, y); });
    if (frames.any()) return;
    if (attempt == 8) {
      shot->Save(L"saver-frame.bmp");
      FAIL() << "no single frame number explains the " << samples.size() << " sampled cells in "
             << attempt << " still pictures (last saved)";
    }
    Sleep(37 * attempt);
  }
}

// ---------------------------------------------------------------- placement

void ExpectPlacement(const std::string& image_size, RECT expected) {
  StartedSaver saver(image_size, " 0");
  ASSERT_TRUE(saver.window) << "no saver window for ImageSize " << image_size;
  ASSERT_TRUE(saver.display);
  const RECT window = WindowRectOf(saver.window);
  EXPECT_EQ(window.left, 0);
  EXPECT_EQ(window.top, 0);
  EXPECT_GE(window.right, ScreenWidth());
  EXPECT_GE(window.bottom, ScreenHeight());
  const LONG style = GetWindowLongW(saver.window, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER), 0);
  // Made topmost directly after it is shown.
  EXPECT_TRUE(WaitUntil(
      [&] { return (GetWindowLongW(saver.window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, 5s));
  const RECT display = WindowRectOf(saver.display);
  EXPECT_EQ(display.left, expected.left) << "ImageSize " << image_size;
  EXPECT_EQ(display.top, expected.top) << "ImageSize " << image_size;
  EXPECT_EQ(display.right, expected.right) << "ImageSize " << image_size;
  EXPECT_EQ(display.bottom, expected.bottom) << "ImageSize " << image_size;
  EXPECT_EQ(GetWindow(saver.display, GW_HWNDNEXT), nullptr) << "Display is the only child";
}

TEST(SaverPlacementTest, DisplayFollowsImageSize) {
  ExpectPlacement(" 0", {0, 0, 1024, 768});
  ExpectPlacement(" 1", {112, 84, 912, 684});
  ExpectPlacement(" 2", {192, 144, 832, 624});
}

TEST(SaverPlacementTest, UnknownImageSizeLeavesTheScreenBlack) {
  for (const char* image_size : {" 3", "-1"}) {
    ExpectPlacement(image_size, {512, 384, 512, 384});
    StartedSaver saver(image_size, " 0");
    ASSERT_TRUE(saver.window);
    Sleep(1000);
    EXPECT_TRUE(saver.scr->running()) << "the animation runs on without a drawing area";
    EXPECT_EQ(NonBlackOutside(ScreenShot(), RECT{0, 0, 0, 0}), 0) << "ImageSize " << image_size;
  }
}

TEST(SaverPlacementAt640x480, LargerAreaIsCentredAndCutOff) {
  ExpectPlacement(" 1", {-80, -60, 720, 540});
  ExpectPlacement(" 0", {0, 0, 640, 480});
}

TEST(SaverPlacementAt1366x768, SmallAreaIsCentred) {
  ExpectPlacement(" 2", {363, 144, 1003, 624});
  ExpectPlacement(" 0", {0, 0, 1366, 768});
}

// ---------------------------------------------------------------- pixels

TEST(SaverPixelsTest, SquaresShowOneFrameOverTheWholeScreen) {
  StartedSaver saver(" 0", " 0");
  ASSERT_TRUE(saver.window);
  ASSERT_TRUE(WaitForFrames(saver));
  ExpectOneFrameOnScreen(
      saver, SampleCells(
                 WindowRectOf(saver.display), [](int, int) { return true; }, SquareStart));
}

TEST(SaverPixelsTest, SmallerAreaKeepsBlackStripsAndMargins) {
  StartedSaver saver(" 1", " 0");
  ASSERT_TRUE(saver.window);
  ASSERT_TRUE(WaitForFrames(saver));
  ExpectOneFrameOnScreen(
      saver, SampleCells(
                 WindowRectOf(saver.display), [](int, int) { return true; }, SquareStart));
}

TEST(SaverPixelsTest, RingsKeepTheirFillWhereSmoothingNeverReaches) {
  StartedSaver saver(" 0", " 1");
  ASSERT_TRUE(saver.window);
  ASSERT_TRUE(WaitForFrames(saver));
  const auto unsmoothed = [](int x, int y) { return x == 1 || x == 2 || x == 255 || y == 2; };
  ExpectOneFrameOnScreen(saver, SampleCells(WindowRectOf(saver.display), unsmoothed, RingStart));
}

TEST(SaverPixelsAt1366x768, SmallAreaShowsOneFrameInBlackMargins) {
  StartedSaver saver(" 2", " 0");
  ASSERT_TRUE(saver.window);
  ASSERT_TRUE(WaitForFrames(saver));
  ExpectOneFrameOnScreen(
      saver, SampleCells(
                 WindowRectOf(saver.display), [](int, int) { return true; }, SquareStart));
}

TEST(SaverPixelsAt640x480, VisibleMiddleOfALargerAreaShowsOneFrame) {
  StartedSaver saver(" 1", " 0");
  ASSERT_TRUE(saver.window);
  ASSERT_TRUE(WaitForFrames(saver));
  ExpectOneFrameOnScreen(
      saver, SampleCells(
                 WindowRectOf(saver.display), [](int, int) { return true; }, SquareStart));
}

// ---------------------------------------------------------------- input

bool CursorShowing() {
  CURSORINFO info{};
  info.cbSize = sizeof info;
  return GetCursorInfo(&info) && (info.flags & CURSOR_SHOWING) != 0;
}

TEST(SaverInputTest, AnyKeyEndsItWithinASecond) {
  for (WORD key : {WORD{'A'}, WORD{VK_SHIFT}, WORD{VK_ESCAPE}}) {
    StartedSaver saver(" 0", " 0");
    ASSERT_TRUE(saver.window);
    ASSERT_TRUE(WaitForFrames(saver));
    PressKey(key);
    EXPECT_TRUE(saver.scr->WaitForExit(1s)) << "key " << key;
  }
}

TEST(SaverInputTest, KeyPressedBeforeTheFirstFrameEndsIt) {
  // The saver's user-interface thread is stopped as soon as its window shows;
  // the key then waits in its queue while the screen is still black.
  bool caught_before_first_frame = false;
  for (int attempt = 0; attempt < 10 && !caught_before_first_frame; ++attempt) {
    ScrFolder folder;
    folder.WriteSettings(" 0", " 1");
    std::wstring command = L"\"" + folder.scr() + L"\" /s";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(folder.scr().c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, folder.path().c_str(), &si, &pi));
    HWND window = nullptr;
    const auto give_up = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < give_up &&
           WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
      window = FindWindowW(nullptr, varominea::texts::kSaverCaption);
      if (window && IsWindowVisible(window)) break;
      window = nullptr;
    }
    ASSERT_TRUE(window);
    SuspendThread(pi.hThread);
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL;
    GetThreadContext(pi.hThread, &context);
    Sleep(150);
    caught_before_first_frame = NonBlackOutside(ScreenShot(), RECT{0, 0, 0, 0}) == 0;
    PressKey('K');
    Sleep(100);
    ResumeThread(pi.hThread);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 1000), WAIT_OBJECT_0);
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  EXPECT_TRUE(caught_before_first_frame) << "never stopped the saver before its first frame";
}

TEST(SaverInputTest, ButtonOverDisplayOrTheMarginEndsIt) {
  struct Case {
    const char* image_size;
    POINT at;
    int button;
  } cases[] = {
      {" 0", {500, 400}, 1}, {" 2", {500, 400}, 2}, {" 2", {20, 20}, 1}, {" 1", {1000, 760}, 4}};
  for (const Case& c : cases) {
    MoveMouseTo(c.at.x, c.at.y);  // placed before the start: no move ends it
    StartedSaver saver(c.image_size, " 0");
    ASSERT_TRUE(saver.window);
    ASSERT_TRUE(WaitForFrames(saver));
    Sleep(300);
    ASSERT_TRUE(saver.scr->running());
    MouseButtonDown(c.button);
    EXPECT_TRUE(saver.scr->WaitForExit(1s))
        << "button " << c.button << " at " << c.at.x << ", " << c.at.y;
    MouseButtonUp(c.button);
  }
}

TEST(SaverInputTest, OnlyAMoveThatChangesBothCoordinatesEndsIt) {
  // Display is 640 x 480 at 192, 144; the pointer starts over the margin.
  MoveMouseTo(20, 20);
  StartedSaver saver(" 2", " 0");
  ASSERT_TRUE(saver.window);
  ASSERT_TRUE(WaitForFrames(saver));
  EXPECT_FALSE(CursorShowing()) << "the saver hides the cursor for /s";
  const auto still_running_after = [&](int x, int y) {
    MoveMouseTo(x, y);
    Sleep(300);
    return saver.scr->running();
  };
  EXPECT_TRUE(still_running_after(60, 90)) << "move over the margin";
  EXPECT_TRUE(still_running_after(300, 300)) << "first move over Display is only recorded";
  EXPECT_TRUE(still_running_after(400, 300)) << "purely horizontal";
  EXPECT_TRUE(still_running_after(300, 400)) << "back to the recorded x";
  EXPECT_TRUE(still_running_after(1000, 700)) << "over the margin again";
  MoveMouseTo(401, 401);
  EXPECT_TRUE(saver.scr->WaitForExit(1s)) << "both coordinates changed";
}

TEST(SaverInputTest, WithAnEmptyCommandLineOnlyKeysAndButtonsEndIt) {
  for (int ending : {0, 1}) {
    MoveMouseTo(100, 100);
    StartedSaver saver(" 0", " 0", L"");
    ASSERT_TRUE(saver.window);
    ASSERT_TRUE(WaitForFrames(saver));
    EXPECT_TRUE(CursorShowing()) << "the cursor stays visible";
    for (POINT p : {POINT{300, 300}, POINT{600, 500}, POINT{20, 700}}) {
      MoveMouseTo(p.x, p.y);
      Sleep(200);
    }
    ASSERT_TRUE(saver.scr->running()) << "a mouse move ended it";
    if (ending == 0) {
      PressKey(VK_SPACE);
    } else {
      MouseButtonDown(1);
      MouseButtonUp(1);
    }
    EXPECT_TRUE(saver.scr->WaitForExit(1s)) << (ending == 0 ? "key" : "button");
  }
}

TEST(SaverInputTest, SecondStartEndsAtOnceWhileTheSaverRuns) {
  StartedSaver saver(" 0", " 0");
  ASSERT_TRUE(saver.window);
  ASSERT_TRUE(WaitForFrames(saver));
  ScrProcess second(saver.folder.scr(), L"/s");
  ASSERT_TRUE(second.started());
  EXPECT_TRUE(second.WaitForExit(5s));
  EXPECT_TRUE(saver.scr->running());
}

// ---------------------------------------------------------------- stability

// What a process holds. GDI and USER objects, the handle count and the
// private bytes are what Windows reports for it; under Wine the first two and
// GetProcessHandleCount are stubs that report 0, so the handle count and the
// private (anonymous, resident) memory also come from the system's process
// list, which Wine fills from its server and from /proc.
struct Usage {
  DWORD gdi_objects = 0;
  DWORD user_objects = 0;
  DWORD handles = 0;
  SIZE_T private_bytes = 0;
  ULONG listed_handles = 0;
  SIZE_T listed_private_bytes = 0;
};

void FillFromProcessList(DWORD pid, Usage& usage) {
  using Query = LONG(NTAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return;
  std::vector<unsigned char> buffer(1 << 18);
  ULONG needed = 0;
  constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
  LONG status;
  while ((status = query(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                         &needed)) == kLengthMismatch) {
    buffer.resize(buffer.size() * 2);
  }
  if (status < 0) return;
  for (std::size_t at = 0;;) {
    const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
    if (reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId) == pid) {
      usage.listed_handles = entry->HandleCount;
      usage.listed_private_bytes = entry->VirtualMemoryCounters.PagefileUsage;
      return;
    }
    if (entry->NextEntryOffset == 0) return;
    at += entry->NextEntryOffset;
  }
}

Usage UsageOf(const ScrProcess& scr) {
  Usage usage;
  usage.gdi_objects = GetGuiResources(scr.handle(), GR_GDIOBJECTS);
  usage.user_objects = GetGuiResources(scr.handle(), GR_USEROBJECTS);
  GetProcessHandleCount(scr.handle(), &usage.handles);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(scr.handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof memory)) {
    usage.private_bytes = memory.PrivateUsage;
  }
  FillFromProcessList(scr.pid(), usage);
  return usage;
}

TEST(SaverStabilityTest, TwentyThousandFramesLeaveUsageWhereItWas) {
  StartedSaver saver(" 0", " 0");
  ASSERT_TRUE(saver.window);
  ASSERT_TRUE(WaitForFrames(saver));
  // Row 128 holds the square values 251 - x: cells 1, 40, 90 and 128 show
  // 250, 211, 161 and 123 at the start, far enough apart to fix the frame.
  FrameCounter counter(
      WindowRectOf(saver.display),
      SampleCells(
          WindowRectOf(saver.display),
          [](int x, int y) { return y == 128 && (x == 1 || x == 40 || x == 90 || x == 128); },
          SquareStart));
  const auto count_until = [&](long long frames, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (counter.frames() < frames && std::chrono::steady_clock::now() < end &&
           saver.scr->running()) {
      counter.Read();
      Sleep(1);
    }
    return counter.frames() >= frames;
  };
  ASSERT_TRUE(count_until(100, 20s));
  const long long baseline_frame = counter.frames();
  const Usage before = UsageOf(*saver.scr);
  ASSERT_TRUE(count_until(baseline_frame + 20000, 95s))
      << "only " << counter.frames() << " frames seen; running: " << saver.scr->running();
  const Usage after = UsageOf(*saver.scr);
  std::printf(
      "frames %lld..%lld: GDI %lu -> %lu, USER %lu -> %lu, handles %lu -> %lu, "
      "private %zu -> %zu bytes; listed: handles %lu -> %lu, private %zu -> %zu bytes\n",
      baseline_frame, counter.frames(), before.gdi_objects, after.gdi_objects, before.user_objects,
      after.user_objects, before.handles, after.handles,
      static_cast<std::size_t>(before.private_bytes), static_cast<std::size_t>(after.private_bytes),
      before.listed_handles, after.listed_handles,
      static_cast<std::size_t>(before.listed_private_bytes),
      static_cast<std::size_t>(after.listed_private_bytes));
  // At least one handle count and one private-memory figure must be real.
  EXPECT_GT(std::max<ULONG>(before.handles, before.listed_handles), 0u);
  EXPECT_GT(std::max(before.private_bytes, before.listed_private_bytes), SIZE_T{0});
  constexpr SIZE_T kMemoryNoise = 512 * 1024;
  EXPECT_LE(after.gdi_objects, before.gdi_objects + 2);
  EXPECT_LE(after.user_objects, before.user_objects + 2);
  EXPECT_LE(after.handles, before.handles + 2);
  EXPECT_LE(after.listed_handles, before.listed_handles + 2);
  EXPECT_LE(after.private_bytes, before.private_bytes + kMemoryNoise);
  EXPECT_LE(after.listed_private_bytes, before.listed_private_bytes + kMemoryNoise);
}

}  // namespace
