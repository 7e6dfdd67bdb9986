#include "platform/form_win.h"

#include <windowsx.h>

#include <cmath>

#include "platform/app_win.h"

namespace platform {
namespace {

constexpr wchar_t kFormClass[] = L"VaromineaForm";
constexpr wchar_t kPictureBoxClass[] = L"VaromineaPictureBox";

int g_live_forms = 0;

void RegisterClassOnce(const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(Instance(), name, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = Instance();
  wc.hCursor = nullptr;  // WM_SETCURSOR decides
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

// An unexpected failure inside an event ends the program quietly: nothing
// may unwind through the system's frames.
template <typename F>
LRESULT Guarded(F&& f) {
  try {
    return f();
  } catch (...) {
    EndProgram();
  }
}

int ClientWidthOf(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return r.right - r.left;
}
int ClientHeightOf(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return r.bottom - r.top;
}

// Paints with a back buffer so that nothing flickers.
template <typename Draw>
void PaintBuffered(HWND hwnd, Draw&& draw) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return;
  const RECT& area = ps.rcPaint;
  const int w = area.right - area.left;
  const int h = area.bottom - area.top;
  if (w > 0 && h > 0) {
    OwnedMemoryDc buffer(CreateCompatibleDC(dc));
    OwnedBitmap bitmap(CreateCompatibleBitmap(dc, w, h));
    if (buffer && bitmap) {
      Selected select(buffer.get(), bitmap.get());
      SetViewportOrgEx(buffer.get(), -area.left, -area.top, nullptr);
      draw(buffer.get(), area);
      SetViewportOrgEx(buffer.get(), 0, 0, nullptr);
      BitBlt(dc, area.left, area.top, w, h, buffer.get(), 0, 0, SRCCOPY);
    } else {
      draw(dc, area);
    }
  }
  EndPaint(hwnd, &ps);
}

// Any mouse button held, the side buttons included.
constexpr WPARAM kAnyButton = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;

// What a handled button message answers: the side-button messages want TRUE.
LRESULT ButtonHandled(UINT message) {
  return message == WM_XBUTTONDOWN || message == WM_XBUTTONUP ? TRUE : 0;
}

}  // namespace

std::int16_t ShiftState() {
  std::int16_t shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
  if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
  if (GetKeyState(VK_MENU) < 0) shift |= 4;
  return shift;
}

MouseEvent MouseEventFrom(UINT message, WPARAM wparam, LPARAM lparam) {
  std::int16_t button = 0;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      button = 1;
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      button = 2;
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      button = 4;
      break;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
      button = GET_XBUTTON_WPARAM(wparam) == XBUTTON2 ? 16 : 8;
      break;
    default:  // moves report the buttons held
      if (wparam & MK_LBUTTON) button |= 1;
      if (wparam & MK_RBUTTON) button |= 2;
      if (wparam & MK_MBUTTON) button |= 4;
      if (wparam & MK_XBUTTON1) button |= 8;
      if (wparam & MK_XBUTTON2) button |= 16;
  }
  std::int16_t shift = 0;
  if (wparam & MK_SHIFT) shift |= 1;
  if (wparam & MK_CONTROL) shift |= 2;
  if (GetKeyState(VK_MENU) < 0) shift |= 4;
  return MouseEvent{button, shift, static_cast<float>(GET_X_LPARAM(lparam)),
                    static_cast<float>(GET_Y_LPARAM(lparam))};
}

// ---------------------------------------------------------------- windowless

WindowlessControl::WindowlessControl(Container& container, RECT bounds)
    : container_(container), bounds_(bounds) {
  container.Add(this);
}

void WindowlessControl::SetBounds(RECT bounds) {
  Invalidate();
  bounds_ = bounds;
  Invalidate();
}

void WindowlessControl::Invalidate() {
  container_.InvalidateRect(bounds_);
}

Container* Container::Bind(HWND hwnd, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Container*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  return reinterpret_cast<Container*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Container::InvalidateRect(const RECT& rect) {
  if (hwnd_) ::InvalidateRect(hwnd_, &rect, FALSE);
}

WindowlessControl* Container::HitTest(POINT pt) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    WindowlessControl* c = *it;
    if (c->WantsMouse() && PtInRect(&c->bounds(), pt)) return c;
  }
  return nullptr;
}

