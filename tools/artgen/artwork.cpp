#include "tools/artgen/artwork.h"

// jpeglib.h needs the size types declared first.
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace artgen {
namespace {

std::uint8_t Clamp8(double v) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// A small generator with a fixed seed: the same numbers on every machine.
class XorShift32 {
 public:
  explicit XorShift32(std::uint32_t seed) : state_(seed) {}
  std::uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  // Uniform in [-1, 1].
  double Signed() { return static_cast<double>(Next() % 20001u) / 10000.0 - 1.0; }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

 private:
  std::uint32_t state_;
};

struct Rgb {
  double r, g, b;
};

Rgb Mix(const Rgb& a, const Rgb& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Little-endian writers.
void Put8(Bytes& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFFu));
}
void Put16(Bytes& out, unsigned v) {
  Put8(out, v);
  Put8(out, v >> 8);
}
void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFFu);
  Put16(out, v >> 16);
}

void PutInfoHeader(Bytes& out, int width, int height, unsigned bit_count, std::uint32_t image_size,
                   std::uint32_t pixels_per_metre) {
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);  // planes
  Put16(out, bit_count);
  Put32(out, 0);  // BI_RGB
  Put32(out, image_size);
  Put32(out, pixels_per_metre);
  Put32(out, pixels_per_metre);
  Put32(out, 0);  // all colours of the bit depth are used
  Put32(out, 0);
}

// ------------------------------------------------------------ icon / cursor

constexpr int kIconSize = 32;

// A 32 x 32 picture of palette indices with a transparency mask.
struct IndexedIcon {
  std::array<std::uint8_t, kIconSize * kIconSize> index{};
  std::array<bool, kIconSize * kIconSize> transparent{};
};

