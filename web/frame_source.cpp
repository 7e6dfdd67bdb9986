#include "web/frame_source.h"

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

}  // namespace

PlacedArea AreaFor(int canvas_width, int canvas_height, std::int16_t image_size) {
  return CentredAreaFor(canvas_width, canvas_height, image_size).value_or(PlacedArea{});
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
