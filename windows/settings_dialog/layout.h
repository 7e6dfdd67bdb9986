// The settings dialog's geometry: where every control sits, how large the
// window is, where it is placed on the screen, and where the background tile
// is copied. The layout is drawn in pixels at 96 dots per inch; on a denser
// display every size and position is scaled (ScaleToDpi), so the dialog looks
// the same, only larger.
#pragma once

#include <array>
#include <vector>

namespace varominea::dialog {

struct Box {
  int left;
  int top;
  int width;
  int height;
  friend bool operator==(const Box&, const Box&) = default;
};

struct Point {
  int x;
  int y;
  friend bool operator==(const Point&, const Point&) = default;
};

// Every face is 95 x 20; a caption over a face lies 4 px below the face's top
// edge, with the face's left edge and width and the caption height 13.
inline constexpr int kFaceWidth = 95;
inline constexpr int kFaceHeight = 20;
inline constexpr int kCaptionHeight = 13;
inline constexpr int kCaptionDrop = 4;

constexpr Box FaceAt(int left, int top) {
  return Box{left, top, kFaceWidth, kFaceHeight};
}
constexpr Box CaptionOver(const Box& face) {
  return Box{face.left, face.top + kCaptionDrop, face.width, kCaptionHeight};
}

// Controls placed directly on the window.
inline constexpr Box kPicB{0, 0, 337, 237};                      // background box, fixed border
inline constexpr Box kImgOff{376, 16, kFaceWidth, kFaceHeight};  // outside the client area
inline constexpr Box kImgOnY{376, 48, kFaceWidth, kFaceHeight};  // outside the client area
inline constexpr Box kPicMbl{380, 80, 340, 26};                  // hidden, holds the tile

// Controls inside the background box, in its client coordinates.
inline constexpr Box kLblSizeHeading{12, 12, 103, 13};
inline constexpr Box kLblPatternHeading{204, 12, 69, 13};
inline constexpr Box kLblCredit{24, 148, 168, 13};
inline constexpr Box kLblUrl{24, 204, 214, 13};  // lbl_URL
inline constexpr std::array<Box, 3> kImgSR{FaceAt(24, 32), FaceAt(24, 60), FaceAt(24, 88)};
inline constexpr std::array<Box, 2> kImgPT{FaceAt(216, 32), FaceAt(216, 60)};
inline constexpr std::array<Box, 2> kImgK{FaceAt(112, 172), FaceAt(216, 172)};
inline constexpr std::array<Box, 3> kLblOpt{CaptionOver(kImgSR[0]), CaptionOver(kImgSR[1]),
                                            CaptionOver(kImgSR[2])};
inline constexpr std::array<Box, 2> kLblOptPT{CaptionOver(kImgPT[0]), CaptionOver(kImgPT[1])};
inline constexpr std::array<Box, 2> kLblK{CaptionOver(kImgK[0]), CaptionOver(kImgK[1])};

struct Size {
  int width;
  int height;
  friend bool operator==(const Size&, const Size&) = default;
};

// A 96-dpi size or position on a display of the given density: value * dpi /
// 96, rounded half away from zero as the system's MulDiv rounds. A density of
// 0 or less counts as 96.
inline constexpr int kLayoutDpi = 96;
int ScaleToDpi(int value, int dpi);
Box ScaleToDpi(const Box& box, int dpi);
Size ScaleToDpi(const Size& size, int dpi);

// The window's client area on a display of the given density: the
// background box scaled, which it shows exactly. The frame around it is the
// system's at the window's density.
Size ClientSizeAt(int dpi);

// The density to lay the dialog out at on a monitor of `dpi`: that density,
// or, where the window (client area and `frame`, the frame's extra width and
// height) would not fit `work_area`, the highest lower one down to 96 at
// which it does.
int FittingDpi(int dpi, const Size& frame, const Size& work_area);

// A window's top-left corner moved as little as it takes into the work
// area: first so that its right and bottom edges lie inside, then its left
// and top edges, so that a window larger than the work area keeps its
// caption bar and its left side reachable.
Point InsideWorkArea(Point at, const Size& outer, const Box& work);

// The top-left corner that centres a window of the given outer size on the
// screen, in floating point (half pixels stay).
struct Origin {
  double left;
  double top;
};
Origin CentredOrigin(int screen_width, int screen_height, const Size& outer);

// The destinations of the tile copies that cover a target, in the order
// they are made: column by column, each column from the top down. A column
// ends with the first copy below the target's height, the work with the
// first column beyond its width; copies outside the target are clipped away
// by the drawing. A tile without area yields no copies.
std::vector<Point> TilePositions(int target_width, int target_height, int tile_width,
                                 int tile_height);

}  // namespace varominea::dialog
