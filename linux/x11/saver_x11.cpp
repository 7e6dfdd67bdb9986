#include "linux/x11/saver_x11.h"

#include <X11/Xatom.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "core/frame_layout.h"
#include "core/frame_source.h"
#include "linux/frame_rate.h"
#include "linux/signal_watch.h"
#include "linux/x11/frame_image.h"
#include "linux/x11/painters.h"
#include "linux/x11/x11_owners.h"
#include "linux/x11/x_errors.h"

namespace varominea::x11 {
namespace {

using Clock = std::chrono::steady_clock;
using linux_saver::FrameRateReport;
using linux_saver::Options;
using linux_saver::Target;

constexpr char kTitle[] = "ヴァロミネア";

// Where the frame is enlarged: by the server where it can (RENDER), else by
// this program. VAROMINEA_X11_STRETCH=client or =server chooses one for
// comparisons and tests; =server fails where the server cannot.
enum class Stretch { Either, Client, Server };

class Saver {
 public:
  Saver(Display* display, const Options& options, Stretch stretch)
      : display_(display), options_(options), stretch_choice_(stretch) {}

  int Run() {
    if (!Open()) return 1;
    source_ = FrameSource::Start(options_.proc_pattern, ClockSeededUniform());
    if (!source_) {
      std::fputs("varominea: out of memory\n", stderr);
      return 1;
    }
    // Only the colour table is used: the frame is drawn by this program, not
    // blitted from a device-independent bitmap.
    const Colours colours = ColoursFor(display_, surface_, source_->palette());
    gc_.emplace(display_, XCreateGC(display_, surface_.window, 0, nullptr));
    XSetForeground(display_, gc_->get(), colours.black);
    if (stretch_choice_ != Stretch::Client) {
      painter_ = MakeServerPainter(display_, surface_, colours, gc_->get(), shared_memory_);
    }
    if (stretch_choice_ == Stretch::Server && !painter_) {
      std::fputs(
          "varominea: VAROMINEA_X11_STRETCH=server, but the X server cannot enlarge the "
          "picture here (that needs RENDER and a true-colour window)\n",
          stderr);
      return 1;
    }
    if (!painter_) {
      painter_ = MakeClientPainter(display_, surface_, colours, gc_->get(), shared_memory_);
    }

    int width = 0, height = 0;
    if (!WindowSize(width, height)) return 0;
    LayOut(width, height);
    frame_rate_.Start(options_.fps);
    for (;;) {
      if (const auto status = HandleEvents()) return *status;
      if (foreign_) {
        // Hosts resize and destroy their windows without asking.
        if (!WindowSize(width, height)) return 0;
        if (width != layout_.window_width || height != layout_.window_height) {
          LayOut(width, height);
        }
      }
      source_->Step();
      painter_->Paint(source_->field());
      frame_rate_.CountFrame();
      if (const auto status = Pause()) return *status;
    }
  }

 private:
  bool Open() {
    WatchErrors(display_);
    const int screen = DefaultScreen(display_);
    shared_memory_ = SharedMemoryWorks(display_);
    if (options_.target == Target::OwnWindow) return CreateOwnWindow(screen);
    surface_.window =
        options_.target == Target::Root ? RootWindow(display_, screen) : options_.window_id;
    foreign_ = true;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, surface_.window, &attributes)) {
      std::fprintf(stderr, "varominea: no window 0x%lx\n", surface_.window);
      return false;
    }
    if (attributes.c_class == InputOnly) {
      std::fprintf(stderr, "varominea: window 0x%lx is input-only: nothing can be drawn in it\n",
                   surface_.window);
      return false;
    }
    surface_.visual = attributes.visual;
    surface_.depth = static_cast<unsigned>(attributes.depth);
    surface_.colormap = attributes.colormap;
    // Only structure and exposure: keys and buttons belong to the host.
    XSelectInput(display_, surface_.window, StructureNotifyMask | ExposureMask);
    return true;
  }

  bool CreateOwnWindow(int screen) {
    const int width = std::min(1024, DisplayWidth(display_, screen));
    const int height = std::min(768, DisplayHeight(display_, screen));
    const unsigned long black = BlackPixel(display_, screen);
    own_window_.emplace(
        display_, XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0,
                                      static_cast<unsigned>(width), static_cast<unsigned>(height),
                                      0, black, black));
    const Window window = own_window_->get();
    surface_.window = window;
    surface_.visual = DefaultVisual(display_, screen);
    surface_.depth = static_cast<unsigned>(DefaultDepth(display_, screen));
    surface_.colormap = DefaultColormap(display_, screen);

