// The saver's frames as every front end draws them: the field filled with a
// pattern, the colour table, one kernel step a frame, and the 256 x 256
// source picture of the per-frame stretching blit in any 32-bit pixel
// layout. The Windows saver runs the same steps in its own order of events.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "core/dib_header.h"
#include "core/frame_layout.h"
#include "core/kernel.h"
#include "core/patterns.h"
#include "core/pixel_field.h"
#include "core/placement.h"

namespace varominea {

// The picture's side. Column 0 is the left strip and rows 254 and 255 the
// bottom strip (black): there the blit's source lies outside the bitmap.
// Column s (1..255) of row q (0..253), rows counted from the top, shows
// field cell (s, 255 - q).
inline constexpr int kPictureSide = 256;

// The picture column and row that pixel `px` (or `py`) of a drawing area
// shows: FieldColumnAt and FieldRowAt in the picture's coordinates. The left
// strip is column 0; the bottom strip has no row of its own (picture rows
// kPictureSide - 2 and kPictureSide - 1 both show it).
int PictureColumnAt(const FrameBlit& blit, int px);
std::optional<int> PictureRowAt(const FrameBlit& blit, int py);

// Draws the picture (kPictureSide x kPictureSide pixels, `stride` pixels
// from one row to the next) from the field.
void RenderPicture(const ByteField& field, const PixelTable& colours, std::uint32_t black,
                   std::uint32_t* out, std::size_t stride);

// A started saver: the field filled, the kernel chosen, the colour table read.
class FrameSource {
 public:
  // ProcPattern 0 fills nested squares (`uniform` is not drawn from), any
  // other value rings with noise from `uniform`. nullptr when the field
  // cannot be allocated.
  static std::unique_ptr<FrameSource> Start(std::int16_t proc_pattern,
                                            const UniformSource& uniform);

  // One frame: the field stepped once.
  void Step() { KernelStep(&params_); }

  const ByteField& field() const { return *field_; }
  // The colour table (bmiColors) the frames are drawn with.
  const DibHeaderRecord& palette() const { return palette_; }

 private:
  explicit FrameSource(std::unique_ptr<ByteField> field);

  std::unique_ptr<ByteField> field_;
  KernelParamBlock params_;
  DibHeaderRecord palette_{};
};

}  // namespace varominea