// One image in an .ico or .cur file: header, palette, colour bits and mask,
// both bottom up. Cursors keep the hot spot where icons keep planes and depth.
Bytes EncodeIconFile(const IndexedIcon& icon, unsigned bit_count,
                     const std::vector<std::array<std::uint8_t, 3>>& palette, bool cursor,
                     int hot_x, int hot_y) {
  const unsigned colours = 1u << bit_count;
  const std::size_t xor_stride = ((kIconSize * bit_count + 31) / 32) * 4;
  const std::size_t and_stride = ((kIconSize + 31) / 32) * 4;
  const std::size_t xor_size = xor_stride * kIconSize;
  const std::size_t and_size = and_stride * kIconSize;
  const std::size_t image_size = 40 + colours * 4 + xor_size + and_size;

  Bytes out;
  Put16(out, 0);
  Put16(out, cursor ? 2 : 1);
  Put16(out, 1);  // one image
  Put8(out, kIconSize);
  Put8(out, kIconSize);
  Put8(out, colours >= 256 ? 0 : colours);
  Put8(out, 0);
  Put16(out, cursor ? static_cast<unsigned>(hot_x) : 1);
  Put16(out, cursor ? static_cast<unsigned>(hot_y) : bit_count);
  Put32(out, static_cast<std::uint32_t>(image_size));
  Put32(out, 6 + 16);

  // The height counts the colour bits and the mask together.
  PutInfoHeader(out, kIconSize, kIconSize * 2, bit_count,
                static_cast<std::uint32_t>(xor_size + and_size), 0);
  for (unsigned i = 0; i < colours; ++i) {
    const auto c = i < palette.size() ? palette[i] : std::array<std::uint8_t, 3>{0, 0, 0};
    Put8(out, c[2]);
    Put8(out, c[1]);
    Put8(out, c[0]);
    Put8(out, 0);
  }
  for (int y = kIconSize - 1; y >= 0; --y) {
    Bytes row(xor_stride, 0);
    for (int x = 0; x < kIconSize; ++x) {
      const std::size_t at = static_cast<std::size_t>(y * kIconSize + x);
      const unsigned v = icon.transparent[at] ? 0u : icon.index[at];
      const std::size_t bit = static_cast<std::size_t>(x) * bit_count;
      const unsigned shift = 8 - bit_count - static_cast<unsigned>(bit % 8);
      row[bit / 8] = static_cast<std::uint8_t>(row[bit / 8] | (v << shift));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = kIconSize - 1; y >= 0; --y) {
    Bytes row(and_stride, 0);
    for (int x = 0; x < kIconSize; ++x) {
      if (icon.transparent[static_cast<std::size_t>(y * kIconSize + x)]) {
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

// A pointing hand, index finger up, its tip at column 5..6 of row 0.
//   B outline   W white   S silver shade   C blue cuff   N navy cuff shade
constexpr std::string_view kHand[] = {
    ".....BB..........",  //
    "....BWWB.........",  //
    "....BWWB.........",  //
    "....BWWB.........",  //
    "....BWWB.........",  //
    "....BWWBBB.......",  //
    "....BWWBWWBBB....",  //
    "....BWWBWWBWWBB..",  //
    "....BWWBWWBWWBWB.",  //
    "BBB.BWWBWWBWWBWWB",  //
    "BWWBBWWWWWWWWWWSB",  //
    "BWWWBWWWWWWWWWWSB",  //
    ".BWWWWWWWWWWWWWSB",  //
    ".BWWWWWWWWWWWWWSB",  //
    "..BWWWWWWWWWWWWSB",  //
    "..BWWWWWWWWWWWSB.",  //
    "...BWWWWWWWWWWSB.",  //
    "...BWWWWWWWWWSB..",  //
    "....BWWWWWWWWSB..",  //
    "....BWWWWWWWWSB..",  //
    "....BBBBBBBBBBB..",  //
};
constexpr std::string_view kCuff[] = {
    "....BCCCCCCCCNB..",  //
    "....BCCCCCCCCNB..",  //
    "....BNNNNNNNNNB..",  //
    "....BBBBBBBBBBB..",  //
};
constexpr int kHandTipColumn = 5;

// Draws the template rows at (left, top) through a map from its letters to
// palette indices; '.' stays transparent.
template <std::size_t N, typename Map>
void DrawTemplate(IndexedIcon& icon, const std::string_view (&rows)[N], int left, int top,
                  Map&& map) {
  for (std::size_t r = 0; r < N; ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      if (rows[r][c] == '.') continue;
      const int x = left + static_cast<int>(c);
      const int y = top + static_cast<int>(r);
      if (x < 0 || y < 0 || x >= kIconSize || y >= kIconSize) continue;
      const std::size_t at = static_cast<std::size_t>(y * kIconSize + x);
      icon.transparent[at] = false;
      icon.index[at] = map(rows[r][c]);
    }
  }
}

IndexedIcon EmptyIcon() {
  IndexedIcon icon;
  icon.transparent.fill(true);
  return icon;
}

}  // namespace

void RgbImage::Set(int x, int y, int r, int g, int b) {
  const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                          static_cast<std::size_t>(x)) *
                         3;
  rgb[at] = Clamp8(r);
  rgb[at + 1] = Clamp8(g);
  rgb[at + 2] = Clamp8(b);
}

Bytes EncodeJpeg(const RgbImage& image, const JpegOptions& options) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);  // a failure prints a message and exits
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);

  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  cinfo.dct_method = JDCT_ISLOW;  // exact integer transform: the same bytes everywhere
  jpeg_set_quality(&cinfo, options.quality, TRUE);  // baseline quantisation tables
  cinfo.optimize_coding = TRUE;                     // still baseline sequential
  cinfo.write_JFIF_header = TRUE;
  cinfo.JFIF_major_version = 1;
  cinfo.JFIF_minor_version = 1;
  cinfo.density_unit = static_cast<UINT8>(options.density_unit);
  cinfo.X_density = static_cast<UINT16>(options.x_density);
  cinfo.Y_density = static_cast<UINT16>(options.y_density);
  if (options.full_chroma) {
    for (int i = 0; i < 3; ++i) {
      cinfo.comp_info[i].h_samp_factor = 1;
      cinfo.comp_info[i].v_samp_factor = 1;
    }
  }
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(image.width) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const auto* src = image.rgb.data() + static_cast<std::size_t>(cinfo.next_scanline) * row.size();
    std::copy(src, src + row.size(), row.begin());
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

Bytes EncodeBmp24(const RgbImage& image) {
  const std::size_t stride = (static_cast<std::size_t>(image.width) * 3 + 3) & ~std::size_t{3};
  const std::size_t bits = stride * static_cast<std::size_t>(image.height);
  Bytes out;
  Put8(out, 'B');
  Put8(out, 'M');
  Put32(out, static_cast<std::uint32_t>(14 + 40 + bits));
  Put32(out, 0);
  Put32(out, 14 + 40);
  PutInfoHeader(out, image.width, image.height, 24, static_cast<std::uint32_t>(bits),
                3780);  // 96 dots per inch
  for (int y = image.height - 1; y >= 0; --y) {
    const std::size_t start = out.size();
    for (int x = 0; x < image.width; ++x) {
      const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                              static_cast<std::size_t>(x)) *
                             3;
      Put8(out, image.rgb[at + 2]);
      Put8(out, image.rgb[at + 1]);
      Put8(out, image.rgb[at]);
    }
    out.resize(start + stride, 0);
  }
  return out;
}

