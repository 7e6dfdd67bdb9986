// Prints how often the saver's picture flashes at a given pace, at worst:
//   flash_rate [--pattern square|ring] [--steps-per-second N] [--refresh HZ] [--seed S]
// See tools/flash_rate/flash_rate.h for what is counted, bench/README.md for
// the figures at each front end's pace.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/flash_rate/flash_rate.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: flash_rate [--pattern square|ring] [--steps-per-second N] "
               "[--refresh HZ] [--seed S]\n");
  return 2;
}

// A whole number 1..limit, or 0.
long Positive(const char* text, long limit) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && value >= 1 && value <= limit ? value : 0;
}

}  // namespace

int main(int argc, char** argv) {
  flashrate::Pattern pattern = flashrate::Pattern::Squares;
  long steps = 60;
  long refresh = 60;
  long seed = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return Usage();
    const char* value = argv[++i];
    if (option == "--pattern" && std::strcmp(value, "square") == 0) {
      pattern = flashrate::Pattern::Squares;
    } else if (option == "--pattern" && std::strcmp(value, "ring") == 0) {
      pattern = flashrate::Pattern::Rings;
    } else if (option == "--steps-per-second") {
      if ((steps = Positive(value, 100000)) == 0) return Usage();
    } else if (option == "--refresh") {
      if ((refresh = Positive(value, 1000)) == 0) return Usage();
    } else if (option == "--seed") {
      if ((seed = Positive(value, 0x7fffffffL)) == 0) return Usage();
    } else {
      return Usage();
    }
  }

  const flashrate::FlashReport report =
      flashrate::MeasureFlashes(pattern, {{static_cast<int>(steps), static_cast<int>(refresh)}},
                                static_cast<std::uint32_t>(seed))[0];
  std::printf(
      "%s pattern, %ld steps a second on a %ld Hz display, 1024 x 768, areas of %d x %d px\n",
      pattern == flashrate::Pattern::Squares ? "square" : "ring", steps, refresh,
      flashrate::kAreaWidth, flashrate::kAreaHeight);
  const auto line = [](const char* kind, const flashrate::Worst& worst) {
    std::printf("%s flashes per second: %.1f", kind, worst.flashes);
    if (worst.flashes > 0)
      std::printf(" (first in the area at %d, %d)", worst.at.left, worst.at.top);
    std::printf("\n");
  };
  line("general", report.general);
  line("red", report.red);
  std::printf("worst flashes per second: %.1f\n", report.worst);
  return 0;
}
