#include "windows/settings_dialog/caption_font_win.h"

#include <windows.h>

#include <algorithm>

#include "windows/platform/handles_win.h"
#include "windows/resources/texts.h"

namespace varominea::dialog {
namespace {

int CALLBACK CollectFace(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD /*type*/,
                         LPARAM list) {
  auto& faces = *reinterpret_cast<std::vector<InstalledFace>*>(list);
  const std::wstring name = font->lfFaceName;
  // The metrics' "fixed pitch" bit means the opposite: set for variable pitch.
  const bool proportional = (metrics->tmPitchAndFamily & TMPF_FIXED_PITCH) != 0;
  const bool japanese = font->lfCharSet == SHIFTJIS_CHARSET;
  const auto known = std::find_if(faces.begin(), faces.end(),
                                  [&](const InstalledFace& face) { return face.name == name; });
  if (known == faces.end()) {
    faces.push_back(InstalledFace{name, japanese, proportional});
  } else {
    // Listed again for another character set.
    known->japanese = known->japanese || japanese;
    known->proportional = known->proportional || proportional;
  }
  return 1;
}

// Every character the captions use: printable ASCII (the numbers, the credit
// line and the web address) and the Japanese texts.
std::wstring CaptionCharacters() {
  std::wstring text;
  for (wchar_t c = L'!'; c <= L'~'; ++c) text += c;
  for (const wchar_t* caption : {texts::kSizeHeading, texts::kPatternHeading}) text += caption;
  for (const wchar_t* caption : texts::kSizeOptions) text += caption;
  for (const wchar_t* caption : texts::kCommands) text += caption;
  return text;
}

bool DrawsEveryCharacter(HDC dc, const std::wstring& face, const std::wstring& text) {
  LOGFONTW lf{};
  lf.lfHeight = -13;
  lf.lfCharSet = DEFAULT_CHARSET;
  face.copy(lf.lfFaceName, std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
  const platform::OwnedFont font(CreateFontIndirectW(&lf));
  if (!font) return false;
  const platform::Selected select(dc, font.get());
  std::vector<WORD> glyphs(text.size());
  if (GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                       GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) {
    return false;
  }
  return std::find(glyphs.begin(), glyphs.end(), WORD{0xFFFF}) == glyphs.end();
}

}  // namespace

std::vector<InstalledFace> InstalledFaces() {
  std::vector<InstalledFace> faces;
  const platform::WindowDc screen(nullptr);
  if (!screen) return faces;
  LOGFONTW all{};
  all.lfCharSet = DEFAULT_CHARSET;  // every family in every character set
  EnumFontFamiliesExW(screen.get(), &all, &CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
  return faces;
}

std::wstring InstalledCaptionFace() {
  const std::wstring characters = CaptionCharacters();
  return ChooseCaptionFace(InstalledFaces(), [&](const std::wstring& face) {
    const platform::WindowDc screen(nullptr);
    return screen && DrawsEveryCharacter(screen.get(), face, characters);
  });
}

}  // namespace varominea::dialog
