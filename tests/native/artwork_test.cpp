// The committed artwork: a fresh run of the generator gives the same bytes,
// and every file has the format the program's resources promise.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tools/artgen/artwork.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& name) {
  std::ifstream in(std::string(VAROMINEA_RESOURCES_DIR) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned U16(const Bytes& b, std::size_t at) {
  return at + 2 <= b.size() ? static_cast<unsigned>(b[at] | (b[at + 1] << 8)) : 0xFFFFFFFFu;
}
std::uint32_t U32(const Bytes& b, std::size_t at) {
  return at + 4 <= b.size() ? U16(b, at) | (std::uint32_t{U16(b, at + 2)} << 16) : 0xFFFFFFFFu;
}
unsigned Be16(const Bytes& b, std::size_t at) {
  return at + 2 <= b.size() ? static_cast<unsigned>((b[at] << 8) | b[at + 1]) : 0xFFFFFFFFu;
}

TEST(ArtworkTest, GeneratorReproducesEveryCommittedFileByteForByte) {
  const std::vector<artgen::ArtFile> fresh = artgen::AllArtwork();
  ASSERT_EQ(fresh.size(), 7u);
  for (const artgen::ArtFile& file : fresh) {
    const Bytes committed = ReadFile(file.name);
    ASSERT_FALSE(committed.empty()) << file.name << " is missing";
    EXPECT_TRUE(committed == file.bytes)
        << file.name << " differs from a fresh run (" << committed.size() << " committed bytes, "
        << file.bytes.size() << " generated): rerun tools/artgen";
  }
}

// What the markers of a JPEG file say.
struct JpegFacts {
  int jfif_major = -1;
  int jfif_minor = -1;
  int density_unit = -1;
  unsigned x_density = 0;
  unsigned y_density = 0;
  int frame_marker = -1;  // 0xC0 for baseline sequential
  int frames = 0;
  unsigned width = 0;
  unsigned height = 0;
  int components = 0;
  int precision = 0;
  bool ends_with_eoi = false;
};

std::optional<JpegFacts> ReadJpeg(const Bytes& b) {
  if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) return std::nullopt;
  JpegFacts facts;
  facts.ends_with_eoi = b[b.size() - 2] == 0xFF && b[b.size() - 1] == 0xD9;
  std::size_t at = 2;
  while (at + 4 <= b.size()) {
    if (b[at] != 0xFF) return std::nullopt;
    const int marker = b[at + 1];
    const std::size_t length = Be16(b, at + 2);
    if (at + 2 + length > b.size()) return std::nullopt;
    const std::size_t body = at + 4;
    if (marker == 0xE0 && length >= 16 &&
        std::string(b.begin() + body, b.begin() + body + 5) == std::string("JFIF\0", 5)) {
      facts.jfif_major = b[body + 5];
      facts.jfif_minor = b[body + 6];
      facts.density_unit = b[body + 7];
      facts.x_density = Be16(b, body + 8);
      facts.y_density = Be16(b, body + 10);
    }
    // Start-of-frame markers: C0..CF except DHT (C4), JPG (C8) and DAC (CC).
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      ++facts.frames;
      facts.frame_marker = marker;
      facts.precision = b[body];
      facts.height = Be16(b, body + 1);
      facts.width = Be16(b, body + 3);
      facts.components = b[body + 5];
    }
    if (marker == 0xDA) break;  // entropy-coded data follows
    at += 2 + length;
  }
  return facts;
}

TEST(ArtworkTest, JpegPicturesAreBaselineJfifWithThreeComponents) {
  struct Case {
    const char* name;
    unsigned width;
    unsigned height;
    int density_unit;  // 1: dots per inch; 0: aspect ratio only
    unsigned density;
  };
  for (const Case c : {Case{"preview.jpg", 208, 158, 1, 300}, Case{"face_off.jpg", 95, 20, 0, 1},
                       Case{"face_on.jpg", 95, 20, 0, 1}}) {
    SCOPED_TRACE(c.name);
    const auto facts = ReadJpeg(ReadFile(c.name));
    ASSERT_TRUE(facts.has_value()) << "not a readable JPEG";
    EXPECT_EQ(facts->jfif_major, 1);
    EXPECT_EQ(facts->jfif_minor, 1);
    EXPECT_EQ(facts->density_unit, c.density_unit);
    EXPECT_EQ(facts->x_density, c.density);
    EXPECT_EQ(facts->y_density, c.density);
    EXPECT_EQ(facts->frames, 1);
    EXPECT_EQ(facts->frame_marker, 0xC0) << "not baseline sequential";
    EXPECT_EQ(facts->precision, 8);
    EXPECT_EQ(facts->width, c.width);
    EXPECT_EQ(facts->height, c.height);
    EXPECT_EQ(facts->components, 3);
    EXPECT_TRUE(facts->ends_with_eoi);
  }
}

