// The program's artwork, made from code: the preview picture, the dialog's
// faces and background tile, the window icon, the two cursors and the
// installer's picture. The same build of the generator always gives the same
// bytes (fixed seeds, no time stamps), so the committed files can be checked
// against a fresh run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace artgen {

using Bytes = std::vector<std::uint8_t>;

// 24-bit colour picture, rows top down, pixels R, G, B.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  RgbImage(int w, int h) : width(w), height(h), rgb(static_cast<std::size_t>(w) * h * 3) {}
  void Set(int x, int y, int r, int g, int b);
};

struct JpegOptions {
  int quality = 85;
  bool full_chroma = false;  // 4:4:4 instead of 4:2:0
  int density_unit = 0;      // 0: aspect ratio only, 1: dots per inch
  int x_density = 1;
  int y_density = 1;
};

// Baseline JFIF 1.01, three components.
Bytes EncodeJpeg(const RgbImage& image, const JpegOptions& options);
// A 24-bit bottom-up .bmp file.
Bytes EncodeBmp24(const RgbImage& image);

// The pictures themselves.
RgbImage PreviewImage();       // 208 x 158
RgbImage InstallerImage();     // 164 x 314, the preview's rectangles made tall
RgbImage FaceImage(bool lit);  // 95 x 20
RgbImage TileImage();          // 340 x 26

Bytes PreviewJpeg();  // JFIF with 300 x 300 dots per inch
Bytes FaceJpeg(bool lit);
Bytes TileBmp();
Bytes InstallerBmp();   // the installer's welcome and finish pages
Bytes IconIco();        // 32 x 32, 8-bit palette
Bytes ButtonHandCur();  // 32 x 32, 4-bit palette, hot spot (12, 1)
Bytes LinkHandCur();    // 32 x 32, 1-bit, hot spot (12, 10)

struct ArtFile {
  std::string name;  // file name under windows/resources/
  Bytes bytes;
};
// Every file the generator writes, in a fixed order.
std::vector<ArtFile> AllArtwork();

}  // namespace artgen
