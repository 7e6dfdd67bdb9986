// Tells a real mouse move from the events the window system sends when the
// pointer has not been moved by the user.
#pragma once

#include <cstdint>

namespace varominea {

class MoveDetector {
 public:
  // Whether this mouse-move event at (x, y) is a real move that ends the
  // saver. With an empty command line no move is. Otherwise the first event
  // only records its position; a later one is a real move when both its x and
  // its y differ from that recorded position (compared exactly).
  bool IsRealMove(bool command_line_empty, float x, float y);

 private:
  std::int16_t FirstMoveSeen = 0;  // 0 or -1
  float FirstMoveX = 0;
  float FirstMoveY = 0;
};

}  // namespace varominea
