// A small window toolkit: top-level forms with load / show / unload and their
// events, child picture boxes, windowless controls drawn and hit-tested by
// their container, and a timer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/handles_win.h"

namespace platform {

enum class MouseButton : std::int16_t { Left = 1, Right = 2, Middle = 4, X1 = 8, X2 = 16 };

struct MouseEvent {
  std::int16_t button;  // MouseButton bits
  std::int16_t shift;   // 1 = Shift, 2 = Ctrl, 4 = Alt
  float x;              // in the control's pixel coordinates
  float y;
};

enum class UnloadReason : std::int16_t { FormControlMenu = 0, FormCode = 1 };

class Container;

// A control without a window of its own: its container draws it, in the
// order the controls were added (later ones on top), and routes the mouse to
// the topmost one under the pointer that wants it.
class WindowlessControl {
 public:
  WindowlessControl(Container& container, RECT bounds);
  WindowlessControl(const WindowlessControl&) = delete;
  WindowlessControl& operator=(const WindowlessControl&) = delete;
  virtual ~WindowlessControl() = default;

  const RECT& bounds() const { return bounds_; }
  void SetBounds(RECT bounds);
  HCURSOR cursor() const { return cursor_; }
  void SetCursor(HCURSOR cursor) { cursor_ = cursor; }  // nullptr: the arrow
  Container& container() const { return container_; }

  // Whether mouse events stop here (false lets them through to what is below).
  virtual bool WantsMouse() const { return false; }
  virtual void Paint(HDC dc) = 0;
  virtual void MouseDown(const MouseEvent&) {}
  virtual void MouseUp(const MouseEvent&) {}
  virtual void MouseMove(const MouseEvent&) {}

  void Invalidate();

 private:
  Container& container_;
  RECT bounds_;
  HCURSOR cursor_ = nullptr;
};

// Anything with a window that holds windowless controls.
class Container {
 public:
  Container() = default;
  Container(const Container&) = delete;
  Container& operator=(const Container&) = delete;
  virtual ~Container() = default;

  HWND hwnd() const { return hwnd_; }
  void Add(WindowlessControl* control) { controls_.push_back(control); }
  const std::vector<WindowlessControl*>& controls() const { return controls_; }
  WindowlessControl* HitTest(POINT client_point) const;
  void InvalidateRect(const RECT& rect);

 protected:
  // Paints the windowless controls over what dc already holds.
  void PaintControls(HDC dc) const;
  // Routes a mouse message to the windowless controls; true when one took it.
  bool RouteMouse(UINT message, WPARAM wparam, LPARAM lparam);
  bool SetCursorFromControls();

  // Ties a window to its container as it is created (the container is the
  // window's creation parameter) and finds it for every later message.
  static Container* Bind(HWND hwnd, UINT message, LPARAM lparam);

  HWND hwnd_ = nullptr;

 private:
  std::vector<WindowlessControl*> controls_;
  WindowlessControl* captured_ = nullptr;
};

class Form;

// Properties a child picture box has from design time.
struct PictureBoxDesign {
  RECT bounds{};  // in the parent's client pixels (left, top, right, bottom)
  COLORREF back_color = RGB(0, 0, 0);
  bool border = false;    // a fixed single border
  bool retained = false;  // keeps a retained image that repaints the box
  bool visible = true;
};

// A child window with a device context, an optional retained image, mouse
// events and windowless controls of its own.
class PictureBox : public Container {
 public:
  PictureBox(Form& form, const PictureBoxDesign& design);
  ~PictureBox() override;

  std::function<void(const MouseEvent&)> OnMouseDown;
  std::function<void(const MouseEvent&)> OnMouseMove;
  std::function<void(const MouseEvent&)> OnMouseUp;
  std::function<void()> OnClick;

  int width() const;  // outer size in pixels
  int height() const;
  int client_width() const;
  int client_height() const;
  void Move(int left, int top, int width, int height);  // pixels; the retained image follows
  void SetBackColor(COLORREF color);
  void SetFocus();

  // The retained image's drawing surface (nullptr without one). Drawing there
  // shows at the box's next paint, and stays when it is covered and uncovered.
  HDC ImageDc() const { return image_dc_.get(); }

  // Creates the window; the form calls this when it is loaded.
  void Create(HWND parent);

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint();
  void EnsureImage();
  // Gives the retained image the box's new client size, keeping what it
  // holds in the part both sizes share.
  void ResizeImage();

  Form& form_;
  PictureBoxDesign design_;
  OwnedMemoryDc image_dc_;
  OwnedBitmap image_bitmap_;
  HGDIOBJ image_old_bitmap_ = nullptr;
  bool pressed_ = false;
};

// A timer of a form; ticks arrive through the message loop.
class Timer {
 public:
  Timer(Form& form, UINT interval_ms);
  std::function<void()> OnTimer;
  void SetEnabled(bool enabled);
  bool enabled() const { return enabled_; }

 private:
  friend class Form;
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

  bool loaded() const { return hwnd_ != nullptr; }
  void SetBackColor(COLORREF color);
  void SetWindowStateNormal();
  // Outer position and size in twips, as top-level windows are placed.
  void SetLeftTwips(long twips);
  void SetTopTwips(long twips);
  void SetWidthTwips(long twips);
  void SetHeightTwips(long twips);
  // The same in pixels.
  void MovePixels(int left, int top, int width, int height);
  RECT WindowRectPixels() const;

  // Called by child controls.
  void AddChild(PictureBox* child) { children_.push_back(child); }
  UINT_PTR AddTimer(Timer* timer);
  void KeyDownFromChild(WPARAM key, LPARAM flags) { DispatchKeyDown(key, flags); }

 protected:
  virtual void Form_Load() {}
  virtual void Form_QueryUnload(std::int16_t& /*cancel*/, UnloadReason /*reason*/) {}
  virtual void Form_Unload(std::int16_t& /*cancel*/) {}
  virtual void Form_KeyDown(std::int16_t /*key_code*/, std::int16_t /*shift*/) {}
  virtual void Form_MouseDown(const MouseEvent&) {}
  // Any other message; the default is the system's handling.
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT Dispatch(UINT message, WPARAM wparam, LPARAM lparam);
  void DispatchKeyDown(WPARAM key, LPARAM flags);
  void Paint();
  POINT PositionInParent() const;
  int TwipsToPixelsX(long twips) const;
  int TwipsToPixelsY(long twips) const;

  FormDesign design_;
  OwnedBrush back_brush_;
  std::vector<PictureBox*> children_;
  std::vector<Timer*> timers_;
  bool modal_ = false;
  bool unloading_ = false;
};

// Mouse event arguments from a mouse message.
MouseEvent MouseEventFrom(UINT message, WPARAM wparam, LPARAM lparam);
std::int16_t ShiftState();

}  // namespace platform
