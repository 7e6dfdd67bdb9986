#include "web/frame_source.h"

#include <optional>

#include "core/frame_layout.h"
#include "core/pixel_format.h"

namespace varominea::web {
namespace {

constexpr std::uint32_t kOpaqueBlack = 0xFF000000;

// The colour table as opaque canvas pixels.
PixelTable PaletteRgba(const DibHeaderRecord& palette) {
  PixelTable table = PixelTableFor(palette, kRgbaMasks);
  for (std::uint32_t& pixel : table) pixel |= kOpaqueBlack;
  return table;
}

// Appends pixel `at` showing `picture` to the runs: it lengthens the last run
// when that shows the same.
void Extend(std::vector<PictureRun>& runs, int picture, int at) {
  if (!runs.empty() && runs.back().picture == picture) {
    ++runs.back().count;
  } else {
    runs.push_back({picture, at, 1});
  }
}

}  // namespace

CanvasLayout LayoutCanvas(int canvas_width, int canvas_height, std::int16_t image_size) {
  const FrameLayout frame = LayoutFrame(canvas_width, canvas_height, image_size);
  CanvasLayout layout;
  layout.area = {frame.area_left, frame.area_top, frame.area_width, frame.area_height};
  layout.visible_left = frame.visible_left;
  layout.visible_top = frame.visible_top;
  layout.visible_width = frame.visible_width;
  layout.visible_height = frame.visible_height;
  if (frame.visible_width <= 0 || frame.visible_height <= 0) return layout;
  const FrameBlit blit = FrameBlitFor(static_cast<std::int16_t>(frame.area_width),
                                      static_cast<std::int16_t>(frame.area_height));
  for (int x = frame.visible_left; x < frame.visible_left + frame.visible_width; ++x) {
    Extend(layout.columns, PictureColumnAt(blit, x - frame.area_left), x);
  }
  for (int y = frame.visible_top; y < frame.visible_top + frame.visible_height; ++y) {
    // The bottom strip is drawn from the first of its two black rows.
    Extend(layout.rows, PictureRowAt(blit, y - frame.area_top).value_or(kPictureSide - 2), y);
  }
  return layout;
}

std::unique_ptr<FrameSource> FrameSource::Start(std::int16_t proc_pattern,
                                                const UniformSource& uniform) {
  auto source = varominea::FrameSource::Start(proc_pattern, uniform);
  if (!source) return nullptr;
  return std::unique_ptr<FrameSource>(new FrameSource(std::move(source)));
}

FrameSource::FrameSource(std::unique_ptr<varominea::FrameSource> source)
    : source_(std::move(source)),
      colours_(PaletteRgba(source_->palette())),
      picture_(new std::uint32_t[std::size_t{kPictureSide} * kPictureSide]) {
  Draw();
}

void FrameSource::Step() {
  source_->Step();
  Draw();
}

void FrameSource::Draw() {
  RenderPicture(source_->field(), colours_, kOpaqueBlack, picture_.get(), kPictureSide);
}

}  // namespace varominea::web
