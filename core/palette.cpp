#include <array>
#include <cstdint>

#include "core/dib_header.h"

namespace varominea {
namespace {

struct Rgb {
  int red;
  int green;
  int blue;
};

// The table walks around these eight colours in legs of kLegSteps steps,
// each changing channel moving by kStep per step (48 + 22 * 8 = 224).
constexpr std::array<Rgb, 8> kCorners = {{
    {48, 48, 48},     // grey
    {224, 48, 224},   // magenta
    {48, 48, 224},    // blue
    {48, 224, 224},   // cyan
    {48, 224, 48},    // green
    {224, 224, 224},  // light grey
    {224, 224, 48},   // yellow
    {224, 48, 48},    // red
}};
constexpr int kLegSteps = 22;
constexpr int kStep = 8;
constexpr int kCycleStart = 178;  // entries from here on repeat entry i - 178

constexpr int Toward(int from, int to, int steps) {
  if (to > from) return from + kStep * steps;
  if (to < from) return from - kStep * steps;
  return from;
}

constexpr Rgb Entry(int i) {
  if (i >= kCycleStart) return Entry(i - kCycleStart);
  if (i == kCycleStart - 1) {
    // One step past the grey corner on the red leg: red 8 below it.
    return Rgb{kCorners[0].red - kStep, kCorners[0].green, kCorners[0].blue};
  }
  const int leg = i == 8 * kLegSteps ? 7 : i / kLegSteps;
  const int steps = i - kLegSteps * leg;
  const Rgb from = kCorners[static_cast<std::size_t>(leg)];
  const Rgb to = kCorners[static_cast<std::size_t>((leg + 1) % 8)];
  return Rgb{Toward(from.red, to.red, steps), Toward(from.green, to.green, steps),
             Toward(from.blue, to.blue, steps)};
}

constexpr std::array<RgbQuad, 256> MakeTable() {
  std::array<RgbQuad, 256> table{};
  for (int i = 0; i < 256; ++i) {
    const Rgb c = Entry(i);
    table[static_cast<std::size_t>(i)] =
        RgbQuad{static_cast<std::uint8_t>(c.blue), static_cast<std::uint8_t>(c.green),
                static_cast<std::uint8_t>(c.red), 0};
  }
  return table;
}

constexpr std::array<RgbQuad, 256> kColourTable = MakeTable();

}  // namespace

void ReadPAL_Newton(DibHeaderRecord& dib) {
  for (std::size_t i = 0; i < kColourTable.size(); ++i) dib.bmiColors[i] = kColourTable[i];
}

void FillDibHeader(DibHeaderRecord& dib, const KernelParamBlock& params) {
  BitmapInfoHeader& h = dib.bmiHeader;
  h.biSize = sizeof(BitmapInfoHeader);  // 40
  h.biWidth = params.Width;
  h.biHeight = params.Height;  // positive: bottom-up rows
  h.biPlanes = 1;
  h.biBitCount = 8;
  h.biCompression = 0;  // BI_RGB
  h.biSizeImage = 0;
  h.biXPelsPerMeter = 0;
  h.biYPelsPerMeter = 0;
  h.biClrUsed = 0;
  h.biClrImportant = 0;
}

}  // namespace varominea
