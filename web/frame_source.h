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

#include "core/frame_source.h"
#include "core/placement.h"

namespace varominea::web {

// The drawing area in the page's canvas, as the saver places its Display:
// the whole canvas (ImageSize 0), 800 x 600 (1) or 640 x 480 (2), centred,
// possibly reaching past the canvas. Another ImageSize gives no area (all 0).
PlacedArea AreaFor(int canvas_width, int canvas_height, std::int16_t image_size);

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
