#include "linux/x11/painters.h"

#include <X11/extensions/render.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <optional>
#include <vector>

#include "core/frame_source.h"
#include "core/pixel_format.h"
#include "linux/x11/frame_image.h"
#include "linux/x11/server_stretch.h"
#include "linux/x11/x11_owners.h"
#include "linux/x11/x_errors.h"

namespace varominea::x11 {
namespace {

class ClientPainter final : public Painter {
 public:
  ClientPainter(Display* display, const Surface& surface, const Colours& colours, GC gc,
                bool shared_memory)
      : display_(display),
        surface_(surface),
        colours_(colours),
        gc_(gc),
        shared_memory_(shared_memory) {}

  void LayOut(const FrameLayout& layout) override {
    layout_ = layout;
    image_.Reset();
    if (layout_.visible_width > 0 && layout_.visible_height > 0 &&
        !image_.Create(display_, surface_.visual, surface_.depth,
                       static_cast<unsigned>(layout_.visible_width),
                       static_cast<unsigned>(layout_.visible_height), shared_memory_)) {
      std::fputs("varominea: cannot make an image of the window's size\n", stderr);
    }
  }

  void Paint(const ByteField& field) override {
    if (image_) {
      RenderFrame(field, layout_, colours_.table, colours_.black, image_.pixels(), image_.stride());
      image_.Put(surface_.window, gc_, layout_.visible_left, layout_.visible_top);
    }
    XSync(display_, False);
  }

 private:
  Display* const display_;
  const Surface surface_;
  const Colours colours_;
  const GC gc_;
  const bool shared_memory_;
  FrameLayout layout_;
  FrameImage image_;
};

class ServerPainter final : public Painter {
 public:
  ServerPainter(Display* display, const Surface& surface, const Colours& colours, GC gc)
      : display_(display), surface_(surface), colours_(colours), gc_(gc) {}

  // The picture's image, the pixmap the server reads it from and the two
  // pictures of the composite; false where any cannot be made.
  bool SetUp(XRenderPictFormat* format, bool shared_memory) {
    constexpr unsigned kSide = kPictureSide;
    if (!picture_.Create(display_, surface_.visual, surface_.depth, kSide, kSide, shared_memory)) {
      return false;
    }
    ErrorTrap trap(display_, {BadMatch});
    pixmap_.emplace(display_,
                    XCreatePixmap(display_, surface_.window, kSide, kSide, surface_.depth));
    source_.emplace(display_, XRenderCreatePicture(display_, pixmap_->get(), format, 0, nullptr));
    XRenderSetPictureFilter(display_, source_->get(), FilterNearest, nullptr, 0);
    target_.emplace(display_, XRenderCreatePicture(display_, surface_.window, format, 0, nullptr));
    return !trap.Caught();
  }

  void LayOut(const FrameLayout& layout) override {
    layout_ = layout;
    stretch_ = FitServerStretch(layout_);
    // One transform for the whole area is set once, not every frame.
    single_run_ = stretch_.columns.runs.size() == 1 && stretch_.rows.runs.size() == 1;
    if (single_run_) SetTransform(stretch_.columns.runs[0], stretch_.rows.runs[0]);
  }

  void Paint(const ByteField& field) override {
    RenderPicture(field, colours_.table, colours_.black, picture_.pixels(), picture_.stride());
    picture_.Put(pixmap_->get(), gc_, 0, 0);
    for (const ScaledRun& rows : stretch_.rows.runs) {
      for (const ScaledRun& columns : stretch_.columns.runs) {
        if (!single_run_) SetTransform(columns, rows);
        XRenderComposite(display_, PictOpSrc, source_->get(), 0, target_->get(), 0, 0, 0, 0,
                         layout_.visible_left + columns.begin, layout_.visible_top + rows.begin,
                         static_cast<unsigned>(columns.count), static_cast<unsigned>(rows.count));
      }
    }
    XSync(display_, False);
  }

 private:
  void SetTransform(const ScaledRun& columns, const ScaledRun& rows) {
    XTransform transform{};
    transform.matrix[0][0] = stretch_.columns.step;
    transform.matrix[0][2] = static_cast<XFixed>(TranslationFor(columns, stretch_.columns.step));
    transform.matrix[1][1] = stretch_.rows.step;
    transform.matrix[1][2] = static_cast<XFixed>(TranslationFor(rows, stretch_.rows.step));
    transform.matrix[2][2] = XDoubleToFixed(1);
    XRenderSetPictureTransform(display_, source_->get(), &transform);
  }

