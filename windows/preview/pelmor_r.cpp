#include "windows/preview/pelmor_r.h"

#include "core/shared_values.h"
#include "windows/platform/app_win.h"
#include "windows/platform/picture_win.h"
#include "windows/resources/resource_ids.h"
#include "windows/resources/texts.h"

namespace varominea {
namespace {

// How often the preview checks that its area still exists: well inside the
// second within which a preview must end after the area is destroyed.
constexpr UINT kAreaWatchIntervalMs = 200;

}  // namespace

Pelmor_R::Pelmor_R()
    : Form(platform::FormDesign{texts::kPreviewCaption, platform::BorderStyle::None, RGB(0, 0, 0)}),
      Img_Prev(*this, RECT{0, 0, 187, 178}),
      area_watch_(*this, kAreaWatchIntervalMs) {
  // The picture belongs to the window's design; ShowPreviewIn sizes the
  // control over the preview area.
  Img_Prev.SetPicture(platform::Picture::FromResource(IDR_PREVIEW_PICTURE));
}

void Pelmor_R::Form_Unload(std::int16_t& /*cancel*/) {
  // A close request to the window itself: the unload under way destroys the
  // window before the request can arrive, so nothing more happens.
  ApiResult = PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void Pelmor_R::EndWhenAreaIsGone(HWND area) {
  area_watch_.OnTimer = [area] {
    if (!IsWindow(area)) platform::EndProgram();
  };
  area_watch_.SetEnabled(true);
}

LRESULT Pelmor_R::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  // Answered here rather than by the system, which would ask the host's
  // windows and could activate them.
  if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  return Form::HandleMessage(message, wparam, lparam);
}

bool ShowPreviewIn(Pelmor_R& preview, HWND parent) {
  // The area's outer size in pixels, whatever it is: a host that runs savers
  // as a desktop background passes the whole desktop.
  RECT area{};
  ApiResult = GetWindowRect(parent, &area);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;

  preview.Load();
  const HWND window = preview.hwnd();
  // A child, and only a child: with WS_POPUP left beside WS_CHILD the system
  // still treats the window as a top-level one, and the re-parenting below
  // would activate it and take the focus from the host. The host (the control
  // panel) keeps the foreground while the user goes on choosing: nothing in
  // the preview's life may activate it.
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  ApiResult = SetWindowLongW(window, GWL_STYLE,
                             (style & ~static_cast<LONG>(WS_POPUP)) | static_cast<LONG>(WS_CHILD));
  const LONG ex_style = GetWindowLongW(window, GWL_EXSTYLE);
  ApiResult = SetWindowLongW(window, GWL_EXSTYLE, ex_style | WS_EX_NOACTIVATE);
  ApiResult = SetParent(window, parent) != nullptr;
  // Not a child (the area went away meanwhile): nothing would ever close it.
  if (!ApiResult || GetAncestor(window, GA_PARENT) != parent) return false;
  preview.MovePixels(0, 0, width, height);
  preview.Img_Prev.Move(0, 0, width, height);
  preview.ShowWithoutActivating();
  if (!IsWindow(parent)) return false;
  preview.EndWhenAreaIsGone(parent);
  return true;
}

}  // namespace varominea
