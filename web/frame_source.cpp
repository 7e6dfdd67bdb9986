#include "web/frame_source.h"

#include <algorithm>

#include "core/dib_header.h"
#include "core/placement.h"

namespace varominea::web {
namespace {

constexpr std::uint32_t kOpaqueBlack = 0xFF000000;

// Canvas sizes fit the 16 bits the Windows saver computes its placement in.
std::int16_t Clamp16(int value) {
  return static_cast<std::int16_t>(std::clamp(value, 0, 32767));
}

}  // namespace

RgbaTable PaletteRgba() {
  DibHeaderRecord dib{};
  ReadPAL_Newton(dib);
  RgbaTable table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    const RgbQuad& c = dib.bmiColors[i];
    table[i] = kOpaqueBlack | (std::uint32_t{c.rgbBlue} << 16) | (std::uint32_t{c.rgbGreen} << 8) |
               c.rgbRed;
  }
  return table;
}

PageArea AreaFor(int canvas_width, int canvas_height, std::int16_t image_size) {
  const std::int16_t width16 = Clamp16(canvas_width), height16 = Clamp16(canvas_height);
  const auto area = DrawingAreaFor(image_size, width16, height16);
  if (!area) return {};
  // Where the centring offset cannot be computed the Display stays at 0.
  return PageArea{CentredPixel(width16, area->width).value_or(0),
                  CentredPixel(height16, area->height).value_or(0), area->width, area->height};
}

void RenderPicture(const ByteField& field, const RgbaTable& colours, std::uint32_t* out) {
  for (int j = 0; j < kPictureSide; ++j) {
    std::uint32_t* const row_out = out + static_cast<std::size_t>(j) * kPictureSide;
    const int y = kPictureSide - 1 - j;
    if (y < 2) {
      // Below the bitmap's bottom row: the blit's source holds nothing there.
      std::fill_n(row_out, kPictureSide, kOpaqueBlack);
      continue;
    }
    // Left of the bitmap's first column, likewise.
    row_out[0] = kOpaqueBlack;
    const std::uint8_t* const cells = field.data() + ByteField::Offset(1, y);
    for (int i = 1; i < kPictureSide; ++i) row_out[i] = colours[cells[i - 1]];
  }
}

std::unique_ptr<FrameSource> FrameSource::Start(std::int16_t proc_pattern,
                                                const UniformSource& uniform) {
  auto field = ByteField::Allocate();
  if (!field) return nullptr;
  if (proc_pattern != 0) {
    FillRingField(*field, uniform);
  } else {
    FillSquareField(*field);
  }
  return std::unique_ptr<FrameSource>(new FrameSource(std::move(field)));
}

FrameSource::FrameSource(std::unique_ptr<ByteField> field)
    : field_(std::move(field)),
      params_(KernelParamsOver(*field_)),
      colours_(PaletteRgba()),
      picture_(new std::uint32_t[std::size_t{kPictureSide} * kPictureSide]) {
  BuildKernel();
  RenderPicture(*field_, colours_, picture_.get());
}

void FrameSource::Step() {
  KernelStep(&params_);
  RenderPicture(*field_, colours_, picture_.get());
}

}  // namespace varominea::web
