#include "linux/wayland/saver_wayland.h"

#include <poll.h>
#include <wayland-client.h>

#include <array>
#include <bit>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "core/frame_layout.h"
#include "core/frame_source.h"
#include "core/pixel_format.h"
#include "fractional-scale-v1-client-protocol.h"
#include "linux/frame_rate.h"
#include "linux/signal_watch.h"
#include "linux/wayland/seat_input.h"
#include "linux/wayland/shm_buffer.h"
#include "linux/wayland/wayland_logic.h"
#include "linux/wayland/wayland_owners.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace varominea::wayland {
namespace {

using Clock = std::chrono::steady_clock;
using linux_saver::FrameRateReport;
using linux_saver::Options;
using linux_saver::SignalWatch;

constexpr char kTitle[] = "ヴァロミネア";
constexpr char kAppId[] = "varominea";

// How long the compositor may take to answer the first round trips; one
// that is stopped or never answers gets the message below.
constexpr std::chrono::seconds kAnswerLimit{5};
constexpr char kNoAnswer[] = "varominea: the Wayland compositor did not answer within 5 seconds\n";

// libwayland's own messages, which are not shown (see RunSaver).
void Unheard(const char*, va_list) {}

class Saver;

// One output and the surface that covers it. Members are released in reverse
// order: the frame callback and buffers first, the role objects before the
// wl_surface, the wl_output last.
struct Output {
  Saver* saver = nullptr;
  std::uint32_t name = 0;
  Owned<wl_output, ReleaseOutput> output;
  Size mode;
  std::int32_t transform = WL_OUTPUT_TRANSFORM_NORMAL;
  int scale = 1;
  bool described = false;

  Owned<wl_surface, wl_surface_destroy> surface;
  Owned<zwlr_layer_surface_v1, zwlr_layer_surface_v1_destroy> layer;
  Owned<xdg_surface, xdg_surface_destroy> xdg;
  Owned<xdg_toplevel, xdg_toplevel_destroy> toplevel;
  Owned<wp_viewport, wp_viewport_destroy> viewport;
  Owned<wp_fractional_scale_v1, wp_fractional_scale_v1_destroy> fractional;
  std::uint32_t preferred_120 = 0;

  Size configured;      // as the shell's last configure said
  bool shown = false;   // a configure was acknowledged: frames may be attached
  bool closed = false;  // the compositor closed the surface
  bool failed = false;  // no buffer could be made for it: not drawn again
  Size surface_size;
  BufferGeometry geometry;
  FrameLayout layout;
  bool full_damage = true;
  std::array<ShmBuffer, 2> buffers;
  Owned<wl_callback, wl_callback_destroy> frame;
  Clock::time_point waiting_since;
};

class Saver {
 public:
  Saver(wl_display* display, const Options& options, SignalWatch& watch)
      : display_(display), options_(options), watch_(watch) {}
  Saver(const Saver&) = delete;
  Saver& operator=(const Saver&) = delete;

  int Run() {
    registry_.reset(wl_display_get_registry(display_));
    wl_registry_add_listener(registry_.get(), &kRegistryListener, this);
    if (wl_display_roundtrip(display_) < 0) return Lost();
    if (!compositor_ || !shm_) {
      std::fputs("varominea: the compositor offers no wl_compositor or wl_shm\n", stderr);
      return 1;
    }
    shell_ = ChooseShell(layer_shell_ != nullptr, wm_base_ != nullptr);
    if (shell_ == Shell::None) {
      std::fputs("varominea: the compositor offers neither layer-shell nor xdg-shell\n", stderr);
      return 1;
    }
    // The outputs' modes and scales.
    if (wl_display_roundtrip(display_) < 0) return Lost();
    watch_.Answered();

    source_ = FrameSource::Start(options_.proc_pattern, ClockSeededUniform());
    if (!source_) {
      std::fputs("varominea: out of memory\n", stderr);
      return 1;
    }
    // XRGB8888 is a little-endian word; on a big-endian host the same word
    // in memory is BGRX8888.
    format_ = (std::endian::native == std::endian::little) ? WL_SHM_FORMAT_XRGB8888
                                                           : WL_SHM_FORMAT_BGRX8888;
    colours_ = PixelTableFor(source_->palette(), kXrgbMasks);

    started_ = true;
    outputs_.ForEach([&](Output& output) { MakeSurface(output); });
    frame_rate_.Start(options_.fps);
    auto next_step = Clock::now();
    for (;;) {
      if (end_) return *end_;
      if (input_.ended()) return 0;
      if (closed_pending_) {
        // An output going away closes its surface as well; the removal of
        // the output itself arrives by the end of this round trip.
        closed_pending_ = false;
        if (wl_display_roundtrip(display_) < 0) return Lost();
        outputs_.ForEach([&](Output& output) {
          if (output.closed) end_ = 0;
        });
        continue;
      }
      const auto now = Clock::now();
      std::vector<Pace> paces;
      outputs_.ForEach([&](Output& output) { paces.push_back(PaceFor(output, now)); });
      if (now >= next_step && TimeToStep(paces)) {
        source_->Step();
        outputs_.ForEach([&](Output& output) {
          if (PaceFor(output, now) == Pace::Ready) Draw(output, now);
        });
        frame_rate_.CountFrame();
        next_step = now + std::chrono::microseconds(options_.delay_us);
        continue;
      }
      std::optional<Clock::duration> wait;
      if (now < next_step) {
        wait = next_step - now;
      } else {
        // Wake when a waiting output counts as stalled.
        outputs_.ForEach([&](Output& output) {
          if (PaceFor(output, now) != Pace::Waiting) return;
          const auto left = output.waiting_since + kStallLimit - now + std::chrono::milliseconds(1);
          if (!wait || left < *wait) wait = left;
        });
      }
      if (!Wait(wait)) return Lost();
    }
  }

