// The committed artwork: a fresh run of the generator gives the same bytes,
// and every file has the format the program's resources promise.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/artgen/artwork.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& name) {
  std::ifstream in(std::string(VAROMINEA_RESOURCES_DIR) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Little- and big-endian fields; all ones past the end.
unsigned U16(const Bytes& b, std::size_t at) {
  return at + 2 <= b.size() ? static_cast<unsigned>(b[at] | (b[at + 1] << 8)) : 0xFFFFFFFFu;
}
unsigned U32(const Bytes& b, std::size_t at) {
  return at + 4 <= b.size() ? U16(b, at) | (U16(b, at + 2) << 16) : 0xFFFFFFFFu;
}
unsigned Be16(const Bytes& b, std::size_t at) {
  return at + 2 <= b.size() ? static_cast<unsigned>((b[at] << 8) | b[at + 1]) : 0xFFFFFFFFu;
}

TEST(ArtworkTest, GeneratorReproducesEveryCommittedFileByteForByte) {
  const std::vector<artgen::ArtFile> fresh = artgen::AllArtwork();
  ASSERT_EQ(fresh.size(), 8u);
  for (const artgen::ArtFile& file : fresh) {
    const Bytes committed = ReadFile(file.name);
    EXPECT_TRUE(committed == file.bytes)
        << file.name << " differs from a fresh run (" << committed.size() << " committed bytes, "
        << file.bytes.size() << " generated): rerun tools/artgen";
  }
}

// JFIF version, density unit, x and y density, then per frame marker its
// marker, precision, height, width and components; up to the scan.
std::vector<unsigned> JpegFacts(const Bytes& b) {
  std::vector<unsigned> facts;
  if (b.size() < 4 || Be16(b, 0) != 0xFFD8 || Be16(b, b.size() - 2) != 0xFFD9) return {};
  std::size_t at = 2;
  for (; at + 4 <= b.size() && b[at] == 0xFF && b[at + 1] != 0xDA; at += 2 + Be16(b, at + 2)) {
    const unsigned marker = b[at + 1];
    const std::size_t body = at + 4;
    if (at + 2 + Be16(b, at + 2) > b.size()) return {};
    if (marker == 0xE0 && Be16(b, at + 2) >= 16 &&
        std::string(b.begin() + body, b.begin() + body + 5) == std::string("JFIF", 5)) {
      facts.insert(facts.end(),
                   {b[body + 5], b[body + 6], b[body + 7], Be16(b, body + 8), Be16(b, body + 10)});
    }
    // Start-of-frame markers: C0..CF except DHT (C4), JPG (C8) and DAC (CC).
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      facts.insert(facts.end(),
                   {marker, b[body], Be16(b, body + 1), Be16(b, body + 3), b[body + 5]});
    }
  }
  return at + 2 <= b.size() && Be16(b, at) == 0xFFDA ? facts : std::vector<unsigned>{};
}

TEST(ArtworkTest, JpegPicturesAreBaselineJfif11WithThreeComponents) {
  const struct {
    const char* name;
    std::vector<unsigned> facts;
  } cases[] = {{"preview.jpg", {1, 1, 1, 300, 300, 0xC0, 8, 158, 208, 3}},
               {"face_off.jpg", {1, 1, 0, 1, 1, 0xC0, 8, 20, 95, 3}},
               {"face_on.jpg", {1, 1, 0, 1, 1, 0xC0, 8, 20, 95, 3}}};
  for (const auto& c : cases) EXPECT_EQ(JpegFacts(ReadFile(c.name)), c.facts) << c.name;
}

