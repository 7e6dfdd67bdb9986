#include "windows/saver/step_pace.h"

namespace varominea {
namespace {

constexpr int kMostStepsPerSecond = 60;

int KnownRate(int refresh_hz) {
  return refresh_hz > 1 ? refresh_hz : kMostStepsPerSecond;
}

}  // namespace

PaceDuration RefreshPeriod(int refresh_hz) {
  return PaceDuration(std::chrono::seconds(1)) / KnownRate(refresh_hz);
}

PaceDuration StepPeriod(int refresh_hz) {
  const int rate = KnownRate(refresh_hz);
  const int refreshes = (rate + kMostStepsPerSecond - 1) / kMostStepsPerSecond;
  return PaceDuration(std::chrono::seconds(1)) * refreshes / rate;
}

PaceDuration NextStepDue(PaceDuration due, PaceDuration now, PaceDuration period) {
  if (period <= PaceDuration::zero()) return now;
  PaceDuration next = due + period;
  if (next < now) {
    const PaceDuration behind = now - next;
    next += (behind + period - PaceDuration(1)) / period * period;
  }
  return next;
}

}  // namespace varominea
