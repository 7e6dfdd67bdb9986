#include "windows/settings_dialog/caption_font.h"

#include <algorithm>
#include <array>

#include "windows/resources/texts.h"

namespace varominea::dialog {
namespace {

wchar_t FoldLatin(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](wchar_t x, wchar_t y) { return FoldLatin(x) == FoldLatin(y); });
}

bool Has(const std::vector<InstalledFace>& installed, const std::wstring& name) {
  return std::any_of(installed.begin(), installed.end(),
                     [&](const InstalledFace& face) { return SameName(face.name, name); });
}

}  // namespace

std::wstring ChooseCaptionFace(const std::vector<InstalledFace>& installed,
                               const std::function<bool(const std::wstring&)>& draws_captions) {
  const std::wstring designed = texts::kDialogFontFace;
  // The designed face under its Japanese and its English family name.
  if (Has(installed, designed) || Has(installed, L"MS PGothic")) return designed;
  // The faces the system itself draws its Japanese interface in.
  for (const wchar_t* face : std::array{L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"}) {
    if (Has(installed, face)) return face;
  }
  for (const InstalledFace& face : installed) {
    if (face.japanese && face.proportional && !face.name.empty() && face.name[0] != L'@' &&
        draws_captions(face.name)) {
      return face.name;
    }
  }
  return designed;
}

}  // namespace varominea::dialog
