#include "windows/saver/pelmor_s.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <optional>

#include "core/dib_header.h"
#include "core/kernel.h"
#include "core/numbers.h"
#include "core/patterns.h"
#include "core/placement.h"
#include "core/shared_values.h"
#include "core/steps.h"
#include "windows/platform/app_win.h"
#include "windows/platform/refresh_win.h"
#include "windows/resources/texts.h"

namespace varominea {
namespace {

// DibHeader is handed to the platform as its BITMAPINFO.
static_assert(sizeof(BitmapInfoHeader) == sizeof(BITMAPINFOHEADER));
static_assert(offsetof(DibHeaderRecord, bmiColors) == offsetof(BITMAPINFO, bmiColors));
static_assert(sizeof(RgbQuad) == sizeof(RGBQUAD));

constexpr COLORREF kBlack = RGB(0, 0, 0);

// The steady clock as the pace counts it.
PaceDuration PaceNow() {
  return std::chrono::duration_cast<PaceDuration>(
      std::chrono::steady_clock::now().time_since_epoch());
}

platform::PictureBoxDesign DisplayDesign() {
  platform::PictureBoxDesign design;
  design.back_color = kBlack;
  design.border = false;
  return design;
}

}  // namespace

Pelmor_S::Pelmor_S(bool command_line_empty)
    : Form(platform::FormDesign{texts::kSaverCaption, platform::BorderStyle::None, kBlack,
                                /*key_preview=*/true}),
      Display(*this, DisplayDesign()),
      Timer1(*this, 1),
      MonitorTimer(*this, 1000),
      command_line_empty_(command_line_empty) {
  Display.OnClick = [this] { Display_Click(); };
  Display.OnMouseDown = [this](const platform::MouseEvent& e) { Display_MouseDown(e); };
  Display.OnMouseMove = [this](const platform::MouseEvent& e) { Display_MouseMove(e); };
  Timer1.OnTimer = [this] { Timer1_Timer(); };
  MonitorTimer.OnTimer = [this] {
    if (MonitorsChanged()) DisplayChanged();
  };
}

void Pelmor_S::Form_Load() {
  IgnoringErrors step;
  // The monitors first: a change after this moment is seen by the check.
  step([&] { TakeMonitors(); });
  const platform::ScreenMetrics screen = platform::Screen();

  PlaceWindow(step, screen);
  // Black behind everything.
  step([&] { SetBackColor(kBlack); });
  step([&] { Display.SetBackColor(kBlack); });
  PlaceDisplay(step);
  // The colour table, then the zero-filled byte field and the parameter
  // block that points into it; without a field its address stays unset and
  // the first tick ends the program.
  step([&] { ReadPAL_Newton(DibHeader); });
  step([&] { PixelField = ByteField::Allocate(); });
  step([&] { KernelParams.Width = 256; });
  step([&] { KernelParams.Height = 256; });
  step([&] {
    if (PixelField) KernelParams.Bits = &PixelField->at(1, 2);
  });
  // The bitmap header over the field, and the fastest frame step.
  step([&] { FillDibHeader(DibHeader, KernelParams); });
  step([&] { BuildKernel(); });
  // With the system's animation effects off the loop keeps to the display's
  // refresh; the setting is read once, here.
  step([&] {
    paced_ = !platform::AnimationEffectsOn();
    if (paced_) {
      refresh_hz_ = platform::PrimaryRefreshHz();
      composed_ = platform::DesktopComposed();
    }
  });
  // Shown normal and active, with the keyboard focus on Display so that its
  // keys reach the form's key preview, and then above every other window.
  step([&] { SetWindowStateNormal(); });
  step([&] {
    Show();
    Display.SetFocus();
  });
  step([&] {
    ApiResult =
        SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  });
  // Every other monitor gets a black cover of its own.
  step([&] { CoverOtherMonitors(); });
  step([&] { MonitorTimer.SetEnabled(true); });
  // The animation starts from the message loop, once set-up has returned.
  step([&] { Timer1.SetEnabled(true); });
}

void Pelmor_S::PlaceWindow(IgnoringErrors& step, const platform::ScreenMetrics& screen) {
  // The window's outer size is the screen's times the twips per pixel:
  // larger than the screen, of which only the top-left part is seen.
  step([&] {
    const RECT r = WindowRectPixels();
    MovePixels(r.left, r.top, SaverWindowExtentPx(screen.width_px, screen.dpi_x),
               SaverWindowExtentPx(screen.height_px, screen.dpi_y));
  });
  // The screen in pixels, kept in 16 bits; an extent beyond leaves it as it
  // was.
  step([&] {
    const auto width = ToInt16(screen.width_px);
    if (width) screen_px_.width = *width;
  });
  step([&] {
    const auto height = ToInt16(screen.height_px);
    if (height) screen_px_.height = *height;
  });
  // The window covers the screen from its top-left corner.
  step([&] {
    const RECT r = WindowRectPixels();
    MovePixels(0, 0, r.right - r.left, r.bottom - r.top);
  });
}

void Pelmor_S::PlaceDisplay(IgnoringErrors& step) {
  // The drawing area: the whole screen or a fixed size, as ImageSize says;
  // an unknown setting leaves it as it was (empty at start).
  step([&] {
    if (const auto area = DrawingAreaFor(ImageSize, screen_px_.width, screen_px_.height)) {
      drawing_area_ = *area;
    }
  });
  // Display takes that size where it is, then moves to the middle of the
  // screen, one axis after the other; an odd margin puts the half pixel where
  // rounding half to even puts it.
  step([&] {
    const POINT at = DisplayPosition();
    Display.Move(at.x, at.y, drawing_area_.width, drawing_area_.height);
  });
  step([&] {
    const auto pixel = CentredPixel(screen_px_.width, drawing_area_.width);
    if (pixel) Display.Move(*pixel, DisplayPosition().y, drawing_area_.width, drawing_area_.height);
  });
  step([&] {
    const auto pixel = CentredPixel(screen_px_.height, drawing_area_.height);
    if (pixel) Display.Move(DisplayPosition().x, *pixel, drawing_area_.width, drawing_area_.height);
  });
  // A drawing area larger than the primary monitor is cut at its edges, so
  // that nothing of the picture reaches a neighbouring monitor.
  step([&] {
    RECT d{};
    GetWindowRect(Display.hwnd(), &d);
    const auto clip = ClipToPrimary(ScreenRect{d.left, d.top, d.right, d.bottom}, primary_);
    HRGN region = clip ? CreateRectRgn(clip->left, clip->top, clip->right, clip->bottom) : nullptr;
    // The window owns the region from here on, unless it refuses it.
    if (!SetWindowRgn(Display.hwnd(), region, TRUE) && region) DeleteObject(region);
  });
}

void Pelmor_S::DisplayChanged() {
  if (!loaded()) return;
  IgnoringErrors step;
  // Display may move under a pointer that stays where it is, and the system
  // may put the pointer where it fits the new layout: the next event is
  // recorded as the first, not taken for a move of the user's.
  step([&] { move_detector_ = MoveDetector{}; });
  TakeMonitors();
  // The primary's size as the monitors tell it, the account the covers
  // follow too.
  platform::ScreenMetrics screen = platform::Screen();
  screen.width_px = primary_.right - primary_.left;
  screen.height_px = primary_.bottom - primary_.top;
  PlaceWindow(step, screen);
  PlaceDisplay(step);
  step([&] { CoverOtherMonitors(); });
  step([&] {
    ApiResult =
        SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  });
}

void Pelmor_S::TakeMonitors() {
  monitors_ = platform::MonitorRects();
  const RECT p = platform::PrimaryMonitorRect();
  primary_ = ScreenRect{p.left, p.top, p.right, p.bottom};
}

void Pelmor_S::CoverOtherMonitors() {
  covers_.clear();
  if (!loaded()) return;
  const auto rect = [](const RECT& r) { return ScreenRect{r.left, r.top, r.right, r.bottom}; };
  std::vector<ScreenRect> monitors;
  for (const RECT& monitor : monitors_) monitors.push_back(rect(monitor));
  for (const ScreenRect& part : PartsToCover(monitors, primary_, rect(WindowRectPixels()))) {
    auto cover = std::make_unique<platform::CoverWindow>(
        RECT{part.left, part.top, part.right, part.bottom}, hwnd());
    cover->OnButtonDown = [this] { EndSaver(); };
    cover->OnKeyDown = [this] { EndSaver(); };
    cover->OnMouseMove = [this](POINT at) { Cover_MouseMove(at); };
    covers_.push_back(std::move(cover));
  }
}

void Pelmor_S::Cover_MouseMove(POINT screen) {
  ScreenToClient(Display.hwnd(), &screen);
  Display_MouseMove(platform::MouseEvent{0, platform::ShiftState(), static_cast<float>(screen.x),
                                         static_cast<float>(screen.y)});
}

bool Pelmor_S::MonitorsChanged() const {
  const std::vector<RECT> monitors = platform::MonitorRects();
  return !std::equal(monitors.begin(), monitors.end(), monitors_.begin(), monitors_.end(),
                     [](const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; });
}

LRESULT Pelmor_S::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DISPLAYCHANGE) DisplayChanged();
  if (message == WM_MOUSEMOVE) {
    POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
    ClientToScreen(hwnd(), &at);
    // Only the primary's own margin keeps moves to itself.
    const RECT primary{primary_.left, primary_.top, primary_.right, primary_.bottom};
    if (!primary_.empty() && !PtInRect(&primary, at)) Cover_MouseMove(at);
  }
  return Form::HandleMessage(message, wparam, lparam);
}

