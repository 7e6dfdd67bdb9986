#include "windows/platform/image_win.h"

#include <utility>

namespace platform {

Image::Image(Container& container, RECT bounds) : WindowlessControl(container, bounds) {}

void Image::SetPicture(std::shared_ptr<const Picture> picture) {
  picture_ = std::move(picture);
  Invalidate();
}

void Image::Move(int left, int top, int width, int height) {
  SetBounds(RECT{left, top, left + (width < 0 ? 0 : width), top + (height < 0 ? 0 : height)});
}

void Image::Paint(HDC dc) {
  if (picture_) picture_->StretchTo(dc, bounds());
}

}  // namespace platform
