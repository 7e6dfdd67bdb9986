// Checks one picture of the saver page read back from the browser with the
// shared cell check: every sampled cell explained by one frame number, the
// strips and the margins black. Run under Node by the browser test:
//   frame_check PICTURE.ppm LEFT TOP WIDTH HEIGHT square|ring
// prints "frames N..." (the frame numbers that explain the samples) and
// "stray LEFT_STRIP BOTTOM_STRIP MARGIN", and ends with status 0 when the
// picture passes, 1 when it does not, 2 when it cannot be read.
//   frame_check PICTURE.ppm still IMAGE_SIZE
// compares every pixel of a still picture of squares (the field as filled)
// with the frame the core draws for the X11 and Wayland savers on a screen
// of the picture's size, prints "differ N" and the first differing pixel,
// and ends with status 0 when none differs.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/frame_layout.h"
#include "core/patterns.h"
#include "tests/support/cells.h"

namespace {

// A binary PPM (P6, maxval 255) as written by the test: no comments.
bool ReadPpm(const char* path, int& width, int& height, std::vector<std::uint8_t>& rgb) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxval = 0;
  if (!(in >> magic >> width >> height >> maxval) || magic != "P6" || maxval != 255) return false;
  in.get();
  rgb.assign(std::istreambuf_iterator<char>(in), {});
  return width > 0 && height > 0 &&
         rgb.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
}

// The pixels of `rgb` that differ from the core's frame of the filled square
// field on a width x height screen: black outside the visible area.
int StillDiffers(int width, int height, const std::vector<std::uint8_t>& rgb,
                 std::int16_t image_size) {
  auto field = varominea::ByteField::Allocate();
  varominea::FillSquareField(*field);
  const varominea::FrameLayout layout = varominea::LayoutFrame(width, height, image_size);
  varominea::PixelTable colours{};
  for (int i = 0; i < 256; ++i) colours[i] = test::PaletteRgb(static_cast<std::uint8_t>(i));
  std::vector<std::uint32_t> expected(static_cast<std::size_t>(width) * height, 0);
  if (layout.visible_width > 0 && layout.visible_height > 0) {
    RenderFrame(*field, layout, colours, 0,
                expected.data() + layout.visible_top * width + layout.visible_left,
                static_cast<std::size_t>(width));
  }
  int differ = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const std::uint32_t seen =
        (std::uint32_t{rgb[3 * i]} << 16) | (std::uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
    if (seen == expected[i]) continue;
    if (differ++ == 0) {
      std::printf("first at %zu, %zu: %06X, not %06X\n", i % width, i / width, seen, expected[i]);
    }
  }
  return differ;
}

}  // namespace

int main(int argc, char** argv) {
  const bool still = argc == 4 && std::string(argv[2]) == "still";
  if (argc != 7 && !still) {
    std::fprintf(stderr,
                 "usage: frame_check PICTURE.ppm LEFT TOP WIDTH HEIGHT square|ring\n"
                 "       frame_check PICTURE.ppm still IMAGE_SIZE\n");
    return 2;
  }
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  if (!ReadPpm(argv[1], width, height, rgb)) {
    std::fprintf(stderr, "frame_check: cannot read %s\n", argv[1]);
    return 2;
  }
  if (still) {
    const int differ =
        StillDiffers(width, height, rgb, static_cast<std::int16_t>(std::atoi(argv[3])));
    std::printf("differ %d\n", differ);
    return differ == 0 ? 0 : 1;
  }
  const int left = std::atoi(argv[2]), top = std::atoi(argv[3]);
  const int area_width = std::atoi(argv[4]), area_height = std::atoi(argv[5]);
  const bool squares = std::string(argv[6]) == "square";

  const test::Picture picture{
      width, height, [&](int x, int y) {
        const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                static_cast<std::size_t>(x)) *
                               3;
        return (std::uint32_t{rgb[at]} << 16) | (std::uint32_t{rgb[at + 1]} << 8) | rgb[at + 2];
      }};
  const auto samples =
      test::SampleCells(left, top, area_width, area_height,
                        squares ? [](int, int) { return true; } : test::RingUnsmoothed,
                        squares ? test::SquareStart : test::RingStart,
                        [&](int x, int y) { return x >= 0 && y >= 0 && x < width && y < height; });
  const auto frames = test::ConsistentFrames(samples, picture.rgb_at);
  const auto stray = test::NonBlackOutsideTheField(picture, left, top, area_width, area_height);

  std::printf("samples %zu\nframes", samples.size());
  for (std::size_t n = 0; n < frames.size(); ++n) {
    if (frames[n]) std::printf(" %zu", n);
  }
  std::printf("\nstray %d %d %d\n", stray.left_strip, stray.bottom_strip, stray.margin);
  const bool passes = samples.size() > 50 && frames.any() && stray.left_strip == 0 &&
                      stray.bottom_strip == 0 && stray.margin == 0;
  return passes ? 0 : 1;
}