 private:
  // ------------------------------------------------------------ the frame

  Pace PaceFor(const Output& output, Clock::time_point now) const {
    const bool has_size = output.geometry.pixels.width > 0 && output.geometry.pixels.height > 0;
    std::array<BufferSlot, 2> slots{output.buffers[0].slot(), output.buffers[1].slot()};
    const bool buffer_free = ChooseBuffer(slots, output.geometry.pixels).has_value();
    const bool drawn = output.shown && has_size && !output.closed && !output.failed;
    return PaceOf(drawn, output.frame != nullptr, buffer_free, now - output.waiting_since);
  }

  void Draw(Output& output, Clock::time_point now) {
    const std::array<BufferSlot, 2> slots{output.buffers[0].slot(), output.buffers[1].slot()};
    const auto choice = ChooseBuffer(slots, output.geometry.pixels);
    if (!choice) return;
    ShmBuffer& buffer = output.buffers[choice->index];
    if (choice->remake) {
      if (!buffer.Make(shm_.get(), output.geometry.pixels, format_)) {
        std::fprintf(stderr, "varominea: no %d x %d buffer in shared memory\n",
                     output.geometry.pixels.width, output.geometry.pixels.height);
        output.failed = true;  // the others go on
        return;
      }
      output.full_damage = true;
    }
    const FrameLayout& layout = output.layout;
    if (layout.visible_width > 0 && layout.visible_height > 0) {
      std::uint32_t* const origin = buffer.pixels() +
                                    static_cast<std::size_t>(layout.visible_top) * buffer.stride() +
                                    static_cast<std::size_t>(layout.visible_left);
      RenderFrame(source_->field(), layout, colours_, 0, origin, buffer.stride());
    }
    wl_surface* const surface = output.surface.get();
    wl_surface_attach(surface, buffer.get(), 0, 0);
    if (wl_surface_get_version(surface) < WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION) {
      wl_surface_damage(surface, 0, 0, INT32_MAX, INT32_MAX);
    } else if (output.full_damage) {
      wl_surface_damage_buffer(surface, 0, 0, INT32_MAX, INT32_MAX);
    } else {
      // The margins are black in both buffers and never change.
      wl_surface_damage_buffer(surface, layout.visible_left, layout.visible_top,
                               layout.visible_width, layout.visible_height);
    }
    output.full_damage = false;
    output.frame.reset(wl_surface_frame(surface));
    wl_callback_add_listener(output.frame.get(), &kFrameListener, &output);
    output.waiting_since = now;
    buffer.MarkBusy();
    wl_surface_commit(surface);
  }