// Concentric rectangles with the picture's proportions: green at the edge,
// through cyan, blue and violet to magenta, and a dark middle. A faint ripple
// lets the single rectangles show.
namespace {
RgbImage ConcentricImage(int width, int height) {
  struct Stop {
    double at;  // 0 in the middle, 1 at the edge
    Rgb colour;
  };
  static constexpr Stop kStops[] = {
      {0.00, {8, 0, 12}},    {0.13, {20, 4, 28}},    {0.26, {225, 30, 200}}, {0.42, {140, 40, 225}},
      {0.58, {30, 60, 230}}, {0.78, {20, 200, 210}}, {1.00, {30, 190, 40}},
  };
  RgbImage image(width, height);
  const double cx = (width - 1) / 2.0;
  const double cy = (height - 1) / 2.0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double u = std::min(1.0, std::max(std::abs(x - cx) / cx, std::abs(y - cy) / cy));
      std::size_t i = 1;
      while (i + 1 < std::size(kStops) && u > kStops[i].at) ++i;
      const Stop& a = kStops[i - 1];
      const Stop& b = kStops[i];
      const Rgb c = Mix(a.colour, b.colour, (u - a.at) / (b.at - a.at));
      const double ripple = 1.0 + 0.07 * std::cos(u * 2.0 * 3.14159265358979 * 9.0);
      image.Set(x, y, static_cast<int>(std::lround(c.r * ripple)),
                static_cast<int>(std::lround(c.g * ripple)),
                static_cast<int>(std::lround(c.b * ripple)));
    }
  }
  return image;
}
}  // namespace

// The preview frame's picture.
RgbImage PreviewImage() {
  return ConcentricImage(208, 158);
}

// The installer's welcome and finish pages show a tall picture at their left:
// the preview's rectangles drawn to that page's proportions.
RgbImage InstallerImage() {
  return ConcentricImage(164, 314);
}

// A chrome bar in a black frame: a bright top half falling to a dark
// horizon line, a lighter bottom half; the lit face adds a yellow-green strip
// along the lower edge.
RgbImage FaceImage(bool lit) {
  constexpr int kWidth = 95;
  constexpr int kHeight = 20;
  constexpr int kFrame = 2;  // black outer line and a dark inner line
  RgbImage image(kWidth, kHeight);
  const double inner_height = kHeight - 2 * kFrame;
  const double cx = (kWidth - 1) / 2.0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int edge = std::min(std::min(x, kWidth - 1 - x), std::min(y, kHeight - 1 - y));
      if (edge == 0) {
        image.Set(x, y, 0, 0, 0);
        continue;
      }
      if (edge < kFrame) {
        image.Set(x, y, 34, 34, 38);
        continue;
      }
      const double v = (y - kFrame + 0.5) / inner_height;
      double level;
      if (v < 0.47) {
        level = 252 - (252 - 178) * (v / 0.47);
      } else {
        level = 118 + (218 - 118) * ((v - 0.47) / 0.53);
      }
      const double end_shade = 1.0 - 0.10 * std::pow(std::abs(x - cx) / cx, 6.0);
      level *= end_shade;
      image.Set(x, y, static_cast<int>(std::lround(level - 4)),
                static_cast<int>(std::lround(level)), static_cast<int>(std::lround(level + 8)));
    }
  }
  if (lit) {
    static constexpr std::array<std::array<int, 3>, 3> kStrip = {
        {{150, 205, 20}, {196, 245, 48}, {140, 190, 18}}};
    for (int row = 0; row < 3; ++row) {
      const int y = kHeight - kFrame - 3 + row;
      for (int x = kFrame; x < kWidth - kFrame; ++x) {
        image.Set(x, y, kStrip[static_cast<std::size_t>(row)][0],
                  kStrip[static_cast<std::size_t>(row)][1],
                  kStrip[static_cast<std::size_t>(row)][2]);
      }
    }
  }
  return image;
}

// Pale grey brushed metal: every row has its own brightness, and noise
// smoothed along the row draws fine horizontal streaks. The rows wrap, so
// copies side by side meet without a seam.
RgbImage TileImage() {
  constexpr int kWidth = 340;
  constexpr int kHeight = 26;
  constexpr int kSmooth = 15;  // half-length of the smoothing along a row
  XorShift32 random(0x5EED71E5u);
  RgbImage image(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    const double row_level = 206 + 5 * random.Signed();
    std::vector<double> noise(kWidth);
    for (double& n : noise) n = random.Signed();
    // Occasional brighter or darker scratches.
    const int scratches = 1 + random.Below(3);
    std::vector<double> scratch(kWidth, 0.0);
    for (int s = 0; s < scratches; ++s) {
      const int start = random.Below(kWidth);
      const int length = 20 + random.Below(70);
      const double strength = 9 * random.Signed();
      for (int i = 0; i < length; ++i)
        scratch[static_cast<std::size_t>((start + i) % kWidth)] += strength;
    }
    for (int x = 0; x < kWidth; ++x) {
      double sum = 0;
      for (int k = -kSmooth; k <= kSmooth; ++k) {
        sum += noise[static_cast<std::size_t>((x + k + kWidth) % kWidth)];
      }
      const double streak = sum / (2 * kSmooth + 1) * 22;  // about +-5 levels
      const double grain = 2.0 * random.Signed();
      const double level = row_level + streak + grain + scratch[static_cast<std::size_t>(x)];
      image.Set(x, y, static_cast<int>(std::lround(level - 2)),
                static_cast<int>(std::lround(level)), static_cast<int>(std::lround(level + 3)));
    }
  }
  return image;
}

