// The saver's frame for a page: the field, its step and the colour lookup,
// producing the 256 x 256 source picture of the per-frame stretching blit.
// The page's canvas enlarges that picture over the drawing area without
// smoothing, so the picture already holds what the blit's source rectangle
// holds: one column of black at the left and two rows of black at the
// bottom, where the source lies outside the bitmap.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "core/kernel.h"
#include "core/patterns.h"
#include "core/pixel_field.h"

namespace varominea::web {

inline constexpr int kPictureSide = 256;

// One picture pixel as the canvas stores it: red, green, blue, alpha in
// memory order (a little-endian word 0xAABBGGRR).
using RgbaTable = std::array<std::uint32_t, 256>;

// The colour table as opaque canvas pixels.
RgbaTable PaletteRgba();

// The drawing area in the page's canvas, as the saver places its Display:
// the whole canvas (ImageSize 0), 800 x 600 (1) or 640 x 480 (2), centred,
// possibly reaching past the canvas. Another ImageSize gives no area.
struct PageArea {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};
PageArea AreaFor(int canvas_width, int canvas_height, std::int16_t image_size);

// Picture pixel (i, j), counted from the top-left, shows field column i and
// field row 255 - j; column 0 and rows 254 and 255 are black.
void RenderPicture(const ByteField& field, const RgbaTable& colours, std::uint32_t* out);

// A started saver: the field filled with a pattern, stepped once per frame.
class FrameSource {
 public:
  // ProcPattern 0 fills nested squares, any other value rings with noise
  // from `uniform`. nullptr when the field cannot be allocated.
  static std::unique_ptr<FrameSource> Start(std::int16_t proc_pattern,
                                            const UniformSource& uniform);

  // One frame: the field stepped, then the picture drawn from it.
  void Step();
  const std::uint32_t* picture() const { return picture_.get(); }
  const ByteField& field() const { return *field_; }

 private:
  explicit FrameSource(std::unique_ptr<ByteField> field);

  std::unique_ptr<ByteField> field_;
  KernelParamBlock params_;
  RgbaTable colours_;
  std::unique_ptr<std::uint32_t[]> picture_;
};

}  // namespace varominea::web
