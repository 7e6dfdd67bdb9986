// The window toolkit on real Win32: the order of a form's events, unloading
// and its cancellation, modal showing, key preview, timers, and the mouse
// routing of windowless controls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/app_win.h"
#include "platform/form_win.h"

namespace {

using platform::Form;
using platform::FormDesign;
using platform::MouseEvent;

class RecordingForm : public Form {
 public:
  explicit RecordingForm(std::vector<std::string>& log, FormDesign design = {L"toolkit test"})
      : Form(std::move(design)), log_(log) {}
  std::int16_t cancel_query = 0;
  std::int16_t cancel_unload = 0;

 protected:
  void Form_Load() override { log_.push_back("load"); }
  void Form_QueryUnload(std::int16_t& cancel, platform::UnloadReason reason) override {
    log_.push_back(reason == platform::UnloadReason::FormControlMenu ? "query(menu)" : "query(code)");
    cancel = cancel_query;
  }
  void Form_Unload(std::int16_t& cancel) override {
    log_.push_back("unload");
    cancel = cancel_unload;
  }
  void Form_KeyDown(std::int16_t key, std::int16_t) override {
    log_.push_back("key " + std::to_string(key));
  }
  void Form_MouseDown(const MouseEvent& e) override {
    log_.push_back("form down " + std::to_string(static_cast<int>(e.x)) + "," +
                   std::to_string(static_cast<int>(e.y)));
  }

 private:
  std::vector<std::string>& log_;
};

TEST(FormTest, LoadCreatesHiddenWindowAndUnloadRunsBothEventsInOrder) {
  std::vector<std::string> log;
  RecordingForm form(log);
  form.Load();
  ASSERT_TRUE(form.loaded());
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
  form.Load();  // a second load changes nothing
  form.Unload();
  EXPECT_FALSE(form.loaded());
  EXPECT_EQ(log, (std::vector<std::string>{"load", "query(code)", "unload"}));
}

TEST(FormTest, EitherEventCanCancelTheUnload) {
  std::vector<std::string> log;
  RecordingForm form(log);
  form.Load();
  form.cancel_query = -1;
  form.Unload();
  EXPECT_TRUE(form.loaded());
  form.cancel_query = 0;
  form.cancel_unload = -1;
  form.Unload();
  EXPECT_TRUE(form.loaded());
  form.cancel_unload = 0;
  form.Unload();
  EXPECT_FALSE(form.loaded());
  EXPECT_EQ(log, (std::vector<std::string>{"load", "query(code)", "query(code)", "unload",
                                           "query(code)", "unload"}));
}

TEST(FormTest, CloseBoxUnloadsWithTheMenuReasonAndEndsAModalShow) {
  std::vector<std::string> log;
  RecordingForm form(log);
  form.Load();
  PostMessageW(form.hwnd(), WM_CLOSE, 0, 0);
  form.ShowModal();  // returns once the posted close has unloaded the form
  EXPECT_FALSE(form.loaded());
  EXPECT_EQ(log, (std::vector<std::string>{"load", "query(menu)", "unload"}));
}

TEST(FormTest, TwipsAreConvertedWithTheScreensFactor) {
  std::vector<std::string> log;
  RecordingForm form(log, FormDesign{L"twips", platform::BorderStyle::None});
  form.Load();
  const auto screen = platform::Screen();
  ASSERT_EQ(screen.twips_per_pixel_x, 15);  // 96 dots per inch
  form.SetLeftTwips(150);
  form.SetTopTwips(300);
  form.SetWidthTwips(152 * 15);
  form.SetHeightTwips(112 * 15);
  const RECT r = form.WindowRectPixels();
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right - r.left, 152);
  EXPECT_EQ(r.bottom - r.top, 112);
  form.Unload();
}

TEST(FormTest, KeyPreviewSeesKeysThatReachAChild) {
  std::vector<std::string> log;
  FormDesign design{L"keys", platform::BorderStyle::None};
  design.key_preview = true;
  RecordingForm form(log, design);
  platform::PictureBox box(form, {RECT{0, 0, 50, 50}});
  form.Load();
  SendMessageW(box.hwnd(), WM_KEYDOWN, 'A', 0);
  SendMessageW(form.hwnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(70, 80));
  EXPECT_EQ(log, (std::vector<std::string>{"load", "key 65", "form down 70,80"}));
  form.Unload();
}

TEST(TimerTest, TicksArriveThroughThePumpUntilSwitchedOff) {
  std::vector<std::string> log;
  RecordingForm form(log);
  platform::Timer timer(form, 1);
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 3) timer.SetEnabled(false);
  };
  form.Load();
  timer.SetEnabled(true);
  const DWORD end = GetTickCount() + 2000;
  while (GetTickCount() < end && ticks < 3) platform::DoEvents();
  Sleep(50);
  platform::DoEvents();
  EXPECT_EQ(ticks, 3);
  form.Unload();
}

// A windowless control that records what reaches it.
class Probe : public platform::WindowlessControl {
 public:
  Probe(platform::Container& c, RECT r, std::string name, std::vector<std::string>& log,
        bool wants = true)
      : WindowlessControl(c, r), name_(std::move(name)), log_(log), wants_(wants) {}
  bool WantsMouse() const override { return wants_; }
  void Paint(HDC) override {}
  void MouseDown(const MouseEvent& e) override { Record("down", e); }
  void MouseUp(const MouseEvent& e) override { Record("up", e); }

 private:
  void Record(const char* what, const MouseEvent& e) {
    log_.push_back(name_ + " " + what + " " + std::to_string(static_cast<int>(e.x)) + "," +
                   std::to_string(static_cast<int>(e.y)) + " b" + std::to_string(e.button));
  }
  std::string name_;
  std::vector<std::string>& log_;
  bool wants_;
};

TEST(WindowlessTest, TopmostControlThatWantsTheMouseTakesThePressAndItsRelease) {
  std::vector<std::string> form_log;
  RecordingForm form(form_log);
  platform::PictureBox box(form, {RECT{0, 0, 200, 100}});
  std::vector<std::string> log;
  Probe below(box, RECT{10, 10, 110, 30}, "face", log, /*wants=*/false);
  Probe caption(box, RECT{10, 14, 110, 27}, "caption", log);
  Probe other(box, RECT{120, 14, 190, 27}, "other", log);
  form.Load();
  const HWND h = box.hwnd();
  // A press on the face outside its caption reaches no control.
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 11));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(20, 11));
  // A right press on the caption, released over another control: the
  // caption gets both, in its own coordinates.
  SendMessageW(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
  EXPECT_EQ(GetCapture(), h);
  SendMessageW(h, WM_RBUTTONUP, 0, MAKELPARAM(150, 20));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"caption down 10,6 b2", "caption up 140,6 b2"}));
  form.Unload();
}

}  // namespace
