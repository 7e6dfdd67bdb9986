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

#include "core/frame_layout.h"
#include "core/frame_source.h"
#include "core/pixel_format.h"

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
  const auto source = varominea::FrameSource::Start(0, {});
  if (!source) return 1;
  const varominea::PixelTable colours =
      varominea::PixelTableFor(source->palette(), varominea::kXrgbMasks);
  // The whole small screen is the drawing area (ImageSize 0).
  const varominea::FrameLayout layout = varominea::LayoutFrame(width, height, 0);

  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  std::vector<char> rgb(pixels.size() * 3);
  const std::string header =
      "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  for (int n = 0; n < frames; ++n) {
    source->Step();
    varominea::RenderFrame(source->field(), layout, colours, 0, pixels.data(),
                           static_cast<std::size_t>(width));
    char* out = rgb.data();
    for (const std::uint32_t pixel : pixels) {
      *out++ = static_cast<char>(pixel >> 16);
      *out++ = static_cast<char>(pixel >> 8);
      *out++ = static_cast<char>(pixel);
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