void Container::PaintControls(HDC dc) const {
  for (WindowlessControl* c : controls_) c->Paint(dc);
}

bool Container::RouteMouse(UINT message, WPARAM wparam, LPARAM lparam) {
  const POINT pt{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  auto local = [&](WindowlessControl* c) {
    MouseEvent e = MouseEventFrom(message, wparam, lparam);
    e.x -= static_cast<float>(c->bounds().left);
    e.y -= static_cast<float>(c->bounds().top);
    return e;
  };
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN: {
      WindowlessControl* target = captured_ ? captured_ : HitTest(pt);
      if (!target) return false;
      // The control that took the press gets the release, wherever it is.
      captured_ = target;
      SetCapture(hwnd_);
      target->MouseDown(local(target));
      return true;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP: {
      WindowlessControl* target = captured_;
      if (!target) return HitTest(pt) != nullptr;
      const bool buttons_left = (wparam & kAnyButton) != 0;
      if (!buttons_left) {
        captured_ = nullptr;
        ReleaseCapture();
      }
      target->MouseUp(local(target));
      return true;
    }
    case WM_MOUSEMOVE: {
      WindowlessControl* target = captured_ ? captured_ : HitTest(pt);
      if (!target) return false;
      target->MouseMove(local(target));
      return true;
    }
    case WM_CAPTURECHANGED:
      captured_ = nullptr;
      return false;
    default:
      return false;
  }
}

bool Container::SetCursorFromControls() {
  if (HCURSOR app = AppCursor()) {
    ::SetCursor(app);
    return true;
  }
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(hwnd_, &pt);
  WindowlessControl* c = captured_ ? captured_ : HitTest(pt);
  ::SetCursor(c && c->cursor() ? c->cursor() : LoadCursorW(nullptr, IDC_ARROW));
  return true;
}

// ---------------------------------------------------------------- picture box

PictureBox::PictureBox(Form& form, const PictureBoxDesign& design) : form_(form), design_(design) {
  form.AddChild(this);
}

PictureBox::~PictureBox() {
  if (image_old_bitmap_) SelectObject(image_dc_.get(), image_old_bitmap_);
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void PictureBox::Create(HWND parent) {
  RegisterClassOnce(kPictureBoxClass, &PictureBox::WindowProc);
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  if (design_.visible) style |= WS_VISIBLE;
  const DWORD ex_style = design_.border ? WS_EX_CLIENTEDGE : 0;
  const RECT& b = design_.bounds;
  CreateWindowExW(ex_style, kPictureBoxClass, L"", style, b.left, b.top, b.right - b.left,
                  b.bottom - b.top, parent, nullptr, Instance(), static_cast<Container*>(this));
  EnsureImage();
}

void PictureBox::EnsureImage() {
  if (!design_.retained || !hwnd_ || image_dc_) return;
  WindowDc screen(hwnd_);
  const int w = client_width() > 0 ? client_width() : 1;
  const int h = client_height() > 0 ? client_height() : 1;
  image_dc_.reset(CreateCompatibleDC(screen.get()));
  image_bitmap_.reset(CreateCompatibleBitmap(screen.get(), w, h));
  if (!image_dc_ || !image_bitmap_) return;
  image_old_bitmap_ = SelectObject(image_dc_.get(), image_bitmap_.get());
  OwnedBrush brush(CreateSolidBrush(design_.back_color));
  RECT all{0, 0, w, h};
  FillRect(image_dc_.get(), &all, brush.get());
}

int PictureBox::width() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r.right - r.left;
}
int PictureBox::height() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r.bottom - r.top;
}
int PictureBox::client_width() const {
  return ClientWidthOf(hwnd_);
}
int PictureBox::client_height() const {
  return ClientHeightOf(hwnd_);
}

