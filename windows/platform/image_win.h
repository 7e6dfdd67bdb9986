// A windowless picture control.
#pragma once

#include <memory>

#include "windows/platform/picture_win.h"
#include "windows/platform/windowless_win.h"

namespace platform {

// A windowless picture control that stretches its picture to its own size.
// Without a picture it draws nothing, so what lies below shows through.
class Image : public WindowlessControl {
 public:
  Image(Container& container, RECT bounds);

  void SetPicture(std::shared_ptr<const Picture> picture);  // nullptr: no picture
  const std::shared_ptr<const Picture>& picture() const { return picture_; }
  // Position and size in the container's client pixels; a negative size
  // counts as 0.
  void Move(int left, int top, int width, int height);
  void Paint(HDC dc) override;

 private:
  std::shared_ptr<const Picture> picture_;
};

}  // namespace platform
