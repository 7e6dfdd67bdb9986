// The window toolkit on real Win32: a form's events and cancelled unloads,
// modal showing, key preview, timers, windowless mouse routing and
// label drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/canvas_win.h"
#include "tests/support/wait.h"
#include "windows/platform/app_win.h"
#include "windows/platform/form_win.h"
#include "windows/platform/label_win.h"
#include "windows/platform/picture_box_win.h"

namespace {

using namespace std::chrono_literals;

using platform::Alignment;
using platform::MouseEvent;
using Log = std::vector<std::string>;

std::string At(const MouseEvent& e) {
  return std::to_string(static_cast<int>(e.x)) + "," + std::to_string(static_cast<int>(e.y));
}

class RecordingForm : public platform::Form {
 public:
  explicit RecordingForm(Log& log, platform::FormDesign design = {L"toolkit test"})
      : Form(std::move(design)), log_(log) {}
  std::int16_t cancel_query = 0, cancel_unload = 0;

 protected:
  void Form_Load() override { log_.push_back("load"); }
  void Form_QueryUnload(std::int16_t& cancel, platform::UnloadReason reason) override {
    log_.push_back(reason == platform::UnloadReason::FormControlMenu ? "query(menu)"
                                                                     : "query(code)");
    cancel = cancel_query;
  }
  void Form_Unload(std::int16_t& cancel) override {
    log_.push_back("unload");
    cancel = cancel_unload;
  }
  void Form_KeyDown(std::int16_t key, std::int16_t) override {
    log_.push_back("key " + std::to_string(key));
  }
  void Form_MouseDown(const MouseEvent& e) override { log_.push_back("form down " + At(e)); }

 private:
  Log& log_;
};

TEST(FormTest, LoadsHiddenOnceAndEitherEventCanCancelTheUnload) {
  Log log;
  RecordingForm form(log);
  form.Load();
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
  form.Load();  // a second load changes nothing
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
  EXPECT_EQ(log, (Log{"load", "query(code)", "query(code)", "unload", "query(code)", "unload"}));

  // The close box unloads with the menu reason and ends a modal show.
  log.clear();
  form.Load();
  PostMessageW(form.hwnd(), WM_CLOSE, 0, 0);
  form.ShowModal();
  EXPECT_FALSE(form.loaded());
  EXPECT_EQ(log, (Log{"load", "query(menu)", "unload"}));
}

TEST(FormTest, KeyPreviewSeesKeysOfAChildAndTimersTickUntilSwitchedOff) {
  Log log;
  platform::FormDesign design{L"keys", platform::BorderStyle::None};
  design.key_preview = true;
  RecordingForm form(log, design);
  platform::PictureBox box(form, {RECT{0, 0, 50, 50}});
  platform::Timer timer(form, 1);
  form.Load();
  SendMessageW(box.hwnd(), WM_KEYDOWN, 'A', 0);
  SendMessageW(form.hwnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(70, 80));
  EXPECT_EQ(log, (Log{"load", "key 65", "form down 70,80"}));

  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 3) timer.SetEnabled(false);
  };
  timer.SetEnabled(true);
  const DWORD end = GetTickCount() + 2000;
  while (GetTickCount() < end && ticks < 3) platform::DoEvents();
  test::PumpFor(50ms);
  EXPECT_EQ(ticks, 3);
  form.Unload();
}

platform::LabelFont Arial(bool underline = false) {
  return {L"Arial", 9.75, FW_NORMAL, DEFAULT_CHARSET, underline};
}

// Labels take the mouse only with a handler; the topmost one that does takes
// a press and, through the capture, its release.
TEST(WindowlessTest, TopmostControlThatWantsTheMouseTakesThePressAndItsRelease) {
  Log log;
  RecordingForm form(log);
  platform::PictureBox box(form, {RECT{0, 0, 200, 100}});
  platform::Label face(box, RECT{10, 10, 110, 30}, L"", Alignment::Left, Arial());
  platform::Label caption(box, RECT{10, 14, 110, 27}, L"A", Alignment::Left, Arial());
  platform::Label other(box, RECT{120, 14, 190, 27}, L"B", Alignment::Left, Arial());
  platform::Label cover(box, RECT{10, 14, 110, 27}, L"", Alignment::Left, Arial());
  const auto record = [&](const char* what) {
    return [&log, what](const MouseEvent& e) {
      log.push_back(what + At(e) + " b" + std::to_string(e.button));
    };
  };
  caption.OnMouseDown = record("down ");
  caption.OnMouseUp = record("up ");
  other.OnMouseUp = [&](const MouseEvent&) { log.push_back("other"); };
  EXPECT_EQ(box.HitTest(POINT{150, 20}), &other) << "a release handler is enough";
  EXPECT_EQ(box.HitTest(POINT{20, 11}), nullptr);
  form.Load();
  log.clear();
  const HWND h = box.hwnd();
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 11));  // on the face alone
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(20, 11));
  SendMessageW(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
  EXPECT_EQ(GetCapture(), h);
  SendMessageW(h, WM_RBUTTONUP, 0, MAKELPARAM(150, 20));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(log, (Log{"down 10,6 b2", "up 140,6 b2"}));
  other.MouseDown(MouseEvent{1, 0, 1, 1});  // no handler for it: nothing happens
  form.Unload();
}

// Where a label puts ink over a uniformly coloured surface.
struct Ink {
  int left = 120, right = -1, pixels = 0, widest_row = 0;
  bool only_text_colour = true;
};

Ink Paint(const wchar_t* text, Alignment alignment, bool underline = false) {
  constexpr COLORREF kBackground = RGB(10, 200, 30);
  platform::Container box;
  platform::Label label(box, RECT{0, 0, 120, 20}, text, alignment, Arial(underline));
  test::Canvas canvas(120, 20, kBackground);
  label.Paint(canvas.dc());
  Ink ink;
  for (int y = 0; y < 20; ++y) {
    int row = 0;
    for (int x = 0; x < 120; ++x) {
      const COLORREF c = canvas.pixel(x, y);
      if (c == kBackground) continue;
      ++ink.pixels;
      ++row;
      ink.only_text_colour = ink.only_text_colour && c == GetSysColor(COLOR_BTNTEXT);
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
    }
    ink.widest_row = std::max(ink.widest_row, row);
  }
  return ink;
}

TEST(LabelTest, DrawsTransparentTextAlignedAndUnderlinedAsAsked) {
  EXPECT_EQ(platform::FontHeightForPoints(9.75), -13) << "at 96 dots per inch";
  const Ink text = Paint(L"800 * 600", Alignment::Left);
  EXPECT_GT(text.pixels, 20);
  EXPECT_LT(text.pixels, 120 * 20 / 4) << "no background box";
  EXPECT_TRUE(text.only_text_colour);
  EXPECT_LE(text.left, 3);
  const Ink left = Paint(L"AB", Alignment::Left);
  const Ink centred = Paint(L"AB", Alignment::Center);
  EXPECT_LE(left.left, 2);
  EXPECT_NEAR(centred.left, 119 - centred.right, 3);
  EXPECT_EQ(centred.right - centred.left, left.right - left.left);
  // The underline is one row of ink across (almost) the whole text.
  const Ink plain = Paint(L"https://a.b/", Alignment::Left);
  const Ink underlined = Paint(L"https://a.b/", Alignment::Left, true);
  EXPECT_GE(underlined.widest_row, (underlined.right - underlined.left) * 9 / 10);
  EXPECT_LT(plain.widest_row, (plain.right - plain.left) * 9 / 10);
}

}  // namespace