// Uncompressed 24-bit bottom-up bitmaps of the sizes their users draw them
// at without stretching: the dialog's tile, pale grey brushed metal; the
// installer's page picture (164 x 314 is that page's own size), the preview's
// rectangles with the same green edge and dark middle.
TEST(ArtworkTest, BitmapsAre24BitOfTheirSizeAndColours) {
  struct Pixel {
    int x, y;  // top-down
  };
  const struct {
    const char* name;
    unsigned width, height;
    bool (*colour_ok)(const std::uint8_t* bgr, Pixel at);
  } cases[] = {
      {"tile.bmp", 340, 26,
       [](const std::uint8_t* bgr, Pixel) {
         const auto [low, high] = std::minmax({bgr[0], bgr[1], bgr[2]});
         return low >= 170 && high - low <= 8;
       }},
      {"installer.bmp", 164, 314,
       [](const std::uint8_t* bgr, Pixel at) {
         const bool edge = at.x == 0 || at.y == 0 || at.x == 163 || at.y == 313;
         const bool middle = (at.x == 81 || at.x == 82) && (at.y == 156 || at.y == 157);
         if (edge) return bgr[1] > 150 && bgr[0] < 80 && bgr[2] < 80;  // green
         if (middle) return bgr[0] < 30 && bgr[1] < 30 && bgr[2] < 30;
         return true;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes b = ReadFile(c.name);
    const std::size_t stride = (c.width * 3 + 3) / 4 * 4;
    ASSERT_EQ(b.size(), 54u + stride * c.height);
    // Signature, file size, pixel offset, header size, width, height (bottom-up),
    // planes, depth, no compression.
    EXPECT_EQ((std::vector<unsigned>{U16(b, 0), U32(b, 2), U32(b, 10), U32(b, 14), U32(b, 18),
                                     U32(b, 22), U16(b, 26), U16(b, 28), U32(b, 30)}),
              (std::vector<unsigned>{0x4D42, static_cast<unsigned>(b.size()), 54, 40, c.width,
                                     c.height, 1, 24, 0}));
    for (unsigned y = 0; y < c.height; ++y) {
      for (unsigned x = 0; x < c.width; ++x) {
        const std::size_t at = 54 + (c.height - 1 - y) * stride + x * 3;
        ASSERT_TRUE(c.colour_ok(&b[at], {static_cast<int>(x), static_cast<int>(y)}))
            << "at " << x << ", " << y;
      }
    }
  }
}

// One-image .ico / .cur: directory entry, image header and sizes; a cursor's
// hot spot is an opaque pixel with only transparent ones above it.
TEST(ArtworkTest, IconAndCursorsHaveTheirDepthsAndHotSpots) {
  const struct {
    const char* name;
    unsigned type, bit_count, colour_count;  // 0 colours stands for 256
    unsigned field_a, field_b;               // icon: planes, depth; cursor: hot spot
  } cases[] = {{"varominea.ico", 1, 8, 0, 1, 8},
               {"button_hand.cur", 2, 4, 16, 12, 1},
               {"link_hand.cur", 2, 1, 2, 12, 10}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes b = ReadFile(c.name);
    ASSERT_GE(b.size(), 62u);
    const std::size_t xor_size = ((32 * c.bit_count + 31) / 32) * 4 * 32;
    const std::size_t size = 40u + (1u << c.bit_count) * 4u + xor_size + 4u * 32u;
    EXPECT_EQ((std::vector<unsigned>{U16(b, 0), U16(b, 2), U16(b, 4), b[6], b[7], b[8], U16(b, 10),
                                     U16(b, 12), U32(b, 14), U32(b, 18)}),
              (std::vector<unsigned>{0, c.type, 1, 32, 32, c.colour_count, c.field_a, c.field_b,
                                     static_cast<unsigned>(size), 22}));
    ASSERT_EQ(b.size(), 22 + size);
    EXPECT_EQ((std::vector<unsigned>{U32(b, 22), U32(b, 26), U32(b, 30), U16(b, 34), U16(b, 36)}),
              (std::vector<unsigned>{40, 32, 64, 1, c.bit_count}));  // height: colour and mask
    if (c.type != 2) continue;
    const std::size_t mask = 22 + size - 4 * 32;
    auto transparent = [&](unsigned x, unsigned y) {
      return (b.at(mask + (31 - y) * 4 + x / 8) & (0x80u >> (x % 8))) != 0;  // bottom-up
    };
    EXPECT_FALSE(transparent(c.field_a, c.field_b));
    for (unsigned y = 0; y < c.field_b; ++y) EXPECT_TRUE(transparent(c.field_a, y)) << y;
  }
}

}  // namespace
