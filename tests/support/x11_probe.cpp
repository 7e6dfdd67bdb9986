#include "tests/support/x11_probe.h"

#include <X11/Xutil.h>
#include <signal.h>

#include <memory>

namespace x11test {
namespace {

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};

}  // namespace

Display* TheDisplay() {
  static const std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
  return display.get();
}

TestWindow::TestWindow(int width, int height, WindowKind kind) {
  Display* const d = TheDisplay();
  const auto w = static_cast<unsigned>(width), h = static_cast<unsigned>(height);
  if (kind == WindowKind::Plain) {
    window_ = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, w, h, 0, kWhite, kWhite);
  } else if (kind == WindowKind::InputOnlyClass) {
    XSetWindowAttributes attributes{};
    window_ = XCreateWindow(d, DefaultRootWindow(d), 0, 0, w, h, 0, 0, InputOnly, CopyFromParent, 0,
                            &attributes);
  } else {
    const bool argb = kind == WindowKind::Argb;
    XVisualInfo info{};
    if (XMatchVisualInfo(d, DefaultScreen(d), argb ? 32 : 24, argb ? TrueColor : DirectColor,
                         &info) == 0) {
      return;
    }
    colormap_ = XCreateColormap(d, DefaultRootWindow(d), info.visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = colormap_;
    attributes.background_pixel = 0xFFFFFFFF;
    attributes.border_pixel = 0;
    window_ = XCreateWindow(d, DefaultRootWindow(d), 0, 0, w, h, 0, info.depth, InputOutput,
                            info.visual, CWColormap | CWBackPixel | CWBorderPixel, &attributes);
  }
  XMapWindow(d, window_);
  XSync(d, False);
}

TestWindow::~TestWindow() {
  Destroy();
  if (colormap_ != 0) XFreeColormap(TheDisplay(), colormap_);
}

void TestWindow::Destroy() {
  if (window_ != 0) {
    XDestroyWindow(TheDisplay(), window_);
    XSync(TheDisplay(), False);
    window_ = 0;
  }
}

void TestWindow::Resize(int width, int height) {
  XResizeWindow(TheDisplay(), window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(TheDisplay(), False);
}

ServerGrab::ServerGrab() {
  XGrabServer(TheDisplay());
  XSync(TheDisplay(), False);
}

ServerGrab::~ServerGrab() {
  XUngrabServer(TheDisplay());
  XSync(TheDisplay(), False);
}

namespace {

// What a direct-colour window's 8-bit channels show, through its colormap:
// entry i of each channel, as 0xRRGGBB masks; empty for any other window.
std::vector<std::uint32_t> ShownChannels(Window window) {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(TheDisplay(), window, &attributes) == 0 ||
      attributes.visual->c_class != DirectColor) {
    return {};
  }
  std::vector<XColor> cells(256);
  for (unsigned long i = 0; i < cells.size(); ++i) cells[i].pixel = i << 16 | i << 8 | i;
  XQueryColors(TheDisplay(), attributes.colormap, cells.data(), static_cast<int>(cells.size()));
  std::vector<std::uint32_t> shown;
  for (const XColor& cell : cells) {
    shown.push_back(std::uint32_t{cell.red} >> 8 << 16 | std::uint32_t{cell.green} >> 8 << 8 |
                    std::uint32_t{cell.blue} >> 8);
  }
  return shown;
}

}  // namespace

Picture::Picture(Window window, int width, int height, std::uint32_t bits)
    : width_(width), height_(height) {
  const std::vector<std::uint32_t> shown = ShownChannels(window);
  XImage* image = XGetImage(TheDisplay(), window, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return;
  pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      auto pixel = static_cast<std::uint32_t>(XGetPixel(image, x, y));
      if (!shown.empty()) {
        pixel = (shown[pixel >> 16 & 0xFF] & 0xFF0000) | (shown[pixel >> 8 & 0xFF] & 0xFF00) |
                (shown[pixel & 0xFF] & 0xFF);
      }
      pixels_[Index(x, y)] = pixel & bits;
    }
  }
  XDestroyImage(image);
}

Frozen::Frozen(const Process& process) : process_(process) {
  process_.Signal(SIGSTOP);
  std::this_thread::sleep_for(150ms);
  XSync(TheDisplay(), False);
}

Frozen::~Frozen() {
  process_.Signal(SIGCONT);
}

std::vector<CellSample> SampleCells(Rect area, int window_width, int window_height,
                                    bool (*include)(int, int), std::uint8_t (*start)(int, int)) {
  return test::SampleCells(
      area.left, area.top, area.width, area.height, include, start,
      [&](int x, int y) { return x >= 0 && y >= 0 && x < window_width && y < window_height; });
}

std::bitset<256> ConsistentFrames(const std::vector<CellSample>& samples, const Picture& shot) {
  return test::ConsistentFrames(samples, [&](int x, int y) { return shot.at(x, y); });
}

int NonBlack(const Picture& shot, Rect area, test::Span columns, test::Span rows, bool inside) {
  return test::NonBlackPixels(
      shot.width(), shot.height(), [&](int x, int y) { return shot.at(x, y); },
      {area.left, area.top, area.width, area.height}, columns, rows, inside);
}

bool ShowsFrames(Window window, Rect area) {
  const int x = area.left + area.width / 2, y = area.top + area.height / 2;
  return WaitUntil(
      [&] {
        const Picture p(window, x + 1, y + 1);
        return p.valid() && p.at(x, y) != kWhite && p.at(x, y) != kBlack;
      },
      10s);
}

}  // namespace x11test
