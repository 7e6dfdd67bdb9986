// The X11 saver's pure parts: its command line, where the field lands in a
// window of any size, the frame drawn from it, and palette colours as pixels.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/frame_layout.h"
#include "core/pixel_field.h"
#include "core/pixel_format.h"
#include "core/placement.h"
#include "linux/options.h"
#include "linux/x11/server_stretch.h"

namespace varominea::x11 {
namespace {

// The command line is the Linux program's, shared by both front ends.
using namespace linux_saver;

// ---------------------------------------------------------------- options

std::variant<Options, UsageError> Parse(std::vector<std::string_view> args,
                                        const char* host_window = nullptr) {
  return ParseOptions(args, host_window);
}

TEST(X11OptionsTest, ReadsWhereAndWhatToDrawInEitherDashForm) {
  const struct {
    std::vector<std::string_view> args;
    const char* host_window;
    Target target;
    unsigned long window_id;
    std::int16_t image_size, proc_pattern;
    long delay_us;
    bool fps;
  } cases[] = {
      {{}, nullptr, Target::OwnWindow, 0, 0, 0, 10000, false},
      {{"--window"}, nullptr, Target::OwnWindow, 0, 0, 0, 10000, false},
      {{"-root"}, nullptr, Target::Root, 0, 0, 0, 10000, false},
      {{"--root"}, "0x400007", Target::Given, 0x400007, 0, 0, 10000, false},
      {{}, "4194311", Target::Given, 4194311, 0, 0, 10000, false},
      {{"--window"}, "0x400007", Target::OwnWindow, 0, 0, 0, 10000, false},
      {{"--window-id", "0x1e00003"}, "0x400007", Target::Given, 0x1e00003, 0, 0, 10000, false},
      {{"-window-id=123"}, nullptr, Target::Given, 123, 0, 0, 10000, false},
      {{"--pattern", "ring", "--size", "800x600"},
       nullptr,
       Target::OwnWindow,
       0,
       1,
       1,
       10000,
       false},
      {{"-pattern=square", "-size=640x480", "-delay", "0", "-fps"},
       nullptr,
       Target::OwnWindow,
       0,
       2,
       0,
       0,
       true},
      {{"--size", "full", "--delay=10000000"},
       nullptr,
       Target::OwnWindow,
       0,
       0,
       0,
       10000000,
       false},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const auto arg : c.args) shown += std::string(arg) + " ";
    SCOPED_TRACE(shown + (c.host_window ? c.host_window : "(no host window)"));
    const auto parsed = Parse(c.args, c.host_window);
    ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << std::get<UsageError>(parsed).message;
    const Options& o = std::get<Options>(parsed);
    EXPECT_EQ(o.action, Action::Run);
    EXPECT_EQ(o.target, c.target);
    if (c.target == Target::Given) {
      EXPECT_EQ(o.window_id, c.window_id);
    }
    EXPECT_EQ(o.image_size, c.image_size);
    EXPECT_EQ(o.proc_pattern, c.proc_pattern);
    EXPECT_EQ(o.delay_us, c.delay_us);
    EXPECT_EQ(o.fps, c.fps);
  }
}

TEST(X11OptionsTest, RefusesUnknownOptionsAndMalformedValues) {
  const struct {
    std::vector<std::string_view> args;
    const char* host_window;
  } cases[] = {
      {{"--bogus"}, nullptr},
      {{"root"}, nullptr},
      {{"-"}, nullptr},
      {{"--pattern"}, nullptr},
      {{"--pattern", "Ring"}, nullptr},
      {{"--size", "800x601"}, nullptr},
      {{"--size", ""}, nullptr},
      {{"--delay", "-1"}, nullptr},
      {{"--delay", "10000001"}, nullptr},
      {{"--delay", "99999999999999999999999"}, nullptr},
      {{"--delay", "1e3"}, nullptr},
      {{"--delay", " 5"}, nullptr},
      {{"--window-id"}, nullptr},
      {{"--window-id", "0"}, nullptr},
      {{"--window-id", "0x"}, nullptr},
      {{"--window-id", "0xZZ"}, nullptr},
      {{"--window-id", "12abc"}, nullptr},
      {{"--window-id", "0x20000000"}, nullptr},  // beyond the 29 bits of an X id
      {{"--window-id", "-5"}, nullptr},
      {{"--root=1"}, nullptr},
      {{"--fps=yes"}, nullptr},
      {{}, "not-a-window"},
      {{"--root"}, "0x"},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const auto arg : c.args) shown += "[" + std::string(arg) + "] ";
    SCOPED_TRACE(shown + (c.host_window ? c.host_window : ""));
    const auto parsed = Parse(c.args, c.host_window);
    ASSERT_TRUE(std::holds_alternative<UsageError>(parsed));
    EXPECT_FALSE(std::get<UsageError>(parsed).message.empty());
  }
}