Bytes PreviewJpeg() {
  JpegOptions options;
  options.quality = 80;
  options.density_unit = 1;
  options.x_density = 300;
  options.y_density = 300;
  return EncodeJpeg(PreviewImage(), options);
}

Bytes FaceJpeg(bool lit) {
  JpegOptions options;
  options.quality = 92;
  options.full_chroma = true;  // keeps the strip and the frame crisp
  return EncodeJpeg(FaceImage(lit), options);
}

Bytes TileBmp() {
  return EncodeBmp24(TileImage());
}

Bytes InstallerBmp() {
  return EncodeBmp24(InstallerImage());
}

// Nested squares, two pixels each, from red at the edge through yellow and
// green to blue in the middle; the outer line of each square is a shade
// darker so that the squares stand apart.
Bytes IconIco() {
  static constexpr Rgb kBands[8] = {
      {220, 0, 0},  {245, 100, 0}, {250, 215, 0}, {165, 215, 0},
      {0, 175, 30}, {0, 160, 130}, {0, 95, 225},  {0, 20, 200},
  };
  std::vector<std::array<std::uint8_t, 3>> palette;
  for (const Rgb& c : kBands) {
    for (const double shade : {0.72, 1.0}) {
      palette.push_back({Clamp8(c.r * shade), Clamp8(c.g * shade), Clamp8(c.b * shade)});
    }
  }
  IndexedIcon icon;
  for (int y = 0; y < kIconSize; ++y) {
    for (int x = 0; x < kIconSize; ++x) {
      const int ring = std::min(std::min(x, kIconSize - 1 - x), std::min(y, kIconSize - 1 - y));
      const int band = ring / 2;
      const int inner = ring % 2;
      icon.index[static_cast<std::size_t>(y * kIconSize + x)] =
          static_cast<std::uint8_t>(band * 2 + inner);
    }
  }
  return EncodeIconFile(icon, 8, palette, false, 0, 0);
}

Bytes ButtonHandCur() {
  // The sixteen classic colours.
  const std::vector<std::array<std::uint8_t, 3>> palette = {
      {{0, 0, 0}},       {{128, 0, 0}},   {{0, 128, 0}},   {{128, 128, 0}},
      {{0, 0, 128}},     {{128, 0, 128}}, {{0, 128, 128}}, {{192, 192, 192}},
      {{128, 128, 128}}, {{255, 0, 0}},   {{0, 255, 0}},   {{255, 255, 0}},
      {{0, 0, 255}},     {{255, 0, 255}}, {{0, 255, 255}}, {{255, 255, 255}},
  };
  constexpr int kHotX = 12;
  constexpr int kHotY = 1;
  auto map = [](char c) -> std::uint8_t {
    switch (c) {
      case 'W':
        return 15;
      case 'S':
        return 7;
      case 'C':
        return 12;
      case 'N':
        return 4;
      default:
        return 0;
    }
  };
  IndexedIcon icon = EmptyIcon();
  const int left = kHotX - kHandTipColumn;
  DrawTemplate(icon, kHand, left, kHotY, map);
  DrawTemplate(icon, kCuff, left, kHotY + static_cast<int>(std::size(kHand)) - 1, map);
  return EncodeIconFile(icon, 4, palette, true, kHotX, kHotY);
}

Bytes LinkHandCur() {
  const std::vector<std::array<std::uint8_t, 3>> palette = {{{0, 0, 0}}, {{255, 255, 255}}};
  constexpr int kHotX = 12;
  constexpr int kHotY = 10;
  IndexedIcon icon = EmptyIcon();
  DrawTemplate(icon, kHand, kHotX - kHandTipColumn, kHotY,
               [](char c) -> std::uint8_t { return c == 'B' ? 0 : 1; });
  return EncodeIconFile(icon, 1, palette, true, kHotX, kHotY);
}

std::vector<ArtFile> AllArtwork() {
  return {
      {"preview.jpg", PreviewJpeg()},   {"face_off.jpg", FaceJpeg(false)},
      {"face_on.jpg", FaceJpeg(true)},  {"tile.bmp", TileBmp()},
      {"varominea.ico", IconIco()},     {"button_hand.cur", ButtonHandCur()},
      {"link_hand.cur", LinkHandCur()}, {"installer.bmp", InstallerBmp()},
  };
}

}  // namespace artgen
