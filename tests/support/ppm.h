// A picture read from a binary PPM file (P6, 8 bits a channel), the form
// screenshot tools write without compression.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace test {

class PpmPicture {
 public:
  // An empty picture (valid() false) when the file is missing or malformed.
  explicit PpmPicture(const std::filesystem::path& path);

  bool valid() const { return !pixels_.empty(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // The pixel at (x, y) as 0xRRGGBB.
  std::uint32_t at(int x, int y) const {
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

}  // namespace test
