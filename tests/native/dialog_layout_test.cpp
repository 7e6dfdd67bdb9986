// The settings dialog's geometry: controls, outer size, centring, tiling.
#include "settings_dialog/layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace varominea::dialog {
namespace {

bool Inside(const Box& inner, const Box& outer) {
  return inner.left >= 0 && inner.top >= 0 && inner.left + inner.width <= outer.width &&
         inner.top + inner.height <= outer.height;
}

bool Overlap(const Box& a, const Box& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

TEST(DialogLayoutTest, MouseTargetsLieApartAndStoredPicturesBeyondTheWindow) {
  std::vector<Box> reacting{kLblUrl, kLblOptPT[0], kLblOptPT[1], kLblK[0], kLblK[1]};
  reacting.insert(reacting.end(), kLblOpt.begin(), kLblOpt.end());
  for (std::size_t i = 0; i < reacting.size(); ++i) {
    EXPECT_TRUE(Inside(reacting[i], kPicB)) << i;
    for (std::size_t j = i + 1; j < reacting.size(); ++j) {
      EXPECT_FALSE(Overlap(reacting[i], reacting[j])) << i << " and " << j;
    }
  }
  const Size outer = OuterSize(kPicB);
  EXPECT_DOUBLE_EQ(CentredOrigin(300, 200, outer).left, -22.5);
  EXPECT_DOUBLE_EQ(CentredOrigin(300, 200, outer).top, -32.0);
  for (const Box& hidden : {kImgOff, kImgOnY, kPicMbl}) EXPECT_GE(hidden.left, outer.width);
}

// Column by column from the top down; a column ends with the first copy below
// the target, the work with the first column beyond it.
TEST(DialogLayoutTest, TilesAreLaidColumnByColumnFromTheTopDown) {
  std::vector<Point> expected;
  for (int x : {0, 340}) {
    for (int y = 0; y <= 260; y += 26) expected.push_back({x, y});
  }
  EXPECT_EQ(TilePositions(337, 237, 340, 26), expected);
  expected.clear();
  for (int x = 0; x <= 1020; x += 340) {
    for (int y = 0; y <= 52; y += 26) expected.push_back({x, y});
  }
  EXPECT_EQ(TilePositions(680, 26, 340, 26), expected);
  EXPECT_TRUE(TilePositions(337, 237, 0, 26).empty());
  EXPECT_TRUE(TilePositions(337, 237, 340, 0).empty());
  EXPECT_TRUE(TilePositions(337, 237, -5, 26).empty());
}

}  // namespace
}  // namespace varominea::dialog
