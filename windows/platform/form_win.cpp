#include "windows/platform/form_win.h"

#include <utility>

#include "windows/platform/app_win.h"
#include "windows/platform/picture_box_win.h"

namespace platform {
namespace {

constexpr wchar_t kFormClass[] = L"VaromineaForm";

// The forms that have a window; the last one to go ends the message loop.
int g_live_forms = 0;

}  // namespace

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
  // The window itself goes with the Window part, without its events.
  if (loaded()) --g_live_forms;
}

UINT_PTR Form::AddTimer(Timer* timer) {
  timers_.push_back(timer);
  return timers_.size();
}

void Form::Load() {
  if (loaded()) return;
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
  CreateBound(kFormClass, 0, style, design_.caption.c_str(), RECT{0, 0, 320, 240}, nullptr);
  if (!loaded()) return;
  ++g_live_forms;
  if (design_.icon_resource != 0) {
    auto load = [&](int size) {
      return static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(design_.icon_resource),
                                           IMAGE_ICON, size, size, LR_SHARED));
    };
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(load(32)));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(load(16)));
  }
  for (PictureBox* child : children_) child->Create(hwnd());
  Form_Load();
}

void Form::Show() {
  if (!loaded()) Load();
  if (!loaded()) return;
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  UpdateWindow(hwnd());
}

void Form::ShowWithoutActivating() {
  if (!loaded()) Load();
  if (!loaded()) return;
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd());
}

void Form::ShowModal() {
  Show();
  MSG msg;
  while (loaded()) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Form::Unload(UnloadReason reason) {
  if (!loaded() || unloading_) return;
  unloading_ = true;
  std::int16_t cancel = 0;
  Form_QueryUnload(cancel, reason);
  if (cancel == 0 && loaded()) Form_Unload(cancel);
  unloading_ = false;
  if (cancel != 0 || !loaded()) return;
  DestroyWindow(hwnd());
}

void Form::SetBackColor(COLORREF color) {
  design_.back_color = color;
  back_brush_.reset(CreateSolidBrush(color));
  if (loaded()) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void Form::SetWindowStateNormal() {
  if (loaded() && (IsIconic(hwnd()) || IsZoomed(hwnd()))) ShowWindow(hwnd(), SW_RESTORE);
}

RECT Form::WindowRectPixels() const {
  RECT r{};
  if (loaded()) GetWindowRect(hwnd(), &r);
  return r;
}

void Form::MovePixels(int left, int top, int width, int height) {
  if (loaded()) {
    SetWindowPos(hwnd(), nullptr, left, top, width < 0 ? 0 : width, height < 0 ? 0 : height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Form::KeyDownFromChild(WPARAM key) {
  if (!design_.key_preview) return;
  Form_KeyDown(static_cast<std::int16_t>(key), ShiftState());
}

void Form::KeyUpFromChild(WPARAM key) {
  if (!design_.key_preview) return;
  Form_KeyUp(static_cast<std::int16_t>(key), ShiftState());
}

void Form::PaintContent(HDC dc, const RECT& area) {
  FillRect(dc, &area, back_brush_.get());
  PaintControls(dc);
}

void Form::WindowDestroyed() {
  if (--g_live_forms == 0) PostQuitMessage(0);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      Unload(UnloadReason::FormControlMenu);
      return 0;
    case WM_KEYDOWN:
      // The form's own key event; with key preview it has already seen keys
      // that reached a child.
      Form_KeyDown(static_cast<std::int16_t>(wparam), ShiftState());
      return 0;
    case WM_SYSKEYDOWN:
      Form_KeyDown(static_cast<std::int16_t>(wparam), ShiftState());
      break;  // the system still handles Alt+F4 and the window menu
    case WM_KEYUP:
      Form_KeyUp(static_cast<std::int16_t>(wparam), ShiftState());
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT && reinterpret_cast<HWND>(wparam) == hwnd()) {
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
    default:
      break;
  }
  return DefaultHandling(message, wparam, lparam);
}

}  // namespace platform
