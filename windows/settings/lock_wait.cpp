#include "windows/settings/lock_wait.h"

#include <algorithm>

namespace varominea::profile {
namespace {

constexpr unsigned kFirstPauseMs = 10;
constexpr unsigned kLongestPauseMs = 100;

}  // namespace

std::optional<unsigned> PauseBeforeRetry(unsigned attempts, unsigned long long elapsed_ms,
                                         unsigned long long wait_ms) {
  if (elapsed_ms >= wait_ms) return std::nullopt;
  // 10, 20, 40, 80, then 100 ms.
  const unsigned doublings = std::min(attempts > 0 ? attempts - 1 : 0u, 4u);
  const unsigned pause = std::min(kFirstPauseMs << doublings, kLongestPauseMs);
  return static_cast<unsigned>(std::min<unsigned long long>(pause, wait_ms - elapsed_ms));
}

}  // namespace varominea::profile