TEST(X11OptionsTest, HelpAndVersionNeedNoWindow) {
  for (const auto& [arg, action] :
       {std::pair{"--help", Action::Help}, {"-h", Action::Help}, {"-version", Action::Version}}) {
    const auto parsed = Parse({arg}, "junk");
    ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << arg;
    EXPECT_EQ(std::get<Options>(parsed).action, action);
  }
  EXPECT_NE(UsageText("varominea").find("--window-id"), std::string::npos);
}

// ---------------------------------------------------------------- layout

TEST(X11LayoutTest, CentresTheDrawingAreaAsTheWindowsSaverDoes) {
  const struct {
    int window_width, window_height;
    std::int16_t image_size;
    std::array<int, 4> area;     // left, top, width, height
    std::array<int, 4> visible;  // left, top, width, height
  } cases[] = {
      {1024, 768, 0, {0, 0, 1024, 768}, {0, 0, 1024, 768}},
      {1024, 768, 1, {112, 84, 800, 600}, {112, 84, 800, 600}},
      {1024, 768, 2, {192, 144, 640, 480}, {192, 144, 640, 480}},
      {1366, 768, 2, {363, 144, 640, 480}, {363, 144, 640, 480}},
      // Half pixels go to the even neighbour: 111.5 -> 112, 83.5 -> 84, 0.5 -> 0.
      {1023, 767, 1, {112, 84, 800, 600}, {112, 84, 800, 600}},
      {801, 601, 1, {0, 0, 800, 600}, {0, 0, 800, 600}},
      // Larger than the window: centred and cut at the window's edges.
      {640, 480, 1, {-80, -60, 800, 600}, {0, 0, 640, 480}},
      {100, 37, 2, {-270, -222, 640, 480}, {0, 0, 100, 37}},
      {200, 150, 0, {0, 0, 200, 150}, {0, 0, 200, 150}},
      // No drawing area at all: the window stays black.
      {1024, 768, 3, {0, 0, 0, 0}, {0, 0, 0, 0}},
      {1024, 768, -1, {0, 0, 0, 0}, {0, 0, 0, 0}},
      {0, 0, 0, {0, 0, 0, 0}, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.window_width << " x " << c.window_height << ", size " << c.image_size);
    const FrameLayout l = LayoutFrame(c.window_width, c.window_height, c.image_size);
    EXPECT_EQ((std::array{l.area_left, l.area_top, l.area_width, l.area_height}), c.area);
    EXPECT_EQ((std::array{l.visible_left, l.visible_top, l.visible_width, l.visible_height}),
              c.visible);
    EXPECT_EQ(l.black_columns + static_cast<int>(l.column_offsets.size()), l.visible_width);
    EXPECT_EQ(static_cast<int>(l.row_offsets.size()), l.visible_height);
  }
}

// The field cell a window pixel shows, straight from the core's geometry.
std::optional<std::pair<int, int>> CellAt(const FrameLayout& l, int wx, int wy) {
  const FrameBlit blit = FrameBlitFor(static_cast<std::int16_t>(l.area_width),
                                      static_cast<std::int16_t>(l.area_height));
  const auto x = FieldColumnAt(blit, wx - l.area_left);
  const auto y = FieldRowAt(blit, wy - l.area_top);
  if (!x || !y) return std::nullopt;
  return std::pair{*x, *y};
}

