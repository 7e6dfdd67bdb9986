// Top-level forms with load / show / unload and their events, and the
// one-shot or repeating timers that tick through a form's message loop.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "windows/platform/handles_win.h"
#include "windows/platform/input_win.h"
#include "windows/platform/windowless_win.h"

namespace platform {

class Form;
class PictureBox;

enum class UnloadReason : std::int16_t { FormControlMenu = 0, FormCode = 1 };

// A timer of a form; ticks arrive through the message loop.
class Timer {
 public:
  Timer(Form& form, UINT interval_ms);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  std::function<void()> OnTimer;
  void SetEnabled(bool enabled);
  bool enabled() const { return enabled_; }

 private:
  Form& form_;
  UINT interval_ms_;
  UINT_PTR id_;
  bool enabled_ = false;
};

enum class BorderStyle { None, FixedSingle, Sizable };

struct FormDesign {
  std::wstring caption;
  BorderStyle border = BorderStyle::Sizable;
  COLORREF back_color = RGB(0, 0, 0);
  bool key_preview = false;  // the form sees key-down events before its controls
  int icon_resource = 0;     // 0: no icon
  bool minimize_box = true;
  bool maximize_box = true;
};

// A top-level window with the classic form events.
class Form : public Container {
 public:
  explicit Form(FormDesign design);
  ~Form() override;

  // Creates the window hidden and runs Form_Load.
  void Load();
  void Show();  // modeless: visible and active
  // Visible without becoming active or taking the focus (a window shown
  // inside another program's window).
  void ShowWithoutActivating();
  void ShowModal();  // returns when the form has been unloaded
  // Runs Form_QueryUnload and Form_Unload; destroys the window unless one of
  // them cancels.
  void Unload(UnloadReason reason = UnloadReason::FormCode);

  bool loaded() const { return hwnd() != nullptr; }
  void SetBackColor(COLORREF color);
  void SetWindowStateNormal();
  // Outer position (in the parent's client area for a child, else on the
  // screen) and size, in pixels; a negative size counts as 0.
  void MovePixels(int left, int top, int width, int height);
  RECT WindowRectPixels() const;

  // Called by child controls.
  void AddChild(PictureBox* child) { children_.push_back(child); }
  UINT_PTR AddTimer(Timer* timer);
  // A key pressed or released in a child: the form's key events see it
  // first with key preview on.
  void KeyDownFromChild(WPARAM key);
  void KeyUpFromChild(WPARAM key);

 protected:
  virtual void Form_Load() {}
  virtual void Form_QueryUnload(std::int16_t& /*cancel*/, UnloadReason /*reason*/) {}
  virtual void Form_Unload(std::int16_t& /*cancel*/) {}
  virtual void Form_KeyDown(std::int16_t /*key_code*/, std::int16_t /*shift*/) {}
  virtual void Form_KeyUp(std::int16_t /*key_code*/, std::int16_t /*shift*/) {}
  virtual void Form_MouseDown(const MouseEvent&) {}

  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void PaintContent(HDC dc, const RECT& area) override;
  void WindowDestroyed() override;

 private:
  FormDesign design_;
  OwnedBrush back_brush_;
  std::vector<PictureBox*> children_;
  std::vector<Timer*> timers_;
  bool unloading_ = false;
};

}  // namespace platform
