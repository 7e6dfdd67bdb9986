#include "preview/pelmor_r.h"

#include "platform/picture_win.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "startup/shared_values.h"

namespace varominea {

Pelmor_R::Pelmor_R()
    : Form(platform::FormDesign{texts::kPreviewCaption, platform::BorderStyle::None, RGB(0, 0, 0)}),
      Img_Prev(*this, RECT{0, 0, 187, 178}) {
  // The picture belongs to the window's design; Main sizes the control.
  Img_Prev.SetPicture(platform::Picture::FromResource(IDR_PREVIEW_PICTURE));
}

void Pelmor_R::Form_Unload(std::int16_t& /*cancel*/) {
  // The owner is asked for and not used; the close request goes to this
  // window, whose unloading is already under way, and so changes nothing.
  GetWindow(hwnd(), GW_OWNER);
  ApiResult = PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

}  // namespace varominea
