// Writes the frames of README.md's animated picture: the saver on a small
// screen, drawn from the core exactly as the savers draw it (the field
// stepped once per frame, the colour table, the blit's enlargement without
// smoothing and its black strips), one binary PPM per frame.
//   readme_frames OUTPUT_FOLDER [FRAMES [WIDTH HEIGHT]]
// tools/readme-picture.sh turns them into docs/images/varominea.webp.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/dib_header.h"
#include "core/kernel.h"
#include "core/patterns.h"
#include "core/pixel_field.h"
#include "core/placement.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: readme_frames OUTPUT_FOLDER [FRAMES [WIDTH HEIGHT]]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int frames = argc > 2 ? std::atoi(argv[2]) : 256;
  const int width = argc > 4 ? std::atoi(argv[3]) : 384;
  const int height = argc > 4 ? std::atoi(argv[4]) : 288;
  if (frames <= 0 || width <= 0 || height <= 0 || width > 4096 || height > 4096) {
    std::fprintf(stderr, "readme_frames: bad frame count or size\n");
    return 2;
  }

  // Nested squares: the default pattern, and one without noise, so that the
  // picture is the same on every run.
  auto field = varominea::ByteField::Allocate();
  if (!field) return 1;
  varominea::FillSquareField(*field);
  varominea::DibHeaderRecord dib{};
  varominea::ReadPAL_Newton(dib);
  varominea::BuildKernel();
  const varominea::KernelParamBlock params{256, 256, &field->at(1, 2)};

  // The cell each pixel shows under the blit, or none (black).
  const varominea::FrameBlit blit =
      varominea::FrameBlitFor(static_cast<std::int16_t>(width), static_cast<std::int16_t>(height));
  std::vector<int> columns(static_cast<std::size_t>(width)), rows(static_cast<std::size_t>(height));
  for (int x = 0; x < width; ++x) columns[x] = varominea::FieldColumnAt(blit, x).value_or(0);
  for (int y = 0; y < height; ++y) rows[y] = varominea::FieldRowAt(blit, y).value_or(0);

  std::vector<char> rgb(static_cast<std::size_t>(width) * height * 3);
  const std::string header =
      "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  for (int n = 0; n < frames; ++n) {
    varominea::KernelStep(&params);
    char* out = rgb.data();
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        varominea::RgbQuad c{0, 0, 0, 0};
        if (columns[x] != 0 && rows[y] != 0) c = dib.bmiColors[field->at(columns[x], rows[y])];
        *out++ = static_cast<char>(c.rgbRed);
        *out++ = static_cast<char>(c.rgbGreen);
        *out++ = static_cast<char>(c.rgbBlue);
      }
    }
    char name[32];
    std::snprintf(name, sizeof name, "/frame%03d.ppm", n);
    std::ofstream file(folder + name, std::ios::binary | std::ios::trunc);
    file << header;
    file.write(rgb.data(), static_cast<std::streamsize>(rgb.size()));
    if (!file) {
      std::fprintf(stderr, "readme_frames: cannot write %s%s\n", folder.c_str(), name);
      return 1;
    }
  }
  return 0;
}