void PictureBox::Move(int left, int top, int width, int height) {
  design_.bounds = RECT{left, top, left + width, top + height};
  if (hwnd_) {
    SetWindowPos(hwnd_, nullptr, left, top, width < 0 ? 0 : width, height < 0 ? 0 : height,
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
  WindowDc screen(hwnd_);
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
  SelectObject(image_dc_.get(), bitmap.get());
  image_bitmap_ = std::move(bitmap);  // the old image goes once it is no longer selected
  ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void PictureBox::SetBackColor(COLORREF color) {
  design_.back_color = color;
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void PictureBox::SetFocus() {
  if (hwnd_) ::SetFocus(hwnd_);
}

void PictureBox::Paint() {
  PaintBuffered(hwnd_, [&](HDC dc, const RECT& area) {
    if (image_dc_) {
      BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
             image_dc_.get(), area.left, area.top, SRCCOPY);
    } else {
      OwnedBrush brush(CreateSolidBrush(design_.back_color));
      FillRect(dc, &area, brush.get());
    }
    PaintControls(dc);
  });
}

LRESULT CALLBACK PictureBox::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = static_cast<PictureBox*>(Bind(hwnd, message, lparam));
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  return Guarded([&] { return self->HandleMessage(message, wparam, lparam); });
}

LRESULT PictureBox::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      form_.KeyDownFromChild(wparam, lparam);
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
      SetCapture(hwnd_);
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
      if ((wparam & kAnyButton) == 0) ReleaseCapture();
      if (OnMouseUp) OnMouseUp(MouseEventFrom(message, wparam, lparam));
      POINT pt{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      RECT client{0, 0, client_width(), client_height()};
      if (was_pressed && PtInRect(&client, pt) && OnClick) OnClick();
      return ButtonHandled(message);
    }
    case WM_CAPTURECHANGED:
      RouteMouse(message, wparam, lparam);
      break;
    case WM_NCDESTROY: {
      HWND hwnd = hwnd_;
      hwnd_ = nullptr;
      return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

// ---------------------------------------------------------------- timer

Timer::Timer(Form& form, UINT interval_ms)
    : form_(form), interval_ms_(interval_ms), id_(form.AddTimer(this)) {}

void Timer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (!form_.hwnd()) return;
  if (enabled) {
    SetTimer(form_.hwnd(), id_, interval_ms_, nullptr);
  } else {
    KillTimer(form_.hwnd(), id_);
  }
}

// ---------------------------------------------------------------- form

Form::Form(FormDesign design) : design_(std::move(design)) {}

Form::~Form() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    --g_live_forms;
  }
}

UINT_PTR Form::AddTimer(Timer* timer) {
  timers_.push_back(timer);
  return timers_.size();
}

void Form::Load() {
  if (hwnd_) return;
  RegisterClassOnce(kFormClass, &Form::WindowProc);
  DWORD style = WS_CLIPCHILDREN;
  switch (design_.border) {
    case BorderStyle::None:
      style |= WS_POPUP;
      break;
    case BorderStyle::FixedSingle:
      style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
      if (design_.minimize_box) style |= WS_MINIMIZEBOX;
      if (design_.maximize_box) style |= WS_MAXIMIZEBOX;
      break;
    case BorderStyle::Sizable:
      style |= WS_OVERLAPPEDWINDOW;
      if (!design_.minimize_box) style &= ~static_cast<DWORD>(WS_MINIMIZEBOX);
      if (!design_.maximize_box) style &= ~static_cast<DWORD>(WS_MAXIMIZEBOX);
      break;
  }
  back_brush_.reset(CreateSolidBrush(design_.back_color));
  CreateWindowExW(0, kFormClass, design_.caption.c_str(), style, 0, 0, 320, 240, nullptr, nullptr,
                  Instance(), static_cast<Container*>(this));
  if (!hwnd_) return;
  ++g_live_forms;
  if (design_.icon_resource != 0) {
    auto load = [&](int size) {
      return static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(design_.icon_resource),
                                           IMAGE_ICON, size, size, LR_SHARED));
    };
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(load(32)));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(load(16)));
  }
  for (PictureBox* child : children_) child->Create(hwnd_);
  Form_Load();
}

void Form::Show() {
  if (!hwnd_) Load();
  if (!hwnd_) return;
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  UpdateWindow(hwnd_);
}

void Form::ShowWithoutActivating() {
  if (!hwnd_) Load();
  if (!hwnd_) return;
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd_);
}