  // Waits for the compositor, up to `timeout` (for ever when none), and
  // handles what arrived. False when the connection is gone. SIGTERM and
  // SIGINT are handled beside this loop (SignalWatch).
  bool Wait(std::optional<Clock::duration> timeout) {
    while (wl_display_prepare_read(display_) != 0) {
      if (wl_display_dispatch_pending(display_) < 0) return false;
    }
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
      wl_display_cancel_read(display_);
      return false;
    }
    int timeout_ms = -1;
    if (timeout) {
      const auto ms = std::chrono::ceil<std::chrono::milliseconds>(*timeout).count();
      timeout_ms = static_cast<int>(std::clamp<long long>(ms, 0, 60'000));
    }
    pollfd fds[1] = {{wl_display_get_fd(display_), POLLIN, 0}};
    const int ready = poll(fds, 1, timeout_ms);
    if (ready < 0) {
      wl_display_cancel_read(display_);
      return errno == EINTR;
    }
    if ((fds[0].revents & POLLIN) != 0) {
      if (wl_display_read_events(display_) < 0) return false;
    } else {
      wl_display_cancel_read(display_);
      if ((fds[0].revents & (POLLHUP | POLLERR)) != 0) return false;
    }
    const bool handled = wl_display_dispatch_pending(display_) >= 0;
    input_.EventsHandled();
    return handled;
  }

  int Lost() const {
    const int error = wl_display_get_error(display_);
    if (error == EPROTO) {
      const wl_interface* interface = nullptr;
      std::uint32_t id = 0;
      const std::uint32_t code = wl_display_get_protocol_error(display_, &interface, &id);
      std::fprintf(stderr, "varominea: Wayland protocol error %u on %s@%u\n", code,
                   interface != nullptr ? interface->name : "an unknown object", id);
    } else if (error != 0 && error != EPIPE) {
      std::fprintf(stderr, "varominea: Wayland connection failed: %s\n", std::strerror(error));
    } else {
      std::fputs("varominea: the compositor closed the connection\n", stderr);
    }
    return 1;
  }

  // ------------------------------------------------------------ surfaces

  void MakeSurface(Output& output) {
    if (!started_ || !output.described || output.surface) return;
    output.surface.reset(wl_compositor_create_surface(compositor_.get()));
    wl_surface* const surface = output.surface.get();
    if (viewporter_) output.viewport.reset(wp_viewporter_get_viewport(viewporter_.get(), surface));
    if (viewporter_ && fractional_manager_) {
      output.fractional.reset(
          wp_fractional_scale_manager_v1_get_fractional_scale(fractional_manager_.get(), surface));
      wp_fractional_scale_v1_add_listener(output.fractional.get(), &kFractionalListener, &output);
    }
    if (shell_ == Shell::Layer) {
      output.layer.reset(
          zwlr_layer_shell_v1_get_layer_surface(layer_shell_.get(), surface, output.output.get(),
                                                ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, kAppId));
      zwlr_layer_surface_v1* const layer = output.layer.get();
      zwlr_layer_surface_v1_add_listener(layer, &kLayerListener, &output);
      zwlr_layer_surface_v1_set_anchor(
          layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                     ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
      zwlr_layer_surface_v1_set_size(layer, 0, 0);
      zwlr_layer_surface_v1_set_exclusive_zone(layer, -1);
      zwlr_layer_surface_v1_set_keyboard_interactivity(
          layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    } else {
      output.xdg.reset(xdg_wm_base_get_xdg_surface(wm_base_.get(), surface));
      xdg_surface_add_listener(output.xdg.get(), &kXdgSurfaceListener, &output);
      output.toplevel.reset(xdg_surface_get_toplevel(output.xdg.get()));
      xdg_toplevel_add_listener(output.toplevel.get(), &kToplevelListener, &output);
      xdg_toplevel_set_title(output.toplevel.get(), kTitle);
      xdg_toplevel_set_app_id(output.toplevel.get(), kAppId);
      xdg_toplevel_set_fullscreen(output.toplevel.get(), output.output.get());
    }
    // The first commit carries no buffer: it asks for the first configure.
    wl_surface_commit(surface);
  }

  // The buffer size and layout for the surface's current size and scale.
  void Apply(Output& output) {
    if (!output.shown) return;
    const Size surface_size = SurfaceSize(output.configured, output.mode, output.scale);
    const BufferGeometry geometry =
        BufferGeometryFor(surface_size, output.scale, output.preferred_120, viewporter_ != nullptr,
                          OutputPixels(output.mode, output.transform));
    // A viewport's buffer may keep its size while the surface's changes.
    if (geometry == output.geometry && surface_size == output.surface_size &&
        !output.layout.row_offsets.empty()) {
      return;
    }
    output.surface_size = surface_size;
    output.geometry = geometry;
    output.layout = LayoutFrame(geometry.pixels.width, geometry.pixels.height, options_.image_size);
    output.full_damage = true;
    if (output.viewport) {
      if (geometry.viewport && output.surface_size.width > 0 && output.surface_size.height > 0) {
        wp_viewport_set_destination(output.viewport.get(), output.surface_size.width,
                                    output.surface_size.height);
      } else {
        wp_viewport_set_destination(output.viewport.get(), -1, -1);
      }
    }
    wl_surface_set_buffer_scale(output.surface.get(), geometry.buffer_scale);
    // The whole surface is opaque: the compositor need not draw beneath it.
    if (wl_region* const region = wl_compositor_create_region(compositor_.get())) {
      wl_region_add(region, 0, 0, INT32_MAX, INT32_MAX);
      wl_surface_set_opaque_region(output.surface.get(), region);
      wl_region_destroy(region);
    }
  }

  std::optional<PointerSpace> SpaceOf(wl_surface* surface) const {
    std::optional<PointerSpace> found;
    outputs_.ForEach([&](const Output& output) {
      if (surface != nullptr && output.surface.get() == surface) {
        found = PointerSpace{output.surface_size, output.geometry.pixels, &output.layout};
      }
    });
    return found;
  }

  // ------------------------------------------------------------ listeners

  static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version) {
    auto* const self = static_cast<Saver*>(data);
    const auto bind = [&](const wl_interface* wanted, std::uint32_t highest) {
      return wl_registry_bind(registry, name, wanted, std::min(version, highest));
    };
    const std::string_view which(interface);
    if (which == wl_compositor_interface.name) {
      self->compositor_.reset(static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4)));
    } else if (which == wl_shm_interface.name) {
      self->shm_.reset(static_cast<wl_shm*>(bind(&wl_shm_interface, 1)));
    } else if (which == zwlr_layer_shell_v1_interface.name) {
      self->layer_shell_.reset(
          static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 4)));
    } else if (which == xdg_wm_base_interface.name) {
      self->wm_base_.reset(static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 1)));
      xdg_wm_base_add_listener(self->wm_base_.get(), &kWmBaseListener, self);
    } else if (which == wp_viewporter_interface.name) {
      self->viewporter_.reset(static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1)));
    } else if (which == wp_fractional_scale_manager_v1_interface.name) {
      self->fractional_manager_.reset(static_cast<wp_fractional_scale_manager_v1*>(
          bind(&wp_fractional_scale_manager_v1_interface, 1)));
    } else if (which == wl_output_interface.name) {
      auto output = std::make_unique<Output>();
      output->saver = self;
      output->name = name;
      output->output.reset(static_cast<wl_output*>(bind(&wl_output_interface, 4)));
      wl_output_add_listener(output->output.get(), &kOutputListener, output.get());
      self->outputs_.Add(name, std::move(output));
    } else if (which == wl_seat_interface.name) {
      self->input_.Add(registry, name, version);
    }
  }
  static void GlobalRemove(void* data, wl_registry*, std::uint32_t name) {
    auto* const self = static_cast<Saver*>(data);
    // The output's surface goes with it; the other outputs are untouched.
    self->outputs_.Remove(name);
    self->input_.Remove(name);
  }
  static constexpr wl_registry_listener kRegistryListener{.global = Global,
                                                          .global_remove = GlobalRemove};

  static void Ping(void*, xdg_wm_base* base, std::uint32_t serial) {
    xdg_wm_base_pong(base, serial);
  }
  static constexpr xdg_wm_base_listener kWmBaseListener{.ping = Ping};

  // An output that changes may have the compositor move the pointer over it
  // by itself: each of its events says so to the input.
  static void OutputGeometry(void* data, wl_output*, std::int32_t, std::int32_t, std::int32_t,
                             std::int32_t, std::int32_t, const char*, const char*,
                             std::int32_t transform) {
    auto& output = *static_cast<Output*>(data);
    output.transform = transform;
    output.saver->input_.CompositorMayPlacePointer();
  }
  static void OutputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width,
                         std::int32_t height, std::int32_t) {
    auto& output = *static_cast<Output*>(data);
    if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) output.mode = {width, height};
    output.saver->input_.CompositorMayPlacePointer();
  }
  static void OutputDone(void* data, wl_output*) {
    auto& output = *static_cast<Output*>(data);
    output.described = true;
    output.saver->input_.CompositorMayPlacePointer();
    output.saver->MakeSurface(output);
    output.saver->Apply(output);
  }
  static void OutputScale(void* data, wl_output*, std::int32_t factor) {
    auto& output = *static_cast<Output*>(data);
    output.scale = factor;
    output.saver->input_.CompositorMayPlacePointer();
  }
  static constexpr wl_output_listener kOutputListener{.geometry = OutputGeometry,
                                                      .mode = OutputMode,
                                                      .done = OutputDone,
                                                      .scale = OutputScale,
                                                      .name = Ignore,
                                                      .description = Ignore};

  static void LayerConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                             std::uint32_t width, std::uint32_t height) {
    auto& output = *static_cast<Output*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    output.saver->input_.CompositorMayPlacePointer();
    output.configured = {static_cast<int>(std::min<std::uint32_t>(width, INT32_MAX)),
                         static_cast<int>(std::min<std::uint32_t>(height, INT32_MAX))};
    output.shown = true;
    output.saver->Apply(output);
  }
  static void LayerClosed(void* data, zwlr_layer_surface_v1*) {
    auto& output = *static_cast<Output*>(data);
    output.closed = true;
    output.saver->closed_pending_ = true;
  }
  static constexpr zwlr_layer_surface_v1_listener kLayerListener{.configure = LayerConfigure,
                                                                 .closed = LayerClosed};

  static void XdgConfigure(void* data, xdg_surface* surface, std::uint32_t serial) {
    auto& output = *static_cast<Output*>(data);
    xdg_surface_ack_configure(surface, serial);
    output.saver->input_.CompositorMayPlacePointer();
    output.shown = true;
    output.saver->Apply(output);
  }
  static constexpr xdg_surface_listener kXdgSurfaceListener{.configure = XdgConfigure};

  static void ToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height,
                                wl_array*) {
    static_cast<Output*>(data)->configured = {width, height};
  }
  static void ToplevelClose(void* data, xdg_toplevel*) {
    static_cast<Output*>(data)->saver->end_ = 0;
  }
  static constexpr xdg_toplevel_listener kToplevelListener{.configure = ToplevelConfigure,
                                                           .close = ToplevelClose,
                                                           .configure_bounds = Ignore,
                                                           .wm_capabilities = Ignore};

  static void PreferredScale(void* data, wp_fractional_scale_v1*, std::uint32_t scale) {
    auto& output = *static_cast<Output*>(data);
    output.preferred_120 = scale;
    output.saver->Apply(output);
  }
  static constexpr wp_fractional_scale_v1_listener kFractionalListener{.preferred_scale =
                                                                           PreferredScale};

  static void FrameDone(void* data, wl_callback*, std::uint32_t) {
    static_cast<Output*>(data)->frame.reset();
  }
  static constexpr wl_callback_listener kFrameListener{.done = FrameDone};

  // ------------------------------------------------------------ state

  wl_display* const display_;
  const Options options_;
  SignalWatch& watch_;

  Owned<wl_registry, wl_registry_destroy> registry_;
  Owned<wl_compositor, wl_compositor_destroy> compositor_;
  Owned<wl_shm, wl_shm_destroy> shm_;
  Owned<zwlr_layer_shell_v1, ReleaseLayerShell> layer_shell_;
  Owned<xdg_wm_base, xdg_wm_base_destroy> wm_base_;
  Owned<wp_viewporter, wp_viewporter_destroy> viewporter_;
  Owned<wp_fractional_scale_manager_v1, wp_fractional_scale_manager_v1_destroy> fractional_manager_;
  Shell shell_ = Shell::None;
  std::uint32_t format_ = WL_SHM_FORMAT_XRGB8888;

  std::unique_ptr<FrameSource> source_;
  PixelTable colours_{};

  bool started_ = false;
  bool closed_pending_ = false;
  std::optional<int> end_;
  FrameRateReport frame_rate_;

  // Last, so that the surfaces go before the globals they were made from.
  SeatInput input_{[this](wl_surface* surface) { return SpaceOf(surface); }};
  OutputList<Output> outputs_;
};

}  // namespace

int RunSaver(const Options& options, int signal_fd) {
  // The saver says in one line of its own what went wrong; libwayland's
  // messages would come before it, and may quote a socket path of any length.
  wl_log_set_handler_client(Unheard);
  // Watching from before the connection is made: a compositor that is
  // stopped, or a socket that never answers, holds the connection and the
  // first round trips.
  SignalWatch watch(signal_fd, linux_saver::AnswerLimit{kAnswerLimit, kNoAnswer});
  if (!watch.watching()) {
    std::fputs("varominea: cannot watch for SIGTERM and SIGINT\n", stderr);
    return 1;
  }
  errno = 0;
  const Owned<wl_display, wl_display_disconnect> display(wl_display_connect(nullptr));
  if (!display) {
    std::fprintf(
        stderr, "varominea: cannot connect to the Wayland compositor (%s)\n",
        ConnectHint(errno, std::getenv("XDG_RUNTIME_DIR"), std::getenv("WAYLAND_DISPLAY")));
    return 1;
  }
  // Declared after the display, so everything it holds goes first.
  Saver saver(display.get(), options, watch);
  return saver.Run();
}

}  // namespace varominea::wayland
