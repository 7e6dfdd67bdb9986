// The settings dialog's geometry (controls, outer size, centring, tiling)
// and its keyboard.
#include "windows/settings_dialog/accessible_tree.h"
#include "windows/settings_dialog/caption_font.h"
#include "windows/settings_dialog/keyboard.h"
#include "windows/settings_dialog/layout.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
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
  const Size outer{kPicB.width + 8, kPicB.height + 27};
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

// Scaled as the system's MulDiv scales: halves away from zero; the layout
// keeps its 96-dpi proportions, and the window its outer size scaled whole.
TEST(DialogLayoutTest, EverySizeAndPositionScalesWithTheDisplayDensity) {
  const struct {
    int value, dpi, scaled;
  } cases[] = {{95, 96, 95},
               {95, 144, 143},
               {13, 144, 20},
               {345, 144, 518},
               {264, 144, 396},
               {337, 192, 674},
               {1, 120, 1},
               {2, 120, 3},
               {-3, 144, -5},
               {-1, 144, -2},
               {0, 288, 0},
               {95, 0, 95},
               {95, -144, 95},
               {2000000000, 480, std::numeric_limits<int>::max()},
               {-2000000000, 480, std::numeric_limits<int>::min()}};
  for (const auto& c : cases) {
    EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.scaled) << c.value << " at " << c.dpi;
  }
  EXPECT_EQ(ScaleToDpi(kImgSR[0], 144), (Box{36, 48, 143, 30}));
  EXPECT_EQ(ScaleToDpi(kLblOpt[0], 144), (Box{36, 54, 143, 20}));
  EXPECT_EQ(ClientSizeAt(96), (Size{337, 237}));
  EXPECT_EQ(ClientSizeAt(144), (Size{506, 356}));
  EXPECT_EQ(ClientSizeAt(192), (Size{674, 474}));
  // Scaled, the mouse targets still lie apart inside the background box.
  for (int dpi : {120, 144, 168, 192, 240}) {
    const Box background = ScaleToDpi(kPicB, dpi);
    std::vector<Box> reacting{kLblUrl, kLblOptPT[0], kLblOptPT[1], kLblK[0], kLblK[1]};
    reacting.insert(reacting.end(), kLblOpt.begin(), kLblOpt.end());
    for (Box& box : reacting) box = ScaleToDpi(box, dpi);
    for (std::size_t i = 0; i < reacting.size(); ++i) {
      EXPECT_TRUE(Inside(reacting[i], background)) << dpi << ": " << i;
      for (std::size_t j = i + 1; j < reacting.size(); ++j) {
        EXPECT_FALSE(Overlap(reacting[i], reacting[j])) << dpi << ": " << i << " and " << j;
      }
    }
  }
}

// The monitor's density where the window fits the work area, else the
// highest lower one that does (never below 96); a window larger than the
// work area keeps its top-left corner inside it.
TEST(DialogLayoutTest, FitsTheWorkAreaCaptionBarFirst) {
  const Size frame{18, 75};  // about what a frame measures at 288 dpi
  const struct {
    int dpi;
    Size work;
    int fitting;
  } fits[] = {{96, {1024, 768}, 96},   {192, {1024, 768}, 192}, {288, {1024, 768}, 280},
              {288, {1024, 738}, 268}, {288, {1024, 700}, 253}, {240, {640, 480}, 164},
              {144, {300, 200}, 96},   {72, {1024, 768}, 72},   {0, {1024, 768}, 96},
              {288, {2560, 1440}, 288}};
  for (const auto& c : fits) {
    const int fitting = FittingDpi(c.dpi, frame, c.work);
    EXPECT_EQ(fitting, c.fitting) << c.dpi << " on " << c.work.width << "x" << c.work.height;
    if (fitting > 96 && fitting < c.dpi) {
      const Size next = ClientSizeAt(fitting + 1);
      EXPECT_TRUE(next.width + frame.width > c.work.width ||
                  next.height + frame.height > c.work.height);
    }
  }
  const Box work{0, 0, 1024, 738};  // a task bar 30 px high along the bottom
  const struct {
    Point at;
    Size outer;
    Point inside;
  } places[] = {{{340, 252}, {345, 264}, {340, 252}}, {{-6, -8}, {1035, 784}, {0, 0}},
                {{900, 700}, {345, 264}, {679, 474}}, {{-50, 600}, {345, 264}, {0, 474}},
                {{100, 100}, {1100, 200}, {0, 100}},  {{100, 100}, {200, 800}, {100, 0}}};
  for (const auto& c : places) {
    EXPECT_EQ(InsideWorkArea(c.at, c.outer, work), c.inside) << c.at.x << "," << c.at.y;
  }
  EXPECT_EQ(InsideWorkArea({0, 0}, {345, 264}, Box{-640, -480, 640, 480}), (Point{-345, -264}));
}