void Form::ShowModal() {
  Show();
  modal_ = true;
  MSG msg;
  while (hwnd_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  modal_ = false;
}

void Form::Unload(UnloadReason reason) {
  if (!hwnd_ || unloading_) return;
  unloading_ = true;
  std::int16_t cancel = 0;
  Form_QueryUnload(cancel, reason);
  if (cancel == 0 && hwnd_) Form_Unload(cancel);
  unloading_ = false;
  if (cancel != 0 || !hwnd_) return;
  DestroyWindow(hwnd_);
}

void Form::SetBackColor(COLORREF color) {
  design_.back_color = color;
  back_brush_.reset(CreateSolidBrush(color));
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void Form::SetWindowStateNormal() {
  if (hwnd_ && (IsIconic(hwnd_) || IsZoomed(hwnd_))) ShowWindow(hwnd_, SW_RESTORE);
}

RECT Form::WindowRectPixels() const {
  RECT r{};
  if (hwnd_) GetWindowRect(hwnd_, &r);
  return r;
}

int Form::TwipsToPixelsX(long twips) const {
  return static_cast<int>(std::lround(static_cast<double>(twips) / Screen().twips_per_pixel_x));
}
int Form::TwipsToPixelsY(long twips) const {
  return static_cast<int>(std::lround(static_cast<double>(twips) / Screen().twips_per_pixel_y));
}

void Form::MovePixels(int left, int top, int width, int height) {
  if (hwnd_) {
    SetWindowPos(hwnd_, nullptr, left, top, width < 0 ? 0 : width, height < 0 ? 0 : height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

POINT Form::PositionInParent() const {
  const RECT r = WindowRectPixels();
  POINT origin{r.left, r.top};
  // GetParent would answer the owner while WS_POPUP is still set beside
  // WS_CHILD (as on a form that was made a child after its creation).
  if (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) {
    ScreenToClient(GetAncestor(hwnd_, GA_PARENT), &origin);
  }
  return origin;
}

void Form::SetLeftTwips(long twips) {
  SetWindowPos(hwnd_, nullptr, TwipsToPixelsX(twips), PositionInParent().y, 0, 0,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

void Form::SetTopTwips(long twips) {
  SetWindowPos(hwnd_, nullptr, PositionInParent().x, TwipsToPixelsY(twips), 0, 0,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

void Form::SetWidthTwips(long twips) {
  const RECT r = WindowRectPixels();
  SetWindowPos(hwnd_, nullptr, 0, 0, TwipsToPixelsX(twips), r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

void Form::SetHeightTwips(long twips) {
  const RECT r = WindowRectPixels();
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, TwipsToPixelsY(twips),
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

void Form::DispatchKeyDown(WPARAM key, LPARAM /*flags*/) {
  if (!design_.key_preview) return;
  Form_KeyDown(static_cast<std::int16_t>(key), ShiftState());
}

void Form::Paint() {
  PaintBuffered(hwnd_, [&](HDC dc, const RECT& area) {
    FillRect(dc, &area, back_brush_.get());
    PaintControls(dc);
  });
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = static_cast<Form*>(Bind(hwnd, message, lparam));
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  return Guarded([&] { return self->Dispatch(message, wparam, lparam); });
}

LRESULT Form::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      Unload(UnloadReason::FormControlMenu);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_KEYDOWN:
      // The form's own key event; with key preview it has already seen keys
      // that reached a child.
      Form_KeyDown(static_cast<std::int16_t>(wparam), ShiftState());
      return 0;
    case WM_SYSKEYDOWN:
      Form_KeyDown(static_cast<std::int16_t>(wparam), ShiftState());
      break;  // the system still handles Alt+F4 and the window menu
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT && reinterpret_cast<HWND>(wparam) == hwnd_) {
        return SetCursorFromControls();
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      if (!RouteMouse(message, wparam, lparam))
        Form_MouseDown(MouseEventFrom(message, wparam, lparam));
      return ButtonHandled(message);
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP:
    case WM_CAPTURECHANGED:
      RouteMouse(message, wparam, lparam);
      return ButtonHandled(message);
    case WM_TIMER:
      if (wparam >= 1 && wparam <= timers_.size()) {
        Timer* timer = timers_[wparam - 1];
        if (timer->enabled() && timer->OnTimer) timer->OnTimer();
      }
      return 0;
    case WM_NCDESTROY: {
      HWND hwnd = hwnd_;
      hwnd_ = nullptr;
      if (--g_live_forms == 0) PostQuitMessage(0);
      return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    default:
      break;
  }
  return HandleMessage(message, wparam, lparam);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace platform
