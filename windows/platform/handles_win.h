// RAII owners for Windows handles and COM interfaces: one owner per handle,
// never copied.
#pragma once

#include <windows.h>

#include <utility>

namespace platform {

template <typename Handle, typename Traits>
class Owned {
 public:
  Owned() = default;
  explicit Owned(Handle h) : handle_(h) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, Handle{}));
    return *this;
  }
  ~Owned() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return Traits::Valid(handle_); }
  void reset(Handle h = Handle{}) {
    if (Traits::Valid(handle_)) Traits::Close(handle_);
    handle_ = h;
  }
  Handle release() { return std::exchange(handle_, Handle{}); }

 private:
  Handle handle_{};
};

struct GdiObjectTraits {
  static bool Valid(HGDIOBJ h) { return h != nullptr; }
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct MemoryDcTraits {
  static bool Valid(HDC h) { return h != nullptr; }
  static void Close(HDC h) { DeleteDC(h); }
};
struct CursorTraits {
  static bool Valid(HCURSOR h) { return h != nullptr; }
  static void Close(HCURSOR h) { DestroyCursor(h); }
};
struct FileTraits {
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};

using OwnedBitmap = Owned<HBITMAP, GdiObjectTraits>;
using OwnedFont = Owned<HFONT, GdiObjectTraits>;
using OwnedBrush = Owned<HBRUSH, GdiObjectTraits>;
using OwnedMemoryDc = Owned<HDC, MemoryDcTraits>;
using OwnedCursor = Owned<HCURSOR, CursorTraits>;
using OwnedFile = Owned<HANDLE, FileTraits>;
using OwnedKernelObject = Owned<HANDLE, FileTraits>;  // mutexes, events, processes

// A window's device context (the screen's for a null window), released when
// the owner goes.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// An object selected into a device context; the previous one comes back.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;
  ~Selected() {
    if (previous_) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// The one owner of a COM interface pointer: released when it goes.
template <typename T>
class Com {
 public:
  Com() = default;
  // Takes over a reference the caller holds (a newly made object's).
  explicit Com(T* adopted) : p_(adopted) {}
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  ~Com() {
    if (p_) p_->Release();
  }
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  // For the functions that hand out a new reference.
  T** out() {
    if (p_) p_->Release();
    p_ = nullptr;
    return &p_;
  }
  void** out_void() { return reinterpret_cast<void**>(out()); }

 private:
  T* p_ = nullptr;
};

}  // namespace platform
