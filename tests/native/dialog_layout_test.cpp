// The settings dialog's geometry: its control table, its outer size and
// placement, and where the background tile is copied.
#include "settings_dialog/layout.h"

#include <gtest/gtest.h>

#include <algorithm>

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

TEST(DialogLayoutTest, FacesAndCaptionsSitWhereTheDialogPlacesThem) {
  struct Case {
    const char* name;
    Box face;
    Box caption;
    Point face_at;
  };
  const Case cases[] = {
      {"Img_SR(0)", kImgSR[0], kLblOpt[0], {24, 32}},
      {"Img_SR(1)", kImgSR[1], kLblOpt[1], {24, 60}},
      {"Img_SR(2)", kImgSR[2], kLblOpt[2], {24, 88}},
      {"Img_PT(0)", kImgPT[0], kLblOptPT[0], {216, 32}},
      {"Img_PT(1)", kImgPT[1], kLblOptPT[1], {216, 60}},
      {"Img_K(0)", kImgK[0], kLblK[0], {112, 172}},
      {"Img_K(1)", kImgK[1], kLblK[1], {216, 172}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.face, (Box{c.face_at.x, c.face_at.y, 95, 20}));
    // The caption covers the face from 4 px below its top, leaving 3 px below.
    EXPECT_EQ(c.caption, (Box{c.face_at.x, c.face_at.y + 4, 95, 13}));
    EXPECT_EQ(c.face.top + c.face.height - (c.caption.top + c.caption.height), 3);
    EXPECT_TRUE(Inside(c.face, kPicB));
  }
}

TEST(DialogLayoutTest, TextsAndBoxesHaveTheirFixedPlaces) {
  EXPECT_EQ(kPicB, (Box{0, 0, 337, 237}));
  EXPECT_EQ(kLblSizeHeading, (Box{12, 12, 103, 13}));
  EXPECT_EQ(kLblPatternHeading, (Box{204, 12, 69, 13}));
  EXPECT_EQ(kLblCredit, (Box{24, 148, 168, 13}));
  EXPECT_EQ(kLblUrl, (Box{24, 204, 214, 13}));
  EXPECT_EQ(kImgOff, (Box{376, 16, 95, 20}));
  EXPECT_EQ(kImgOnY, (Box{376, 48, 95, 20}));
  EXPECT_EQ(kPicMbl, (Box{380, 80, 340, 26}));
  // The stored pictures lie beyond the window's client area.
  const Size outer = OuterSize(kPicB);
  for (const Box& hidden : {kImgOff, kImgOnY, kPicMbl}) EXPECT_GE(hidden.left, outer.width);
}

TEST(DialogLayoutTest, NoTwoControlsThatReactToTheMouseOverlap) {
  std::vector<Box> reacting(kLblOpt.begin(), kLblOpt.end());
  reacting.insert(reacting.end(), kLblOptPT.begin(), kLblOptPT.end());
  reacting.insert(reacting.end(), kLblK.begin(), kLblK.end());
  reacting.push_back(kLblUrl);
  for (std::size_t i = 0; i < reacting.size(); ++i) {
    EXPECT_TRUE(Inside(reacting[i], kPicB)) << i;
    for (std::size_t j = i + 1; j < reacting.size(); ++j) {
      EXPECT_FALSE(Overlap(reacting[i], reacting[j])) << i << " and " << j;
    }
  }
}

TEST(DialogLayoutTest, OuterSizeUsesTheFixedMarginsAndIsCentred) {
  const Size outer = OuterSize(kPicB);
  EXPECT_EQ(outer, (Size{345, 264}));
  struct Case {
    int screen_width, screen_height;
    double left, top;
  };
  for (const Case& c : {Case{1024, 768, 339.5, 252.0}, Case{640, 480, 147.5, 108.0},
                        Case{1366, 768, 510.5, 252.0}, Case{300, 200, -22.5, -32.0}}) {
    const Origin origin = CentredOrigin(c.screen_width, c.screen_height, outer);
    EXPECT_DOUBLE_EQ(origin.left, c.left) << c.screen_width;
    EXPECT_DOUBLE_EQ(origin.top, c.top) << c.screen_height;
  }
}

TEST(DialogLayoutTest, TilesAreLaidColumnByColumnFromTheTopDown) {
  const std::vector<Point> copies = TilePositions(337, 237, 340, 26);
  // The first column runs until a copy starts below the box (y = 260), then
  // one more column starts beyond the width (x = 340) and ends the work.
  std::vector<Point> expected;
  for (int x : {0, 340}) {
    for (int y = 0; y <= 260; y += 26) expected.push_back({x, y});
  }
  EXPECT_EQ(copies, expected);

  // Only the first column touches the box: seams at y = 26, 52, ..., 234.
  std::vector<int> visible_tops;
  for (const Point& p : copies) {
    if (p.x < 337 && p.y < 237) visible_tops.push_back(p.y);
  }
  std::vector<int> expected_tops;
  for (int y = 0; y <= 234; y += 26) expected_tops.push_back(y);
  EXPECT_EQ(visible_tops, expected_tops);
  EXPECT_TRUE(
      std::all_of(copies.begin(), copies.end(), [](const Point& p) { return p.x % 340 == 0; }));
}

TEST(DialogLayoutTest, TilingCoversWiderTargetsAndSkipsTilesWithoutArea) {
  // A target two tiles wide and exactly one tile high.
  const std::vector<Point> copies = TilePositions(680, 26, 340, 26);
  const std::vector<Point> expected{{0, 0},    {0, 26},   {0, 52},    {340, 0},
                                    {340, 26}, {340, 52}, {680, 0},   {680, 26},
                                    {680, 52}, {1020, 0}, {1020, 26}, {1020, 52}};
  EXPECT_EQ(copies, expected);
  EXPECT_TRUE(TilePositions(337, 237, 0, 26).empty());
  EXPECT_TRUE(TilePositions(337, 237, 340, 0).empty());
  EXPECT_TRUE(TilePositions(337, 237, -5, 26).empty());
}

}  // namespace
}  // namespace varominea::dialog
