// Writes the program's artwork into a folder (by default windows/resources/ of the
// source tree): tools/artgen OUTPUT_FOLDER
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/artgen/artwork.h"

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : ARTGEN_DEFAULT_OUTPUT;
  for (const artgen::ArtFile& file : artgen::AllArtwork()) {
    const std::string path = folder + "/" + file.name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.bytes.data()),
              static_cast<std::streamsize>(file.bytes.size()));
    if (!out) {
      std::fprintf(stderr, "artgen: cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s: %zu bytes\n", path.c_str(), file.bytes.size());
  }
  return 0;
}
