#include "core/move_detector.h"

namespace varominea {

bool MoveDetector::IsRealMove(bool command_line_empty, float x, float y) {
  if (command_line_empty) return false;
  if (FirstMoveSeen == 0) {
    FirstMoveX = x;
    FirstMoveY = y;
    FirstMoveSeen = -1;
    return false;
  }
  return x != FirstMoveX && y != FirstMoveY;
}

}  // namespace varominea