    XTextProperty name{};
    char* title = const_cast<char*>(kTitle);
    if (Xutf8TextListToTextProperty(display_, &title, 1, XUTF8StringStyle, &name) == Success) {
      XSetWMName(display_, window, &name);
      XSetWMIconName(display_, window, &name);
      XFree(name.value);
    }
    const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    XChangeProperty(display_, window, XInternAtom(display_, "_NET_WM_NAME", False), utf8, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(kTitle),
                    static_cast<int>(std::strlen(kTitle)));
    XClassHint class_hint{};
    char res_name[] = "varominea";
    char res_class[] = "Varominea";
    class_hint.res_name = res_name;
    class_hint.res_class = res_class;
    XSetClassHint(display_, window, &class_hint);
    delete_window_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window, &delete_window_, 1);
    XSelectInput(display_, window, StructureNotifyMask | ExposureMask);
    XMapWindow(display_, window);
    return true;
  }

  bool WindowSize(int& width, int& height) {
    Window root = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    if (!XGetGeometry(display_, surface_.window, &root, &x, &y, &w, &h, &border, &depth)) {
      return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
  }

  void LayOut(int width, int height) {
    layout_ = LayoutFrame(width, height, options_.image_size);
    painter_->LayOut(layout_);
    PaintMargins();
  }

  // Black around the drawing area's visible part.
  void PaintMargins() {
    const int w = layout_.window_width, h = layout_.window_height;
    const int l = layout_.visible_left, t = layout_.visible_top;
    const int r = l + layout_.visible_width, b = t + layout_.visible_height;
    if (layout_.visible_width == 0 || layout_.visible_height == 0) {
      Fill(0, 0, w, h);
      return;
    }
    Fill(0, 0, w, t);
    Fill(0, b, w, h - b);
    Fill(0, t, l, b - t);
    Fill(r, t, w - r, b - t);
  }

  void Fill(int x, int y, int w, int h) {
    if (w > 0 && h > 0) {
      XFillRectangle(display_, surface_.window, gc_->get(), x, y, static_cast<unsigned>(w),
                     static_cast<unsigned>(h));
    }
  }

  // Handles what the server has sent; a status when the saver must end.
  std::optional<int> HandleEvents() {
    while (XPending(display_) > 0) {
      XEvent event{};
      XNextEvent(display_, &event);
      switch (event.type) {
        case ConfigureNotify:
          if (event.xconfigure.window == surface_.window &&
              (event.xconfigure.width != layout_.window_width ||
               event.xconfigure.height != layout_.window_height)) {
            LayOut(event.xconfigure.width, event.xconfigure.height);
          }
          break;
        case Expose:
          if (event.xexpose.count == 0) PaintMargins();
          break;
        case DestroyNotify:
          if (event.xdestroywindow.window == surface_.window) return 0;
          break;
        case ClientMessage:
          if (own_window_ && event.xclient.format == 32 &&
              static_cast<Atom>(event.xclient.data.l[0]) == delete_window_) {
            return 0;
          }
          break;
        default:
          break;
      }
    }
    return std::nullopt;
  }

  // Waits out the delay, handling events as they come; a status when the
  // window's end or the connection's says to stop.
  std::optional<int> Pause() {
    const auto until = Clock::now() + std::chrono::microseconds(options_.delay_us);
    for (;;) {
      // Events already read into Xlib's queue (by the frame's round trip) do
      // not wake the poll below.
      if (const auto status = HandleEvents()) return status;
      const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(until - Clock::now());
      const auto wait = left.count() > 0 ? left : std::chrono::nanoseconds(0);
      const timespec timeout{static_cast<time_t>(wait.count() / 1'000'000'000),
                             static_cast<long>(wait.count() % 1'000'000'000)};
      // SIGTERM and SIGINT are handled beside this loop (SignalWatch).
      pollfd fds[1] = {{ConnectionNumber(display_), POLLIN, 0}};
      const int ready = ppoll(fds, 1, &timeout, nullptr);
      if (ready > 0 && (fds[0].revents & (POLLHUP | POLLERR)) != 0) return 1;
      if (wait.count() == 0 || Clock::now() >= until) return HandleEvents();
    }
  }

  Display* const display_;
  const Options options_;
  const Stretch stretch_choice_;
  std::optional<WindowOwner> own_window_;
  Surface surface_;
  bool foreign_ = false;
  bool shared_memory_ = false;
  Atom delete_window_ = 0;

  std::unique_ptr<FrameSource> source_;
  std::optional<GcOwner> gc_;
  std::unique_ptr<Painter> painter_;
  FrameLayout layout_;

  FrameRateReport frame_rate_;
};

}  // namespace

int RunSaver(const Options& options, int signal_fd) {
  // Watching from before the connection is made: opening it waits on the
  // server as well. The shared segment is marked for removal when it is
  // made, so an end at once leaves nothing behind.
  const linux_saver::SignalWatch watch(signal_fd);
  if (!watch.watching()) {
    std::fputs("varominea: cannot watch for SIGTERM and SIGINT\n", stderr);
    return 1;
  }
  Stretch stretch = Stretch::Either;
  if (const char* choice = std::getenv("VAROMINEA_X11_STRETCH")) {
    const std::string_view text(choice);
    if (text == "client") stretch = Stretch::Client;
    if (text == "server") stretch = Stretch::Server;
  }
  const DisplayOwner display(XOpenDisplay(nullptr));
  if (!display) {
    std::fputs("varominea: cannot open the X display (is DISPLAY set?)\n", stderr);
    return 1;
  }
  // Declared after the display, so everything it holds goes first.
  Saver saver(display.get(), options, stretch);
  return saver.Run();
}

}  // namespace varominea::x11
