// Pictures stored in the program's resources, decoded once and shared by the
// controls that show them.
#pragma once

#include <windows.h>

#include <memory>

#include "windows/platform/handles_win.h"

namespace platform {

// A decoded picture: a 32-bit top-down DIB section, shared by the controls
// that show it.
class Picture {
 public:
  // Decodes an RCDATA resource (JPEG) or a BITMAP resource with the Windows
  // Imaging Component; nullptr when it cannot be loaded.
  static std::shared_ptr<const Picture> FromResource(int resource_id);
  static std::shared_ptr<const Picture> FromBitmapResource(int resource_id);

  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  HBITMAP bitmap() const { return bitmap_.get(); }  // selectable into a memory DC
  // Stretches the whole picture onto dest, independently in x and y.
  void StretchTo(HDC dc, const RECT& dest) const;

 private:
  Picture(OwnedBitmap bitmap, const void* bits, int width, int height);
  // Decodes an encoded picture (any format the imaging component reads).
  static std::shared_ptr<const Picture> Decode(const void* data, std::size_t size);

  OwnedBitmap bitmap_;
  const void* bits_;  // the DIB section's pixels, owned by bitmap_
  int width_;
  int height_;
};

// A cursor stored in the program's resources, at its own size. The system
// owns the shared handle for the life of the process: it is never destroyed.
HCURSOR LoadCursorResource(int resource_id);

// The same cursor drawn for a display of the given density (32 x 32 at 96
// dpi, 48 x 48 at 144), owned by the caller.
OwnedCursor LoadCursorResourceAt(int resource_id, int dpi);

}  // namespace platform