// A field whose every cell holds a value that tells its neighbours apart.
const ByteField& TellingField() {
  static const std::unique_ptr<ByteField> field = [] {
    auto f = ByteField::Allocate();
    for (int y = 1; y <= ByteField::kRows; ++y) {
      for (int x = 1; x <= ByteField::kColumns; ++x) {
        f->at(x, y) = static_cast<std::uint8_t>(x * 7 + y * 13);
      }
    }
    return f;
  }();
  return *field;
}

TEST(X11LayoutTest, RenderedFrameShowsEachPixelsCellAndBlackStrips) {
  PixelTable colours{};
  for (std::size_t i = 0; i < colours.size(); ++i)
    colours[i] = static_cast<std::uint32_t>(0x1000 + i);
  constexpr std::uint32_t kBlack = 0xB1AC;
  constexpr std::uint32_t kUntouched = 0xDEADBEEF;
  const struct {
    int width, height;
    std::int16_t image_size;
  } cases[] = {{1024, 768, 0}, {1023, 767, 1}, {640, 480, 1}, {255, 100, 0},
               {100, 37, 2},   {257, 513, 0},  {3, 2, 0},     {1366, 768, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << ", size " << c.image_size);
    const FrameLayout l = LayoutFrame(c.width, c.height, c.image_size);
    // Rows padded past the visible width, as X images may be.
    const std::size_t stride = static_cast<std::size_t>(l.visible_width) + 3;
    std::vector<std::uint32_t> out(stride * static_cast<std::size_t>(l.visible_height) + 5,
                                   kUntouched);
    RenderFrame(TellingField(), l, colours, kBlack, out.data(), stride);
    int wrong = 0;
    for (int vy = 0; vy < l.visible_height; ++vy) {
      for (int vx = 0; vx < l.visible_width; ++vx) {
        const auto cell = CellAt(l, l.visible_left + vx, l.visible_top + vy);
        const std::uint32_t expected =
            cell ? colours[TellingField().at(cell->first, cell->second)] : kBlack;
        if (out[static_cast<std::size_t>(vy) * stride + static_cast<std::size_t>(vx)] != expected) {
          ++wrong;
        }
      }
      for (std::size_t pad = static_cast<std::size_t>(l.visible_width); pad < stride; ++pad) {
        EXPECT_EQ(out[static_cast<std::size_t>(vy) * stride + pad], kUntouched) << "padding";
      }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(out.back(), kUntouched);
  }
}

// What a server that enlarges the picture with the nearest filter shows for
// `stretch`, in the fixed-point arithmetic such servers use: each run's
// transform evaluated at the first pixel's centre (half a step, rounded half
// up), one 1/65536 taken off, then stepped pixel by pixel and rounded down.
std::vector<std::uint32_t> ServerShows(const ServerStretch& stretch,
                                       const std::vector<std::uint32_t>& picture, int width,
                                       int height) {
  std::vector<std::uint32_t> out(static_cast<std::size_t>(width) * height, 0xDEADBEEF);
  const auto samples = [](const AxisStretch& axis, const ScaledRun& run) {
    const std::int64_t at_centre = TranslationFor(run, axis.step) + (axis.step + 1) / 2;
    std::vector<int> source;
    for (int i = 0; i < run.count; ++i) {
      source.push_back(static_cast<int>((at_centre - 1 + std::int64_t{i} * axis.step) >> 16));
    }
    return source;
  };
  for (const ScaledRun& rows : stretch.rows.runs) {
    const std::vector<int> source_rows = samples(stretch.rows, rows);
    for (const ScaledRun& columns : stretch.columns.runs) {
      const std::vector<int> source_columns = samples(stretch.columns, columns);
      for (int y = 0; y < rows.count; ++y) {
        for (int x = 0; x < columns.count; ++x) {
          const int sx = source_columns[static_cast<std::size_t>(x)];
          const int sy = source_rows[static_cast<std::size_t>(y)];
          const bool inside = sx >= 0 && sy >= 0 && sx < kPictureSide && sy < kPictureSide;
          out[static_cast<std::size_t>(rows.begin + y) * width + columns.begin + x] =
              inside ? picture[static_cast<std::size_t>(sy) * kPictureSide + sx] : 0;
        }
      }
    }
  }
  return out;
}

TEST(X11ServerStretchTest, ServerEnlargedPictureIsTheClientFramePixelForPixel) {
  PixelTable colours{};
  for (std::size_t i = 0; i < colours.size(); ++i)
    colours[i] = static_cast<std::uint32_t>(0x1000 + i);
  constexpr std::uint32_t kBlack = 0xB1AC;
  std::vector<std::uint32_t> picture(std::size_t{kPictureSide} * kPictureSide);
  RenderPicture(TellingField(), colours, kBlack, picture.data(), kPictureSide);

  struct Look {
    int width, height;
    std::int16_t image_size;
  };
  // Screens people have, drawing areas cut off by small windows, odd and
  // tiny sizes, then a sweep over sizes with every kind of remainder.
  std::vector<Look> looks = {{1920, 1080, 0}, {3840, 2160, 0}, {2560, 1440, 0}, {1366, 768, 0},
                             {1280, 1024, 0}, {5120, 2880, 0}, {1000, 700, 1},  {640, 480, 1},
                             {500, 300, 2},   {201, 133, 0},   {3, 2, 0},       {256, 256, 0},
                             {7680, 4320, 0}, {32767, 17, 0}};
  for (int w = 97; w < 4100; w += 89) looks.push_back({w, 4196 - w, 0});
  std::size_t most_runs = 0;
  for (const Look& look : looks) {
    SCOPED_TRACE(testing::Message()
                 << look.width << " x " << look.height << ", size " << look.image_size);
    const FrameLayout l = LayoutFrame(look.width, look.height, look.image_size);
    std::vector<std::uint32_t> expected(static_cast<std::size_t>(l.visible_width) *
                                        l.visible_height);
    RenderFrame(TellingField(), l, colours, kBlack, expected.data(),
                static_cast<std::size_t>(l.visible_width));
    const ServerStretch stretch = FitServerStretch(l);
    const auto shown = ServerShows(stretch, picture, l.visible_width, l.visible_height);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) wrong += shown[i] != expected[i];
    EXPECT_EQ(wrong, 0u);
    const std::size_t runs = stretch.columns.runs.size() * stretch.rows.runs.size();
    if (look.image_size != 0 || look.width <= 3840) most_runs = std::max(most_runs, runs);
  }
  // Each run is a request per frame: a handful at most for real screens.
  EXPECT_LE(most_runs, 16u);
}

