#include "windows/platform/label_win.h"

#include <cmath>
#include <utility>

#include "windows/platform/dpi_win.h"

namespace platform {
namespace {

OwnedFont CreateLabelFont(const LabelFont& font, int dpi) {
  LOGFONTW lf{};
  lf.lfHeight = FontHeightForPoints(font.points, dpi);
  lf.lfWeight = font.weight;
  lf.lfUnderline = font.underline ? TRUE : FALSE;
  lf.lfCharSet = font.charset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::size_t length =
      font.face.size() < LF_FACESIZE - 1 ? font.face.size() : std::size_t{LF_FACESIZE - 1};
  font.face.copy(lf.lfFaceName, length);
  return OwnedFont(CreateFontIndirectW(&lf));
}

}  // namespace

LONG FontHeightForPoints(double points) {
  return FontHeightForPoints(points, SystemDpi());
}

LONG FontHeightForPoints(double points, int dpi) {
  if (dpi <= 0) dpi = SystemDpi();
  return -static_cast<LONG>(std::lround(points * dpi / 72.0));
}

Label::Label(Container& container, RECT bounds, std::wstring caption, Alignment alignment,
             const LabelFont& font)
    : WindowlessControl(container, bounds),
      caption_(std::move(caption)),
      alignment_(alignment),
      design_(font),
      font_(CreateLabelFont(font, SystemDpi())) {}

void Label::SetFontDpi(int dpi) {
  font_ = CreateLabelFont(design_, dpi);
  Invalidate();
}

bool Label::WantsMouse() const {
  return static_cast<bool>(OnMouseDown) || static_cast<bool>(OnMouseUp) ||
         static_cast<bool>(OnMouseMove);
}

void Label::Paint(HDC dc) {
  if (caption_.empty()) return;
  RECT area = bounds();
  const int saved = SaveDC(dc);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  if (font_) SelectObject(dc, font_.get());
  // One line. A text wider than the control runs on past its edge instead
  // of being cut, because a substituted font may be wider than the one the
  // layout was made for.
  UINT format = DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX | DT_TOP;
  format |= alignment_ == Alignment::Center ? DT_CENTER : DT_LEFT;
  DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &area, format);
  RestoreDC(dc, saved);  // also restores the font that was selected before
}

void Label::MouseDown(const MouseEvent& e) {
  if (OnMouseDown) OnMouseDown(e);
}

void Label::MouseUp(const MouseEvent& e) {
  if (OnMouseUp) OnMouseUp(e);
}

void Label::MouseMove(const MouseEvent& e) {
  if (OnMouseMove) OnMouseMove(e);
}

}  // namespace platform
