#include "core/frame_source.h"

#include <algorithm>

namespace varominea {

int PictureColumnAt(const FrameBlit& blit, int px) {
  // Picture column s shows field column s.
  return FieldColumnAt(blit, px).value_or(0);
}

std::optional<int> PictureRowAt(const FrameBlit& blit, int py) {
  // Picture row q shows field row kPictureSide - 1 - q.
  const std::optional<int> row = FieldRowAt(blit, py);
  if (!row) return std::nullopt;
  return kPictureSide - 1 - *row;
}

void RenderPicture(const ByteField& field, const PixelTable& colours, std::uint32_t black,
                   std::uint32_t* out, std::size_t stride) {
  constexpr int kShownRows = kPictureSide - 2;
  for (int q = 0; q < kPictureSide; ++q) {
    std::uint32_t* const line = out + static_cast<std::size_t>(q) * stride;
    if (q >= kShownRows) {
      std::fill_n(line, kPictureSide, black);
      continue;
    }
    const std::uint8_t* const cells = field.data() + ByteField::Offset(1, kPictureSide - 1 - q);
    line[0] = black;
    // Field column s is byte s - 1 of its row.
    for (int s = 1; s < kPictureSide; ++s) line[s] = colours[cells[s - 1]];
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
    : field_(std::move(field)), params_(KernelParamsOver(*field_)) {
  BuildKernel();
  ReadPAL_Newton(palette_);
}

}  // namespace varominea