TEST(ArtworkTest, TileIsA24BitBitmapOf340By26) {
  const Bytes b = ReadFile("tile.bmp");
  ASSERT_GE(b.size(), 54u);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(U32(b, 2), b.size());
  EXPECT_EQ(U32(b, 10), 54u);
  EXPECT_EQ(U32(b, 14), 40u);
  EXPECT_EQ(U32(b, 18), 340u);
  EXPECT_EQ(U32(b, 22), 26u);  // positive: bottom-up rows
  EXPECT_EQ(U16(b, 26), 1u);
  EXPECT_EQ(U16(b, 28), 24u);
  EXPECT_EQ(U32(b, 30), 0u);  // uncompressed
  EXPECT_EQ(b.size(), 54u + 1020u * 26u);
  // Pale grey: every sample light, and the three channels close together.
  for (std::size_t at = 54; at + 3 <= b.size(); at += 3) {
    const int blue = b[at], green = b[at + 1], red = b[at + 2];
    ASSERT_GE(std::min({red, green, blue}), 170) << "at byte " << at;
    ASSERT_LE(std::max({red, green, blue}) - std::min({red, green, blue}), 8) << "at byte " << at;
  }
}

// The directory entry and image header of a one-image .ico or .cur file.
struct IconFacts {
  unsigned type;  // 1 icon, 2 cursor
  unsigned count;
  unsigned width, height, colour_count;
  unsigned field_a, field_b;  // icons: planes and depth; cursors: hot spot x and y
  std::uint32_t size, offset;
  std::uint32_t header_size, header_width, header_height;
  unsigned planes, bit_count;
};

IconFacts ReadIcon(const Bytes& b) {
  IconFacts f{};
  f.type = U16(b, 2);
  f.count = U16(b, 4);
  if (b.size() >= 22) {
    f.width = b[6];
    f.height = b[7];
    f.colour_count = b[8];
  }
  f.field_a = U16(b, 10);
  f.field_b = U16(b, 12);
  f.size = U32(b, 14);
  f.offset = U32(b, 18);
  f.header_size = U32(b, f.offset);
  f.header_width = U32(b, f.offset + 4);
  f.header_height = U32(b, f.offset + 8);
  f.planes = U16(b, f.offset + 12);
  f.bit_count = U16(b, f.offset + 14);
  return f;
}

TEST(ArtworkTest, IconAndCursorsHaveTheirDepthsAndHotSpots) {
  struct Case {
    const char* name;
    unsigned type;
    unsigned bit_count;
    unsigned colour_count;  // in the directory entry; 0 stands for 256
    unsigned hot_x, hot_y;  // cursors only
  };
  for (const Case c :
       {Case{"varominea.ico", 1, 8, 0, 0, 0}, Case{"button_hand.cur", 2, 4, 16, 12, 1},
        Case{"link_hand.cur", 2, 1, 2, 12, 10}}) {
    SCOPED_TRACE(c.name);
    const Bytes b = ReadFile(c.name);
    const IconFacts f = ReadIcon(b);
    EXPECT_EQ(U16(b, 0), 0u);
    EXPECT_EQ(f.type, c.type);
    EXPECT_EQ(f.count, 1u);
    EXPECT_EQ(f.width, 32u);
    EXPECT_EQ(f.height, 32u);
    EXPECT_EQ(f.colour_count, c.colour_count);
    if (c.type == 2) {
      EXPECT_EQ(f.field_a, c.hot_x);
      EXPECT_EQ(f.field_b, c.hot_y);
    } else {
      EXPECT_EQ(f.field_a, 1u);
      EXPECT_EQ(f.field_b, c.bit_count);
    }
    EXPECT_EQ(f.offset, 22u);
    EXPECT_EQ(std::size_t{f.offset} + f.size, b.size());
    EXPECT_EQ(f.header_size, 40u);
    EXPECT_EQ(f.header_width, 32u);
    EXPECT_EQ(f.header_height, 64u);  // colour bits and mask
    EXPECT_EQ(f.planes, 1u);
    EXPECT_EQ(f.bit_count, c.bit_count);
    // Header, full palette, colour rows and mask rows (rows padded to 4 bytes).
    const std::size_t xor_stride = ((32 * c.bit_count + 31) / 32) * 4;
    EXPECT_EQ(f.size, 40u + (1u << c.bit_count) * 4u + xor_stride * 32u + 4u * 32u);
  }
}

TEST(ArtworkTest, CursorHotSpotsLieOnTheFingertip) {
  // The hot spot must be an opaque pixel of the hand, with only transparent
  // pixels above it: the very tip of the finger.
  for (const char* name : {"button_hand.cur", "link_hand.cur"}) {
    SCOPED_TRACE(name);
    const Bytes b = ReadFile(name);
    const IconFacts f = ReadIcon(b);
    const std::size_t xor_size = ((32 * f.bit_count + 31) / 32) * 4 * 32;
    const std::size_t mask = f.offset + 40 + (std::size_t{1} << f.bit_count) * 4 + xor_size;
    auto transparent = [&](unsigned x, unsigned y) {
      const std::size_t row = mask + (31 - y) * 4;  // bottom-up
      return (b.at(row + x / 8) & (0x80u >> (x % 8))) != 0;
    };
    EXPECT_FALSE(transparent(f.field_a, f.field_b));
    for (unsigned y = 0; y < f.field_b; ++y) EXPECT_TRUE(transparent(f.field_a, y)) << "row " << y;
  }
}

}  // namespace
