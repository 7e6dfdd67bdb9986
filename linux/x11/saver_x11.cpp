#include "linux/x11/saver_x11.h"

#include <X11/Xatom.h>
#include <X11/extensions/render.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <bit>
#include <bitset>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "core/dib_header.h"
#include "core/kernel.h"
#include "core/patterns.h"
#include "core/pixel_field.h"
#include "linux/frame_layout.h"
#include "linux/frame_rate.h"
#include "linux/pixel_format.h"
#include "linux/x11/server_stretch.h"
#include "linux/x11/x11_owners.h"

namespace varominea::x11 {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kTitle[] = "ヴァロミネア";

// RENDER's "no such picture" error; -1 until the extension is in use.
int render_bad_picture = -1;

// Xlib's default handler ends the process on any error. A host may destroy
// the window at any moment, so requests on it can fail between two checks;
// the loop notices a vanished window by its own checks and ends quietly.
// Any other error is reported once for each kind of request that caused it:
// a fault that recurs every frame would otherwise flood the log.
int ReportXError(Display* display, XErrorEvent* error) {
  switch (error->error_code) {
    case BadWindow:
    case BadDrawable:
    case BadMatch:
    case BadAccess:  // shared memory the server cannot reach (probed below)
      return 0;
    default: {
      if (error->error_code == render_bad_picture) return 0;  // the window's picture, gone with it
      static std::bitset<256 * 256> reported;
      const std::size_t kind = std::size_t{error->error_code} * 256 + error->request_code;
      if (reported.test(kind)) return 0;
      reported.set(kind);
      char text[128] = {};
      XGetErrorText(display, error->error_code, text, sizeof text);
      std::fprintf(stderr, "varominea: X error ignored: %s (request %d; reported once)\n", text,
                   error->request_code);
      return 0;
    }
  }
}

// Ends the process at once, as SIGTERM and SIGINT must. No request goes to
// the server on the way out: the host that sent the signal may hold the
// server grabbed, or the server may be stopped, and either would block a
// round trip. The server frees this client's window, pixmaps and pictures
// when the connection closes, and the shared segment is already marked for
// removal.
[[noreturn]] void EndAtOnce() {
  _exit(0);
}

// Waits on the signal descriptor beside the frame loop, which may be blocked
// in Xlib for as long as the server does not answer.
class SignalWatch {
 public:
  explicit SignalWatch(int signal_fd) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return;
    quit_read_ = ends[0];
    quit_write_ = ends[1];
    thread_ = std::thread([signal_fd, quit = quit_read_] {
      pollfd fds[2] = {{signal_fd, POLLIN, 0}, {quit, POLLIN, 0}};
      for (;;) {
        if (poll(fds, 2, -1) < 0) continue;
        if ((fds[0].revents & POLLIN) != 0) EndAtOnce();
        if (fds[1].revents != 0) return;
      }
    });
  }
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;
  ~SignalWatch() {
    if (quit_write_ >= 0) close(quit_write_);
    if (thread_.joinable()) thread_.join();
    if (quit_read_ >= 0) close(quit_read_);
  }
  bool watching() const { return thread_.joinable(); }

 private:
  int quit_read_ = -1;
  int quit_write_ = -1;
  std::thread thread_;
};

// Where the frame is enlarged: by the server where it can (RENDER), else by
// this program. VAROMINEA_X11_STRETCH=client or =server chooses one for
// comparisons and tests; =server fails where the server cannot.
enum class Stretch { Either, Client, Server };

// Whether the server can read this client's shared memory: a 1 x 1 segment
// attached and read back. Remote servers accept the attach and then fail.
bool SharedMemoryWorks(Display* display) {
  if (!XShmQueryExtension(display)) return false;
  const int screen = DefaultScreen(display);
  ImageOwner probe;
  if (!probe.CreateShared(display, DefaultVisual(display, screen),
                          static_cast<unsigned>(DefaultDepth(display, screen)), 1, 1)) {
    return false;
  }
  return XShmGetImage(display, RootWindow(display, screen), probe.get(), 0, 0, AllPlanes) != 0;
}