POINT Pelmor_S::DisplayPosition() const {
  RECT r{};
  GetWindowRect(Display.hwnd(), &r);
  POINT at{r.left, r.top};
  ScreenToClient(hwnd(), &at);
  return at;
}

void Pelmor_S::Timer1_Timer() {
  Timer1.SetEnabled(false);
  if (ProcPattern != 0) {
    FillRingPattern();
  } else {
    FillSquarePattern();
  }
}

bool Pelmor_S::FieldReady() {
  return PixelField != nullptr && KernelParams.Bits == &PixelField->at(1, 2) &&
         KernelParams.Width == 256 && KernelParams.Height == 256;
}

void Pelmor_S::FillRingPattern() {
  // Without a field there is nothing to fill, step or show.
  if (!FieldReady()) platform::EndProgram();
  FillRingField(*PixelField, ClockSeededUniform());
  RunAnimation(KernelParams.Bits);
}

void Pelmor_S::FillSquarePattern() {
  if (!FieldReady()) platform::EndProgram();
  FillSquareField(*PixelField);
  RunAnimation(KernelParams.Bits);
}

void Pelmor_S::RunAnimation(std::uint8_t* bits) {
  const KernelParamBlock* const params = &KernelParams;
  const auto* const header = reinterpret_cast<const BITMAPINFO*>(&DibHeader);
  std::uint32_t frames = 0;
  std::optional<platform::FineTimerResolution> fine_timers;
  if (paced_) fine_timers.emplace();
  PaceDuration due = PaceNow();
  StopFlag = 0;
  for (;;) {
    ApiResult = KernelStep(params);
    {
      // The drawing area changes only when the monitors do.
      const FrameBlit blit = FrameBlitFor(drawing_area_.width, drawing_area_.height);
      const platform::WindowDc dc(Display.hwnd());
      if (!dc) platform::EndProgram();
      ApiResult = StretchDIBits(dc.get(), blit.dest_x, blit.dest_y, blit.dest_width,
                                blit.dest_height, blit.src_x, blit.src_y, blit.src_width,
                                blit.src_height, bits, header, DIB_RGB_COLORS, SRCCOPY);
    }
    if (frame_limit_ != 0 && ++frames >= frame_limit_) StopFlag = -1;
    platform::DoEvents();
    // The input handlers run inside the pump and may have released the
    // field: nothing may touch it before this test.
    if (StopFlag != 0) return;
    if (paced_) {
      due = WaitForNextStep(due);
      if (StopFlag != 0) return;
    }
  }
}

