// Which installed face the dialog's captions are drawn in.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace varominea::dialog {

// A font family the system has, as its font list describes it.
struct InstalledFace {
  std::wstring name;
  bool japanese;      // has the Japanese (Shift-JIS) character set
  bool proportional;  // variable pitch
};

// The face for the captions: "ＭＳ Ｐゴシック" (also listed as "MS PGothic")
// where it is installed; else the first installed of the system's Japanese
// interface faces (Yu Gothic UI, Meiryo UI, MS UI Gothic); else the first
// proportional Japanese face in the list for which `draws_captions` holds:
// one with a glyph for every character of the captions, ASCII included (a
// fallback face may have the Japanese character set and no Latin letters;
// vertical "@" faces never); else "ＭＳ Ｐゴシック" all the same, and the
// system's font mapper decides. Names compare without regard to the case of
// Latin letters. `draws_captions` is asked only when it decides, and only
// until a face is found: the glyph look-up behind it is slow.
std::wstring ChooseCaptionFace(const std::vector<InstalledFace>& installed,
                               const std::function<bool(const std::wstring&)>& draws_captions);

}  // namespace varominea::dialog