struct Surface {
  Window window = 0;
  Visual* visual = nullptr;
  unsigned depth = 0;
  Colormap colormap = 0;
};

// The colours of the palette on this visual: from the channel masks on true
// and direct colour visuals, otherwise allocated from the colormap.
struct Colours {
  PixelTable table{};
  std::uint32_t black = 0;
  bool true_colour = false;
};

Colours ColoursFor(Display* display, const Surface& surface, const DibHeaderRecord& dib) {
  Colours colours;
  const int visual_class = surface.visual->c_class;
  if (visual_class == TrueColor || visual_class == DirectColor) {
    const ChannelMasks masks{static_cast<std::uint32_t>(surface.visual->red_mask),
                             static_cast<std::uint32_t>(surface.visual->green_mask),
                             static_cast<std::uint32_t>(surface.visual->blue_mask)};
    colours.table = PixelTableFor(dib, masks);
    colours.black = PixelFor(0, 0, 0, masks);
    // Opaque where the visual has an alpha channel.
    const std::uint32_t alpha = UnusedBits(surface.depth, masks);
    for (std::uint32_t& pixel : colours.table) pixel |= alpha;
    colours.black |= alpha;
    colours.true_colour = visual_class == TrueColor;
    return colours;
  }
  const auto allocate = [&](std::uint8_t r, std::uint8_t g, std::uint8_t b) -> std::uint32_t {
    XColor colour{};
    colour.red = static_cast<unsigned short>(r * 257);
    colour.green = static_cast<unsigned short>(g * 257);
    colour.blue = static_cast<unsigned short>(b * 257);
    colour.flags = DoRed | DoGreen | DoBlue;
    if (XAllocColor(display, surface.colormap, &colour) == 0) {
      return static_cast<std::uint32_t>(BlackPixel(display, DefaultScreen(display)));
    }
    return static_cast<std::uint32_t>(colour.pixel);
  };
  colours.black = allocate(0, 0, 0);
  for (std::size_t i = 0; i < colours.table.size(); ++i) {
    const RgbQuad& c = dib.bmiColors[i];
    colours.table[i] = allocate(c.rgbRed, c.rgbGreen, c.rgbBlue);
  }
  return colours;
}

class Saver {
 public:
  Saver(Display* display, const Options& options, Stretch stretch)
      : display_(display), options_(options), stretch_choice_(stretch) {}

  int Run() {
    if (!Open()) return 1;
    field_ = ByteField::Allocate();
    if (!field_) {
      std::fputs("varominea: out of memory\n", stderr);
      return 1;
    }
    params_ = KernelParamsOver(*field_);
    BuildKernel();
    // Only the colour table is used: the frame is drawn by this program, not
    // blitted from a device-independent bitmap.
    DibHeaderRecord dib{};
    ReadPAL_Newton(dib);
    colours_ = ColoursFor(display_, surface_, dib);
    gc_.emplace(display_, XCreateGC(display_, surface_.window, 0, nullptr));
    XSetForeground(display_, gc_->get(), colours_.black);
    server_stretch_ = stretch_choice_ != Stretch::Client && SetUpServerStretch();
    if (stretch_choice_ == Stretch::Server && !server_stretch_) {
      std::fputs(
          "varominea: VAROMINEA_X11_STRETCH=server, but the X server cannot enlarge the "
          "picture here (that needs RENDER and a true-colour window)\n",
          stderr);
      return 1;
    }
    if (options_.proc_pattern != 0) {
      FillRingField(*field_, ClockSeededUniform());
    } else {
      FillSquareField(*field_);
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
      KernelStep(&params_);
      DrawFrame();
      frame_rate_.CountFrame();
      if (const auto status = Pause()) return *status;
    }
  }