// ---------------------------------------------------------------- pixels

TEST(X11PixelFormatTest, ScalesEachChannelIntoItsMask) {
  const struct {
    ChannelMasks masks;
    std::array<std::uint8_t, 3> rgb;
    std::uint32_t pixel;
  } cases[] = {
      {{0xFF0000, 0x00FF00, 0x0000FF}, {48, 224, 136}, 0x30E088},  // 24-bit RGB
      {{0x0000FF, 0x00FF00, 0xFF0000}, {48, 224, 136}, 0x88E030},  // 24-bit BGR
      {{0xF800, 0x07E0, 0x001F}, {255, 255, 255}, 0xFFFF},         // 16-bit 565
      {{0xF800, 0x07E0, 0x001F}, {48, 48, 48}, (6u << 11) | (12u << 5) | 6u},
      {{0x7C00, 0x03E0, 0x001F}, {224, 48, 0}, (27u << 10) | (6u << 5)},  // 15-bit 555
      {{0x3FF00000, 0x000FFC00, 0x000003FF}, {255, 0, 255}, 0x3FF003FF},  // 30-bit
      {{0xFF0000, 0x00FF00, 0x0000FF}, {0, 0, 0}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << std::hex << c.masks.red << " " << c.masks.green << " " << c.masks.blue);
    EXPECT_EQ(PixelFor(c.rgb[0], c.rgb[1], c.rgb[2], c.masks), c.pixel);
  }
}

}  // namespace
}  // namespace varominea::x11
