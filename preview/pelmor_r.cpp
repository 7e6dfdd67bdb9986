#include "preview/pelmor_r.h"

#include "core/numbers.h"
#include "core/shared_values.h"
#include "platform/app_win.h"
#include "platform/picture_win.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"

namespace varominea {

Pelmor_R::Pelmor_R()
    : Form(platform::FormDesign{texts::kPreviewCaption, platform::BorderStyle::None, RGB(0, 0, 0)}),
      Img_Prev(*this, RECT{0, 0, 187, 178}) {
  // The picture belongs to the window's design; ShowPreviewIn sizes the
  // control over the preview area.
  Img_Prev.SetPicture(platform::Picture::FromResource(IDR_PREVIEW_PICTURE));
}

void Pelmor_R::Form_Unload(std::int16_t& /*cancel*/) {
  // A close request to the window itself: the unload under way destroys the
  // window before the request can arrive, so nothing more happens.
  ApiResult = PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

bool ShowPreviewIn(Pelmor_R& preview, HWND parent) {
  RECT area{};
  ApiResult = GetWindowRect(parent, &area);
  const platform::ScreenMetrics screen = platform::Screen();
  const auto width_twips = ToInt16(static_cast<double>(screen.twips_per_pixel_x) *
                                   (static_cast<double>(area.right) - area.left));
  const auto height_twips = ToInt16(static_cast<double>(screen.twips_per_pixel_y) *
                                    (static_cast<double>(area.bottom) - area.top));
  if (!width_twips || !height_twips) return false;
  ViewRect[2] = 0;
  ViewRect[3] = 0;
  ViewRect[4] = *width_twips;
  ViewRect[5] = *height_twips;

  preview.Load();
  const HWND window = preview.hwnd();
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  ApiResult = SetWindowLongW(window, GWL_STYLE, style | WS_CHILD);
  ApiResult = SetParent(window, parent) != nullptr;
  preview.SetLeftTwips(ViewRect[2]);
  preview.SetTopTwips(ViewRect[3]);
  preview.SetWidthTwips(ViewRect[4]);
  preview.SetHeightTwips(ViewRect[5]);
  preview.Img_Prev.Move(0, 0, ViewRect[4] / screen.twips_per_pixel_x,
                        ViewRect[5] / screen.twips_per_pixel_y);
  preview.Show();
  return true;
}

}  // namespace varominea
