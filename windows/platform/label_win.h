// A windowless text caption with a transparent background.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "windows/platform/handles_win.h"
#include "windows/platform/input_win.h"
#include "windows/platform/windowless_win.h"

namespace platform {

struct LabelFont {
  std::wstring face;
  double points = 9.0;
  int weight = FW_NORMAL;
  BYTE charset = DEFAULT_CHARSET;  // lets the system fall back by character set
  bool underline = false;
};

enum class Alignment { Left, Center };

// Draws its caption on one line in the system's button-text colour over
// whatever lies below it. It takes the mouse only when it has a mouse
// handler; otherwise presses go through to what is below.
class Label : public WindowlessControl {
 public:
  Label(Container& container, RECT bounds, std::wstring caption, Alignment alignment,
        const LabelFont& font);

  const std::wstring& caption() const { return caption_; }
  HFONT font_handle() const { return font_.get(); }
  // Makes the font again for a display of that density (the constructor
  // makes it for the system's).
  void SetFontDpi(int dpi);

  std::function<void(const MouseEvent&)> OnMouseDown;
  std::function<void(const MouseEvent&)> OnMouseUp;
  std::function<void(const MouseEvent&)> OnMouseMove;

  bool WantsMouse() const override;
  void Paint(HDC dc) override;
  void MouseDown(const MouseEvent& e) override;
  void MouseUp(const MouseEvent& e) override;
  void MouseMove(const MouseEvent& e) override;

 private:
  std::wstring caption_;
  Alignment alignment_;
  LabelFont design_;
  OwnedFont font_;
};

// The font's height in pixels (negative: character height) for a size in
// points at the screen's vertical density, or at the given one.
LONG FontHeightForPoints(double points);
LONG FontHeightForPoints(double points, int dpi);

}  // namespace platform
