// How often the saver's picture flashes, by WCAG's general-flash and
// red-flash definitions (its "three flashes or below threshold" criterion):
// relative luminance from sRGB; a flash is a pair of opposing changes,
// counted over an area of a quarter of a 10-degree field (341 x 256 px on a
// 1024 x 768 screen) from the mean light the area gives.
//
// The frames are the core's own: the pattern source's field, the colour
// table and the frame step, enlarged over a 1024 x 768 screen by the blit's
// geometry. A display of `refresh_hz` shows at each refresh the latest step
// completed by then.
#pragma once

#include <cstdint>
#include <vector>

namespace flashrate {

// A colour as light: each channel 0..1, the sRGB value with its transfer
// curve undone. The mean of several such colours is the light they give
// together.
struct Light {
  double red = 0;
  double green = 0;
  double blue = 0;
};

double LinearFromSrgb(std::uint8_t value);
Light LightOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
// 0.2126 R + 0.7152 G + 0.0722 B.
double RelativeLuminance(const Light& light);
// (R - G - B) x 320, negative values as 0.
double RedValue(const Light& light);
// R / (R + G + B) >= 0.8; black is no red.
bool SaturatedRed(const Light& light);

// Follows one quantity state by state and tells at which state a change of
// it is counted. A change runs from one turning point (the extreme the
// quantity reached before it turned) until it turns again by the threshold
// or more; small wobbles inside a change are not changes. It is counted
// once, at the first state where it has come to the threshold (beyond it,
// with `strict`) and either its turning point or that state qualifies.
class ChangeCounter {
 public:
  ChangeCounter(double threshold, bool strict) : threshold_(threshold), strict_(strict) {}
  // The next state; true when a change is counted at it.
  bool Add(double value, bool qualifies);

 private:
  bool Reaches(double difference) const {
    return strict_ ? difference > threshold_ : difference >= threshold_;
  }
  bool CountIfDue(double value, bool qualifies);

  double threshold_;
  bool strict_;
  bool started_ = false;
  int direction_ = 0;  // 0 until the first change, then +1 rising, -1 falling
  double turn_ = 0;    // where the current change started
  bool turn_qualifies_ = false;
  double extreme_ = 0;  // how far it has gone (before the first change: lowest)
  bool extreme_qualifies_ = false;
  double highest_ = 0;  // before the first change only
  bool highest_qualifies_ = false;
  bool counted_ = false;
};

// The states (refreshes) of a sequence at which changes are counted.
// General: changes of relative luminance of 0.1 or more where the darker
// state is below 0.8. Red: changes of RedValue of more than 20 to or from a
// saturated red.
std::vector<int> GeneralChangeTimes(const std::vector<Light>& states);
std::vector<int> RedChangeTimes(const std::vector<Light>& states);

// The most changes counted within any `window` consecutive refreshes,
// halved: flashes, a lone change counting as half of one.
double MostFlashesWithin(const std::vector<int>& change_times, int window);

// The step each of `refreshes` consecutive refreshes shows, the first at
// time 0: 1 + floor(k * steps_per_second / refresh_hz) for refresh k (the
// first frame shown is the pattern stepped once).
std::vector<std::int64_t> ShownSteps(int steps_per_second, int refresh_hz, int refreshes);

enum class Pattern { Squares, Rings };

// A watched area on the 1024 x 768 screen: its top-left pixel.
struct Placement {
  int left = 0;
  int top = 0;
};

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kAreaWidth = 341;
constexpr int kAreaHeight = 256;

struct Pace {
  int steps_per_second = 60;
  int refresh_hz = 60;
};

struct Worst {
  double flashes = 0;  // in the worst one-second window
  Placement at;        // the first area where it happens
};

struct FlashReport {
  Worst general;
  Worst red;
  double worst = 0;  // the larger of the two
};

// The core's frames of `pattern` (the ring pattern's noise from a generator
// with the fixed `seed`) at each pace, watched over two turns of the colours
// plus a second (at least 2 s) of refreshes, in every area that starts on a
// cell boundary: 4 px x 3 px apart at this size, 171 x 171 areas. Moving an
// area by less than a cell changes under 1.2 % of its pixels.
std::vector<FlashReport> MeasureFlashes(Pattern pattern, const std::vector<Pace>& paces,
                                        std::uint32_t seed = 1);

}  // namespace flashrate