PaceDuration Pelmor_S::WaitForNextStep(PaceDuration due) {
  due = NextStepDue(due, PaceNow(), StepPeriod(refresh_hz_));
  // Where a compositor presents the desktop, its next pass after half a
  // refresh before the moment sets the step on the refresh; elsewhere the
  // moment itself is the refresh.
  const PaceDuration wake = composed_ ? due - RefreshPeriod(refresh_hz_) / 2 : due;
  for (PaceDuration now = PaceNow(); now < wake && StopFlag == 0; now = PaceNow()) {
    platform::WaitForMessages(wake - now);
    platform::DoEvents();
  }
  if (composed_ && StopFlag == 0) platform::WaitForComposition();
  return due;
}

void Pelmor_S::EndSaver() {
  StopFlag = -1;
  Unload();
}

void Pelmor_S::Form_KeyDown(std::int16_t /*key_code*/, std::int16_t /*shift*/) {
  EndSaver();
}

void Pelmor_S::Form_MouseDown(const platform::MouseEvent& /*e*/) {
  EndSaver();
}

void Pelmor_S::Display_MouseDown(const platform::MouseEvent& /*e*/) {
  EndSaver();
}

void Pelmor_S::Display_Click() {
  EndSaver();
}

void Pelmor_S::Display_MouseMove(const platform::MouseEvent& e) {
  if (move_detector_.IsRealMove(command_line_empty_, e.x, e.y)) EndSaver();
}

void Pelmor_S::Form_QueryUnload(std::int16_t& /*cancel*/, platform::UnloadReason /*reason*/) {
  PixelField.reset();
}

void Pelmor_S::Form_Unload(std::int16_t& /*cancel*/) {
  platform::EndProgram();
}

}  // namespace varominea
