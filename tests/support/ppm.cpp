#include "tests/support/ppm.h"

#include <fstream>
#include <string>

namespace test {
namespace {

// The next number of the header, past white space and comments.
bool ReadNumber(std::istream& in, int& value) {
  for (;;) {
    const int c = in.peek();
    if (c == '#') {
      std::string comment;
      std::getline(in, comment);
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      in.get();
    } else {
      break;
    }
  }
  return static_cast<bool>(in >> value);
}

}  // namespace

PpmPicture::PpmPicture(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maximum = 0;
  if (!(in >> magic) || magic != "P6" || !ReadNumber(in, width) || !ReadNumber(in, height) ||
      !ReadNumber(in, maximum) || width <= 0 || height <= 0 || width > 32767 || height > 32767 ||
      maximum != 255) {
    return;
  }
  in.get();  // the one white-space character before the samples
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<unsigned char> bytes(count * 3);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    return;
  }
  pixels_.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    pixels_[i] = (std::uint32_t{bytes[3 * i]} << 16) | (std::uint32_t{bytes[3 * i + 1]} << 8) |
                 bytes[3 * i + 2];
  }
  width_ = width;
  height_ = height;
}

}  // namespace test
