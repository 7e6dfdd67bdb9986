// The picture box: a child window with a device context, an optional
// retained image, mouse events and windowless controls of its own.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "windows/platform/handles_win.h"
#include "windows/platform/input_win.h"
#include "windows/platform/windowless_win.h"

namespace platform {

class Form;

// Properties a child picture box has from design time.
struct PictureBoxDesign {
  RECT bounds{};  // in the parent's client pixels (left, top, right, bottom)
  COLORREF back_color = RGB(0, 0, 0);
  bool border = false;    // a fixed single border
  bool retained = false;  // keeps a retained image that repaints the box
  bool visible = true;
};

class PictureBox : public Container {
 public:
  PictureBox(Form& form, const PictureBoxDesign& design);

  std::function<void(const MouseEvent&)> OnMouseDown;
  std::function<void(const MouseEvent&)> OnMouseMove;
  std::function<void(const MouseEvent&)> OnMouseUp;
  std::function<void()> OnClick;
  std::function<void()> OnGotFocus;
  std::function<void()> OnLostFocus;
  // Answers WM_GETOBJECT for the box (0: the system's own answer).
  std::function<LRESULT(WPARAM, LPARAM)> OnGetObject;

  int width() const;  // outer size in pixels
  int height() const;
  int client_width() const;
  int client_height() const;
  void Move(int left, int top, int width, int height);  // pixels; the retained image follows
  void SetBackColor(COLORREF color);
  void SetFocus();
  bool focused() const { return hwnd() && GetFocus() == hwnd(); }

  // The retained image's drawing surface (nullptr without one). Drawing there
  // shows at the box's next paint, and stays when it is covered and uncovered.
  HDC ImageDc() const { return image_dc_.get(); }

  // Creates the window; the form calls this when it is loaded.
  void Create(HWND parent);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void PaintContent(HDC dc, const RECT& area) override;

 private:
  void EnsureImage();
  // Gives the retained image the box's new client size, keeping what it
  // holds in the part both sizes share.
  void ResizeImage();

  Form& form_;
  PictureBoxDesign design_;
  // The retained image: a memory DC with its bitmap selected, put back out
  // before either goes.
  OwnedMemoryDc image_dc_;
  OwnedBitmap image_bitmap_;
  std::optional<Selected> image_selection_;
  bool pressed_ = false;
};

}  // namespace platform