 private:
  bool Open() {
    XSetErrorHandler(ReportXError);
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

  // The picture's image, the pixmap the server reads it from and the two
  // pictures of the composite; false (and the client-side stretch) where the
  // server has no RENDER with transforms and filters, or the window is not
  // true colour.
  bool SetUpServerStretch() {
    int event_base = 0, error_base = 0, major = 0, minor = 0;
    if (!colours_.true_colour || !XRenderQueryExtension(display_, &event_base, &error_base) ||
        !XRenderQueryVersion(display_, &major, &minor) || (major == 0 && minor < 6)) {
      return false;
    }
    XRenderPictFormat* const format = XRenderFindVisualFormat(display_, surface_.visual);
    if (format == nullptr || format->type != PictTypeDirect) return false;
    render_bad_picture = error_base + BadPicture;
    constexpr unsigned kSide = kPictureSide;
    if (!(shared_memory_ &&
          picture_image_.CreateShared(display_, surface_.visual, surface_.depth, kSide, kSide)) &&
        !picture_image_.CreatePlain(display_, surface_.visual, surface_.depth, kSide, kSide)) {
      return false;
    }
    const XImage* const image = picture_image_.get();
    picture_direct_ =
        image->bits_per_pixel == 32 &&
        image->byte_order == ((std::endian::native == std::endian::little) ? LSBFirst : MSBFirst);
    if (!picture_direct_) buffer_.resize(std::size_t{kSide} * kSide);
    picture_pixmap_.emplace(display_,
                            XCreatePixmap(display_, surface_.window, kSide, kSide, surface_.depth));
    source_.emplace(display_,
                    XRenderCreatePicture(display_, picture_pixmap_->get(), format, 0, nullptr));
    XRenderSetPictureFilter(display_, source_->get(), FilterNearest, nullptr, 0);
    target_.emplace(display_, XRenderCreatePicture(display_, surface_.window, format, 0, nullptr));
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
    if (server_stretch_) {
      stretch_ = FitServerStretch(layout_);
      // One transform for the whole area is set once, not every frame.
      single_run_ = stretch_.columns.runs.size() == 1 && stretch_.rows.runs.size() == 1;
      if (single_run_) SetTransform(stretch_.columns.runs[0], stretch_.rows.runs[0]);
      PaintMargins();
      return;
    }
    image_.Reset();
    direct_ = false;
    buffer_.clear();
    if (layout_.visible_width > 0 && layout_.visible_height > 0) {
      const auto w = static_cast<unsigned>(layout_.visible_width);
      const auto h = static_cast<unsigned>(layout_.visible_height);
      if (!(shared_memory_ &&
            image_.CreateShared(display_, surface_.visual, surface_.depth, w, h)) &&
          !image_.CreatePlain(display_, surface_.visual, surface_.depth, w, h)) {
        std::fputs("varominea: cannot make an image of the window's size\n", stderr);
      }
      const XImage* const image = image_.get();
      // 24- and 32-bit true colour is drawn straight into the image; any
      // other pixel layout goes through XPutPixel.
      direct_ =
          image != nullptr && colours_.true_colour && image->bits_per_pixel == 32 &&
          image->byte_order == ((std::endian::native == std::endian::little) ? LSBFirst : MSBFirst);
      if (image != nullptr && !direct_) {
        buffer_.resize(static_cast<std::size_t>(w) * h);
      }
    }
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

  void SetTransform(const ScaledRun& columns, const ScaledRun& rows) {
    XTransform transform{};
    transform.matrix[0][0] = stretch_.columns.step;
    transform.matrix[0][2] = static_cast<XFixed>(TranslationFor(columns, stretch_.columns.step));
    transform.matrix[1][1] = stretch_.rows.step;
    transform.matrix[1][2] = static_cast<XFixed>(TranslationFor(rows, stretch_.rows.step));
    transform.matrix[2][2] = XDoubleToFixed(1);
    XRenderSetPictureTransform(display_, source_->get(), &transform);
  }

  // The picture to the server, then enlarged there over the visible part.
  void DrawServerStretched() {
    XImage* const image = picture_image_.get();
    if (picture_direct_) {
      RenderPicture(*field_, colours_.table, colours_.black,
                    reinterpret_cast<std::uint32_t*>(image->data),
                    static_cast<std::size_t>(image->bytes_per_line) / 4);
    } else {
      RenderPicture(*field_, colours_.table, colours_.black, buffer_.data(), kPictureSide);
      for (int y = 0; y < kPictureSide; ++y) {
        const std::uint32_t* const row = buffer_.data() + std::size_t{kPictureSide} * y;
        for (int x = 0; x < kPictureSide; ++x) XPutPixel(image, x, y, row[x]);
      }
    }
    if (picture_image_.shared()) {
      XShmPutImage(display_, picture_pixmap_->get(), gc_->get(), image, 0, 0, 0, 0, kPictureSide,
                   kPictureSide, False);
    } else {
      XPutImage(display_, picture_pixmap_->get(), gc_->get(), image, 0, 0, 0, 0, kPictureSide,
                kPictureSide);
    }
    for (const ScaledRun& rows : stretch_.rows.runs) {
      for (const ScaledRun& columns : stretch_.columns.runs) {
        if (!single_run_) SetTransform(columns, rows);
        XRenderComposite(display_, PictOpSrc, source_->get(), 0, target_->get(), 0, 0, 0, 0,
                         layout_.visible_left + columns.begin, layout_.visible_top + rows.begin,
                         static_cast<unsigned>(columns.count), static_cast<unsigned>(rows.count));
      }
    }
    // The server has the picture before the next one is drawn into the same memory.
    XSync(display_, False);
  }

  void DrawFrame() {
    if (server_stretch_) {
      DrawServerStretched();
      return;
    }
    XImage* const image = image_.get();
    if (image == nullptr) {
      XSync(display_, False);
      return;
    }
    if (direct_) {
      RenderFrame(*field_, layout_, colours_.table, colours_.black,
                  reinterpret_cast<std::uint32_t*>(image->data),
                  static_cast<std::size_t>(image->bytes_per_line) / 4);
    } else {
      const auto stride = static_cast<std::size_t>(layout_.visible_width);
      RenderFrame(*field_, layout_, colours_.table, colours_.black, buffer_.data(), stride);
      for (int y = 0; y < layout_.visible_height; ++y) {
        const std::uint32_t* const row = buffer_.data() + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < layout_.visible_width; ++x) XPutPixel(image, x, y, row[x]);
      }
    }
    const auto w = static_cast<unsigned>(layout_.visible_width);
    const auto h = static_cast<unsigned>(layout_.visible_height);
    if (image_.shared()) {
      XShmPutImage(display_, surface_.window, gc_->get(), image, 0, 0, layout_.visible_left,
                   layout_.visible_top, w, h, False);
    } else {
      XPutImage(display_, surface_.window, gc_->get(), image, 0, 0, layout_.visible_left,
                layout_.visible_top, w, h);
    }
    // The server has the frame before the next one is drawn into the same memory.
    XSync(display_, False);
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

  std::unique_ptr<ByteField> field_;
  KernelParamBlock params_;
  Colours colours_;
  std::optional<GcOwner> gc_;

  FrameLayout layout_;
  ImageOwner image_;
  bool direct_ = false;
  std::vector<std::uint32_t> buffer_;

  // The server-side stretch (when server_stretch_).
  bool server_stretch_ = false;
  ImageOwner picture_image_;
  bool picture_direct_ = false;
  std::optional<PixmapOwner> picture_pixmap_;
  std::optional<PictureOwner> source_;
  std::optional<PictureOwner> target_;
  ServerStretch stretch_;
  bool single_run_ = false;

  FrameRateReport frame_rate_;
};

}  // namespace

int RunSaver(const Options& options, int signal_fd) {
  // Watching from before the connection is made: opening it waits on the
  // server as well.
  const SignalWatch watch(signal_fd);
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