  Display* const display_;
  const Surface surface_;
  const Colours colours_;
  const GC gc_;
  FrameImage picture_;
  std::optional<PixmapOwner> pixmap_;
  std::optional<PictureOwner> source_;
  std::optional<PictureOwner> target_;
  FrameLayout layout_;
  ServerStretch stretch_;
  bool single_run_ = false;
};

// A direct-colour window shows its pixel values through its colormap, which
// its host may have left empty (all black). An identity ramp per channel
// makes it show them as a true-colour window does: the cells are allocated
// for this client where no one holds them yet, else written where they are
// writable (a host that allocated them all). False where neither works.
bool FillIdentityRamps(Display* display, const Surface& surface) {
  const Visual& visual = *surface.visual;
  const unsigned long masks[] = {visual.red_mask, visual.green_mask, visual.blue_mask};
  const char flags[] = {DoRed, DoGreen, DoBlue};
  unsigned long base = 0, red = 0, green = 0, blue = 0;
  XAllocColorPlanes(display, surface.colormap, True, &base, 1, std::popcount(masks[0]),
                    std::popcount(masks[1]), std::popcount(masks[2]), &red, &green, &blue);
  std::vector<XColor> cells;
  for (int channel = 0; channel < 3; ++channel) {
    const unsigned long mask = masks[channel];
    if (mask == 0) return false;
    const int shift = std::countr_zero(mask);
    const unsigned long entries = std::min<unsigned long>(
        (mask >> shift) + 1, static_cast<unsigned long>(visual.map_entries));
    for (unsigned long i = 0; i < entries; ++i) {
      XColor cell{};
      cell.pixel = i << shift;
      const auto value = static_cast<unsigned short>(entries > 1 ? i * 65535 / (entries - 1) : 0);
      cell.red = cell.green = cell.blue = value;
      cell.flags = flags[channel];
      cells.push_back(cell);
    }
  }
  ErrorTrap trap(display, {BadAccess, BadValue});
  XStoreColors(display, surface.colormap, cells.data(), static_cast<int>(cells.size()));
  return !trap.Caught();
}

}  // namespace

Colours ColoursFor(Display* display, const Surface& surface, const DibHeaderRecord& palette) {
  Colours colours;
  const int visual_class = surface.visual->c_class;
  if (visual_class == TrueColor ||
      (visual_class == DirectColor && FillIdentityRamps(display, surface))) {
    const ChannelMasks masks{static_cast<std::uint32_t>(surface.visual->red_mask),
                             static_cast<std::uint32_t>(surface.visual->green_mask),
                             static_cast<std::uint32_t>(surface.visual->blue_mask)};
    colours.table = PixelTableFor(palette, masks);
    colours.black = PixelFor(0, 0, 0, masks);
    const std::uint32_t alpha = UnusedBits(surface.depth, masks);
    for (std::uint32_t& pixel : colours.table) pixel |= alpha;
    colours.black |= alpha;
    colours.true_colour = true;
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
    const RgbQuad& c = palette.bmiColors[i];
    colours.table[i] = allocate(c.rgbRed, c.rgbGreen, c.rgbBlue);
  }
  return colours;
}

std::unique_ptr<Painter> MakeClientPainter(Display* display, const Surface& surface,
                                           const Colours& colours, GC gc, bool shared_memory) {
  return std::make_unique<ClientPainter>(display, surface, colours, gc, shared_memory);
}

std::unique_ptr<Painter> MakeServerPainter(Display* display, const Surface& surface,
                                           const Colours& colours, GC gc, bool shared_memory) {
  int event_base = 0, error_base = 0, major = 0, minor = 0;
  if (!colours.true_colour || !XRenderQueryExtension(display, &event_base, &error_base) ||
      !XRenderQueryVersion(display, &major, &minor) || (major == 0 && minor < 6)) {
    return nullptr;
  }
  XRenderPictFormat* const format = XRenderFindVisualFormat(display, surface.visual);
  if (format == nullptr || format->type != PictTypeDirect) return nullptr;
  // The window's picture goes with the window.
  IgnoreErrorAlways(display, error_base + BadPicture);
  auto painter = std::make_unique<ServerPainter>(display, surface, colours, gc);
  if (!painter->SetUp(format, shared_memory)) return nullptr;
  return painter;
}

}  // namespace varominea::x11
