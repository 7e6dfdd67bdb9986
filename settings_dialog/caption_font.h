// Which installed face the dialog's captions are drawn in.
#pragma once

#include <string>
#include <vector>

namespace varominea::dialog {

// A font family the system has, as its font list describes it.
struct InstalledFace {
  std::wstring name;
  bool japanese;        // has the Japanese (Shift-JIS) character set
  bool proportional;    // variable pitch
  bool draws_captions;  // has a glyph for every character of the captions, ASCII included
};

// The face for the captions: "ＭＳ Ｐゴシック" (also listed as "MS PGothic")
// where it is installed; else the first installed of the system's Japanese
// interface faces (Yu Gothic UI, Meiryo UI, MS UI Gothic); else the first
// proportional Japanese face in the list that draws every caption (a
// fallback face may have the Japanese character set and no Latin letters;
// vertical "@" faces never); else "ＭＳ Ｐゴシック" all the same, and the
// system's font mapper decides. Names compare without regard to the case of
// Latin letters.
std::wstring ChooseCaptionFace(const std::vector<InstalledFace>& installed);

}  // namespace varominea::dialog