// Key sequences the end-to-end case does not press: Shift+Tab across the
// wrap, arrows in a group with no lit face, Space held on a command while
// the focus moves, Enter on the cancel command, the link opened once per
// key and only where the key went down.
TEST(DialogKeyboardTest, KeysActWhereTheFocusIsAndOnlyOncePerPress) {
  using Kind = KeyAction::Kind;
  struct Press {
    bool down;
    Key key;
    bool shift;
    KeyAction::Kind kind;
    int index;
    Stop focus;  // afterwards
  };
  const struct {
    const char* name;
    Stop start;
    Lit lit;
    std::vector<Press> presses;
  } cases[] = {
      {"Shift+Tab wraps",
       Stop::SizeGroup,
       {1, 0},
       {{true, Key::Tab, true, Kind::MoveFocus, 0, Stop::Link},
        {true, Key::Tab, true, Kind::MoveFocus, 0, Stop::Cancel},
        {true, Key::Tab, false, Kind::MoveFocus, 0, Stop::Link},
        {true, Key::Tab, false, Kind::MoveFocus, 0, Stop::SizeGroup}}},
      {"no face lit: any arrow picks the first",
       Stop::SizeGroup,
       {5, -1},
       {{true, Key::Up, false, Kind::PickSize, 0, Stop::SizeGroup},
        {true, Key::Space, false, Kind::None, 0, Stop::SizeGroup},
        {true, Key::Tab, false, Kind::MoveFocus, 0, Stop::PatternGroup},
        {true, Key::Left, false, Kind::PickPattern, 0, Stop::PatternGroup}}},
      {"Space held on cancel, released after Tab",
       Stop::Cancel,
       {0, 0},
       {{true, Key::Space, false, Kind::Press, 1, Stop::Cancel},
        {true, Key::Space, false, Kind::None, 0, Stop::Cancel},
        {true, Key::Tab, false, Kind::MoveFocus, 0, Stop::Link},
        {false, Key::Space, false, Kind::Release, 1, Stop::Link},
        {false, Key::Space, false, Kind::None, 0, Stop::Link}}},
      {"Enter on cancel cancels, on save saves; arrows there do nothing",
       Stop::Cancel,
       {0, 0},
       {{true, Key::Down, false, Kind::None, 0, Stop::Cancel},
        {true, Key::Enter, false, Kind::Release, 1, Stop::Cancel},
        {true, Key::Tab, true, Kind::MoveFocus, 0, Stop::Save},
        {true, Key::Enter, false, Kind::Release, 0, Stop::Save},
        {true, Key::Escape, false, Kind::Release, 1, Stop::Save}}},
      {"the link opens on the release of the key pressed on it, once",
       Stop::Link,
       {0, 0},
       {{false, Key::Enter, false, Kind::None, 0, Stop::Link},
        {true, Key::Enter, false, Kind::None, 0, Stop::Link},
        {true, Key::Enter, false, Kind::None, 0, Stop::Link},
        {false, Key::Space, false, Kind::None, 0, Stop::Link},
        {false, Key::Enter, false, Kind::OpenLink, 0, Stop::Link},
        {false, Key::Enter, false, Kind::None, 0, Stop::Link},
        {true, Key::Space, false, Kind::None, 0, Stop::Link},
        {true, Key::Tab, false, Kind::MoveFocus, 0, Stop::SizeGroup},
        {false, Key::Space, false, Kind::None, 0, Stop::SizeGroup}}},
  };
  for (const auto& c : cases) {
    Keyboard keyboard;
    keyboard.SetFocus(c.start);
    for (std::size_t i = 0; i < c.presses.size(); ++i) {
      const Press& p = c.presses[i];
      const KeyAction action = p.down ? keyboard.Down(p.key, p.shift, c.lit) : keyboard.Up(p.key);
      EXPECT_EQ(action.kind, p.kind) << c.name << ", key " << i;
      if (action.kind == p.kind && p.kind != Kind::None) {
        EXPECT_EQ(action.index, p.index) << c.name << ", key " << i;
      }
      EXPECT_EQ(keyboard.focus(), p.focus) << c.name << ", key " << i;
    }
  }
  // With no face of a group lit (or a stored value that names none), the
  // group itself has the focus and says it can take it.
  for (const int lit : {-1, 3, 5}) {
    const Faces faces{Lit{lit, 0}, {}};
    const Element focus = FocusedElement(Stop::SizeGroup, faces.lit);
    EXPECT_EQ(focus, Element::SizeGroup) << lit;
    const States states = Describe(focus, faces, focus, L"").states;
    EXPECT_TRUE(states.focusable && states.focused) << lit;
  }
}

// The designed face where it is installed (under either name), else the
// system's Japanese interface faces in order, else a proportional Japanese
// face that draws the captions, else the designed name for the mapper.
TEST(CaptionFontTest, ChoosesAnInstalledFaceThatDrawsTheCaptions) {
  const InstalledFace droid{L"Droid Sans Fallback", true, true};  // no Latin letters
  const InstalledFace ipa{L"IPAPGothic", true, true};
  const InstalledFace ipa_fixed{L"IPAGothic", true, false};
  const InstalledFace ipa_vertical{L"@IPAPGothic", true, true};
  const InstalledFace latin{L"Tahoma", false, true};
  const InstalledFace meiryo{L"Meiryo UI", true, true};
  const InstalledFace ms_ui{L"ms ui gothic", true, true};
  const std::wstring designed = L"ＭＳ Ｐゴシック";
  const struct {
    std::vector<InstalledFace> installed;
    std::wstring chosen;
    bool glyphs_looked_up;  // only when no designed or interface face is installed
  } cases[] = {
      {{latin, ipa, {designed, true, true}}, designed, false},
      {{ipa, {L"MS PGothic", true, true}}, designed, false},
      {{ipa, ms_ui, meiryo}, L"Meiryo UI", false},
      {{ipa, ms_ui}, L"MS UI Gothic", false},
      {{droid, ipa_vertical, ipa_fixed, latin, ipa}, L"IPAPGothic", true},
      {{droid, ipa_vertical, ipa_fixed, latin}, designed, true},
      {{}, designed, false},
  };
  for (const auto& c : cases) {
    int looked_up = 0;
    const auto draws_captions = [&](const std::wstring& face) {
      ++looked_up;
      return face != droid.name && face != latin.name;
    };
    EXPECT_EQ(ChooseCaptionFace(c.installed, draws_captions), c.chosen) << c.installed.size();
    EXPECT_EQ(looked_up > 0, c.glyphs_looked_up) << c.installed.size();
  }
}

}  // namespace
}  // namespace varominea::dialog
