// Telling a real mouse move from the pointer's events at rest.
#include <gtest/gtest.h>

#include <vector>

#include "saver/move_detector.h"

namespace varominea {
namespace {

struct Move {
  float x, y;
  bool ends;
};

void Replay(bool command_line_empty, const std::vector<Move>& moves) {
  MoveDetector detector;
  int n = 0;
  for (const Move& m : moves) {
    EXPECT_EQ(detector.IsRealMove(command_line_empty, m.x, m.y), m.ends)
        << "event " << n << " at " << m.x << ", " << m.y;
    ++n;
  }
}

TEST(MoveDetectorTest, FirstEventOnlyRecordsThePosition) {
  Replay(false, {{10, 20, false}, {11, 21, true}});
  Replay(false, {{0, 0, false}, {0, 0, false}});
}

TEST(MoveDetectorTest, BothCoordinatesMustDifferFromTheFirstPosition) {
  Replay(false, {{100, 100, false},
                 {150, 100, false},  // purely horizontal
                 {100, 150, false},  // purely vertical
                 {300, 100, false},  // back to the first y
                 {100, 300, false},  // back to the first x
                 {101, 99, true}});  // one pixel each way is enough
}

TEST(MoveDetectorTest, FirstPositionIsNeverUpdated) {
  // Away in steps that each keep one coordinate, then a return that differs
  // from the first position in both.
  Replay(false,
         {{50, 50, false}, {60, 50, false}, {60, 50, false}, {50, 70, false}, {51, 49, true}});
}

TEST(MoveDetectorTest, ComparesTheFloatsExactly) {
  Replay(false, {{10.0f, 10.0f, false}, {10.5f, 10.25f, true}});
  Replay(false, {{-80.0f, -60.0f, false}, {-80.0f, 5.0f, false}, {-79.0f, 5.0f, true}});
}

TEST(MoveDetectorTest, EmptyCommandLineNeverEndsAndRecordsNothing) {
  Replay(true, {{0, 0, false}, {500, 400, false}, {1, 1, false}});
  MoveDetector detector;
  EXPECT_FALSE(detector.IsRealMove(true, 5, 5));
  // Nothing was recorded: the next event with arguments is the first one.
  EXPECT_FALSE(detector.IsRealMove(false, 9, 9));
  EXPECT_TRUE(detector.IsRealMove(false, 5, 5));
}

}  // namespace
}  // namespace varominea
