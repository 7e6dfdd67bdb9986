// The saver's frame for a page: the core's frame source and its 256 x 256
// source picture of the per-frame stretching blit, in canvas pixels (red,
// green, blue, alpha in memory order: the little-endian word 0xAABBGGRR). The
// page's canvas enlarges that picture over the drawing area without
// smoothing, so the picture already holds what the blit's source rectangle
// holds: one column of black at the left and two rows of black at the
// bottom, where the source lies outside the bitmap.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/frame_source.h"
#include "core/placement.h"

namespace varominea::web {

// Canvas pixels begin .. begin + count - 1 along one axis, which all show
// picture column (or row) `picture`.
struct PictureRun {
  int picture = 0;
  int begin = 0;
  int count = 0;
};

// How a canvas shows the picture. `area` is the drawing area as the saver
// places its Display: the whole canvas (ImageSize 0), 800 x 600 (1) or
// 640 x 480 (2), centred, possibly reaching past the canvas; another
// ImageSize gives no area (all 0) and nothing visible. Along each axis, the
// visible pixels of the area fall into runs that show one picture column or
// row, the cell the core's column and row maps pick for the X11, Wayland and
// Windows front ends (picture column 0 for the left strip, row
// kPictureSide - 2 for the bottom strip). The page stretches each run's one
// picture column or row over it: a single source pixel enlarged leaves the
// browser's own rounding of pixel centres nothing to decide, where a
// boundary falls on a pixel centre as where it does not.
struct CanvasLayout {
  PlacedArea area;
  // The part of the area inside the canvas.
  int visible_left = 0;
  int visible_top = 0;
  int visible_width = 0;
  int visible_height = 0;
  // In canvas coordinates, left to right and top to bottom.
  std::vector<PictureRun> columns;
  std::vector<PictureRun> rows;
};
CanvasLayout LayoutCanvas(int canvas_width, int canvas_height, std::int16_t image_size);

// A started saver and its picture, drawn again after every step.
class FrameSource {
 public:
  // As varominea::FrameSource::Start; nullptr when memory is short.
  static std::unique_ptr<FrameSource> Start(std::int16_t proc_pattern,
                                            const UniformSource& uniform);

  // One frame: the field stepped, then the picture drawn from it.
  void Step();
  const std::uint32_t* picture() const { return picture_.get(); }
  const ByteField& field() const { return source_->field(); }

 private:
  explicit FrameSource(std::unique_ptr<varominea::FrameSource> source);
  void Draw();

  std::unique_ptr<varominea::FrameSource> source_;
  PixelTable colours_;
  std::unique_ptr<std::uint32_t[]> picture_;
};

}  // namespace varominea::web
