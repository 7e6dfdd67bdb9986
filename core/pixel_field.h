// The saver's byte field: 256 columns x 258 rows of palette indices.
//
// Cell (x, y), x = 1..256, y = 1..258, lies at byte (x - 1) + 256 * (y - 1).
// Row 1 and row 258 are border rows around the displayed block (rows 2..257,
// the 256 x 256 pixel data of the bottom-up bitmap).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace varominea {

class ByteField {
 public:
  static constexpr int kColumns = 256;
  static constexpr int kRows = 258;
  static constexpr std::size_t kBytes = std::size_t{kColumns} * kRows;  // 66,048

  // Allocates a zero-filled field; nullptr when memory is short.
  static std::unique_ptr<ByteField> Allocate();

  std::uint8_t& at(int x, int y) { return bytes_[Offset(x, y)]; }
  std::uint8_t at(int x, int y) const { return bytes_[Offset(x, y)]; }
  std::uint8_t* data() { return bytes_; }
  const std::uint8_t* data() const { return bytes_; }

  static constexpr std::size_t Offset(int x, int y) {
    return static_cast<std::size_t>(x - 1) +
           std::size_t{kColumns} * static_cast<std::size_t>(y - 1);
  }

 private:
  ByteField() = default;
  alignas(64) std::uint8_t bytes_[kBytes] = {};
};

}  // namespace varominea
