// Checks one picture of the saver page read back from the browser with the
// shared cell check: every sampled cell explained by one frame number, the
// strips and the margins black. Run under Node by the browser test:
//   frame_check PICTURE.ppm LEFT TOP WIDTH HEIGHT square|ring
// prints "frames N..." (the frame numbers that explain the samples) and
// "stray LEFT_STRIP BOTTOM_STRIP MARGIN", and ends with status 0 when the
// picture passes, 1 when it does not, 2 when it cannot be read.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: frame_check PICTURE.ppm LEFT TOP WIDTH HEIGHT square|ring\n");
    return 2;
  }
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  if (!ReadPpm(argv[1], width, height, rgb)) {
    std::fprintf(stderr, "frame_check: cannot read %s\n", argv[1]);
    return 2;
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
