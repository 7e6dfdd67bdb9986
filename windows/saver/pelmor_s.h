// The saver's full-screen window: set-up, the animation loop and the input
// that ends it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/move_detector.h"
#include "core/placement.h"
#include "core/steps.h"
#include "windows/platform/app_win.h"
#include "windows/platform/cover_win.h"
#include "windows/platform/form_win.h"
#include "windows/platform/picture_box_win.h"
#include "windows/saver/covers.h"
#include "windows/saver/step_pace.h"

namespace varominea {

class Pelmor_S : public platform::Form {
 public:
  // command_line_empty: the program was started without arguments, when only
  // keys and buttons end the saver, not mouse moves.
  explicit Pelmor_S(bool command_line_empty);

  // The picture control that receives the frames and the mouse.
  platform::PictureBox Display;
  // Starts the animation from the message loop once set-up has returned.
  platform::Timer Timer1;
  // Looks at the monitors once a second: not every system tells a running
  // program that one was added or moved.
  platform::Timer MonitorTimer;

  void Display_Click();
  void Display_MouseDown(const platform::MouseEvent& e);
  void Display_MouseMove(const platform::MouseEvent& e);
  void Form_KeyDown(std::int16_t key_code, std::int16_t shift) override;
  void Form_Load() override;
  void Form_MouseDown(const platform::MouseEvent& e) override;
  void Form_QueryUnload(std::int16_t& cancel, platform::UnloadReason reason) override;
  void Form_Unload(std::int16_t& cancel) override;
  // Steps, blits and pumps, frame after frame, until StopFlag is set.
  void RunAnimation(std::uint8_t* bits);
  void Timer1_Timer();
  void FillRingPattern();
  void FillSquarePattern();

  // 0 = keep animating, -1 = stop.
  std::int16_t StopFlag = 0;

  // Makes RunAnimation set StopFlag by itself after this many frames (0: never).
  // For benchmarks and tests only; nothing in the program calls it.
  void LimitFramesForTests(std::uint32_t frames) { frame_limit_ = frames; }

  // The screen in pixels and the drawing area's size, as set-up found them.
  AreaSize screen_size() const { return screen_px_; }
  AreaSize drawing_area() const { return drawing_area_; }

  // The black windows over the monitors, or the parts of them, that the
  // window itself does not reach.
  const std::vector<std::unique_ptr<platform::CoverWindow>>& covers() const { return covers_; }

 protected:
  // A monitor added, removed, resized or made primary while the saver runs:
  // the saver moves to the primary and covers the others anew. A move over
  // the window outside the primary counts as one over a cover.
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  // The window over the screen from the primary monitor's top-left corner,
  // many times its size.
  void PlaceWindow(IgnoringErrors& step, const platform::ScreenMetrics& screen);
  // Display sized from ImageSize and centred on the primary monitor, and cut
  // to it where it is larger.
  void PlaceDisplay(IgnoringErrors& step);
  // Places both anew on the primary and covers the other monitors again.
  void DisplayChanged();
  // Notes the monitors as they are now, before the window is placed for them.
  void TakeMonitors();
  // Whether the monitors differ from those the window was placed for.
  bool MonitorsChanged() const;
  // Covers in black every monitor but the primary, and what of the primary
  // the window leaves showing; input there acts as it does on the window.
  void CoverOtherMonitors();
  // The pointer over a cover, or over the window outside the primary, at a
  // screen position: a move as Display would see it at that point.
  void Cover_MouseMove(POINT screen);
  // With the animation effects off: waits, serving input, until the step
  // after the one due at `due` is due, and returns that moment.
  PaceDuration WaitForNextStep(PaceDuration due);
  void EndSaver();
  // Display's position in the window's client pixels.
  POINT DisplayPosition() const;
  // Whether set-up gave the field and a parameter block that points into it.
  static bool FieldReady();

  MoveDetector move_detector_;
  std::vector<std::unique_ptr<platform::CoverWindow>> covers_;
  // The monitors, and the primary among them, that the window was placed
  // and the covers were made for.
  std::vector<RECT> monitors_;
  ScreenRect primary_{0, 0, 0, 0};
  bool command_line_empty_;
  AreaSize screen_px_{0, 0};
  AreaSize drawing_area_{0, 0};
  std::uint32_t frame_limit_ = 0;
  // The system's animation effects were off at start: the loop steps once
  // per refresh of the primary monitor, at most 60 times a second.
  bool paced_ = false;
  int refresh_hz_ = 0;
  bool composed_ = false;
};

}  // namespace varominea
