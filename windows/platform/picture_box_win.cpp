#include "windows/platform/picture_box_win.h"

#include <windowsx.h>

#include "windows/platform/form_win.h"

namespace platform {
namespace {

constexpr wchar_t kPictureBoxClass[] = L"VaromineaPictureBox";

RECT OuterRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

RECT ClientRect(HWND hwnd) {  // its top-left corner is (0, 0)
  RECT r{};
  GetClientRect(hwnd, &r);
  return r;
}

}  // namespace

PictureBox::PictureBox(Form& form, const PictureBoxDesign& design) : form_(form), design_(design) {
  form.AddChild(this);
}

void PictureBox::Create(HWND parent) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  if (design_.visible) style |= WS_VISIBLE;
  const DWORD ex_style = design_.border ? WS_EX_CLIENTEDGE : 0;
  CreateBound(kPictureBoxClass, ex_style, style, L"", design_.bounds, parent);
  EnsureImage();
}

void PictureBox::EnsureImage() {
  if (!design_.retained || !hwnd() || image_dc_) return;
  WindowDc screen(hwnd());
  const int w = client_width() > 0 ? client_width() : 1;
  const int h = client_height() > 0 ? client_height() : 1;
  image_dc_.reset(CreateCompatibleDC(screen.get()));
  image_bitmap_.reset(CreateCompatibleBitmap(screen.get(), w, h));
  if (!image_dc_ || !image_bitmap_) return;
  image_selection_.emplace(image_dc_.get(), image_bitmap_.get());
  OwnedBrush brush(CreateSolidBrush(design_.back_color));
  RECT all{0, 0, w, h};
  FillRect(image_dc_.get(), &all, brush.get());
}

int PictureBox::width() const {
  const RECT r = OuterRect(hwnd());
  return r.right - r.left;
}
int PictureBox::height() const {
  const RECT r = OuterRect(hwnd());
  return r.bottom - r.top;
}
int PictureBox::client_width() const {
  return ClientRect(hwnd()).right;
}
int PictureBox::client_height() const {
  return ClientRect(hwnd()).bottom;
}

void PictureBox::Move(int left, int top, int width, int height) {
  design_.bounds = RECT{left, top, left + width, top + height};
  if (hwnd()) {
    SetWindowPos(hwnd(), nullptr, left, top, width < 0 ? 0 : width, height < 0 ? 0 : height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ResizeImage();
  }
}

void PictureBox::ResizeImage() {
  if (!image_dc_ || !image_bitmap_) return;
  BITMAP old{};
  GetObjectW(image_bitmap_.get(), sizeof old, &old);
  const int w = client_width() > 0 ? client_width() : 1;
  const int h = client_height() > 0 ? client_height() : 1;
  if (old.bmWidth == w && old.bmHeight == h) return;
  WindowDc screen(hwnd());
  OwnedBitmap bitmap(CreateCompatibleBitmap(screen.get(), w, h));
  OwnedMemoryDc fresh(CreateCompatibleDC(screen.get()));
  if (!bitmap || !fresh) return;
  {
    Selected select(fresh.get(), bitmap.get());
    OwnedBrush brush(CreateSolidBrush(design_.back_color));
    RECT all{0, 0, w, h};
    FillRect(fresh.get(), &all, brush.get());
    BitBlt(fresh.get(), 0, 0, w, h, image_dc_.get(), 0, 0, SRCCOPY);
  }
  // The old image is put out of the DC before it goes.
  image_selection_.reset();
  image_bitmap_ = std::move(bitmap);
  image_selection_.emplace(image_dc_.get(), image_bitmap_.get());
  ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void PictureBox::SetBackColor(COLORREF color) {
  design_.back_color = color;
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void PictureBox::SetFocus() {
  if (hwnd()) ::SetFocus(hwnd());
}

void PictureBox::PaintContent(HDC dc, const RECT& area) {
  if (image_dc_) {
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, image_dc_.get(),
           area.left, area.top, SRCCOPY);
  } else {
    OwnedBrush brush(CreateSolidBrush(design_.back_color));
    FillRect(dc, &area, brush.get());
  }
  PaintControls(dc);
}

LRESULT PictureBox::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      form_.KeyDownFromChild(wparam);
      break;
    case WM_KEYUP:
      form_.KeyUpFromChild(wparam);
      break;
    case WM_SETFOCUS:
      if (OnGotFocus) OnGotFocus();
      break;
    case WM_KILLFOCUS:
      if (OnLostFocus) OnLostFocus();
      break;
    case WM_GETOBJECT:
      if (OnGetObject) {
        if (const LRESULT answer = OnGetObject(wparam, lparam)) return answer;
      }
      break;
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT) return SetCursorFromControls();
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      if (RouteMouse(message, wparam, lparam)) return ButtonHandled(message);
      pressed_ = true;
      SetCapture(hwnd());
      if (OnMouseDown) OnMouseDown(MouseEventFrom(message, wparam, lparam));
      return ButtonHandled(message);
    case WM_MOUSEMOVE:
      if (RouteMouse(message, wparam, lparam)) return 0;
      if (OnMouseMove) OnMouseMove(MouseEventFrom(message, wparam, lparam));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP: {
      if (RouteMouse(message, wparam, lparam)) return ButtonHandled(message);
      const bool was_pressed = pressed_;
      pressed_ = false;
      if (NoButtonHeld(wparam)) ReleaseCapture();
      if (OnMouseUp) OnMouseUp(MouseEventFrom(message, wparam, lparam));
      POINT pt{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      const RECT client = ClientRect(hwnd());
      if (was_pressed && PtInRect(&client, pt) && OnClick) OnClick();
      return ButtonHandled(message);
    }
    case WM_CAPTURECHANGED:
      RouteMouse(message, wparam, lparam);
      break;
    default:
      break;
  }
  return DefaultHandling(message, wparam, lparam);
}

}  // namespace platform
