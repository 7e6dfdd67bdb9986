// The settings dialog of the real program: its size and place, the tiled
// background, the faces lit for the stored settings, presses with real input
// events, saving, cancelling, the web link and a settings file that cannot
// be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/accessible_win.h"
#include "tests/support/held_file_win.h"
#include "tests/support/link_handler_win.h"
#include "tests/support/program_win.h"
#include "windows/resources/resource_ids.h"
#include "windows/resources/texts.h"
#include "windows/settings_dialog/layout.h"

namespace {

using namespace e2e;
namespace dialog = varominea::dialog;

// The tile as the program stores it, read from the copy's resources.
class Tile {
 public:
  explicit Tile(const std::wstring& scr) {
    HMODULE module = LoadLibraryExW(scr.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(IDB_TILE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    width = info.bmWidth;
    height = info.bmHeight;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels_.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    FreeLibrary(module);
  }
  COLORREF pixel(int x, int y) const {
    const DWORD bgra = pixels_[static_cast<std::size_t>(y * width + x)];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
  }
  int width = 0;
  int height = 0;

 private:
  std::vector<DWORD> pixels_;
};

// A started copy of the program in configuration mode, with its dialog shown
// and painted. Faces read as 'L' (lit), 'U' (unlit) or 'E' (no picture).
// Boxes and points are given in the layout's 96-dpi pixels and found where
// the layout scaled to the display's density (or the density the dialog
// chose to fit the screen) puts them.
class Dialog {
 public:
  explicit Dialog(const ScrFolder& folder) : process_(folder, L"/c"), dpi_(ScreenDpi()) {
    hwnd_ = WaitForWindow(process_.pid(), varominea::texts::kDialogCaption);
    // The background box is the dialog's one visible child window.
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (IsWindowVisible(child)) box_ = child;
    }
    if (!box_) return;
    ClientToScreen(box_, &origin_);
    // Where the display's density would make the window larger than the work
    // area, the layout is at a lower one: the one that gives the box's size.
    RECT box{};
    GetWindowRect(box_, &box);
    for (int dpi = dpi_; dpi > dialog::kLayoutDpi; --dpi) {
      const dialog::Box scaled = dialog::ScaleToDpi(dialog::kPicB, dpi);
      if (scaled.width == box.right - box.left && scaled.height == box.bottom - box.top) {
        dpi_ = dpi;
        break;
      }
    }
    // Painted once the command faces show their picture and all faces read
    // the same several times over (a read right after the window appears can
    // see part of an older screen).
    WaitUntil([&] { return FaceOf(dialog::kImgK[1]) == 'U'; }, 10s);
    std::string last = AllFaces();
    int same = 0;
    WaitUntil(
        [&] {
          const std::string now = AllFaces();
          same = now == last ? same + 1 : 0;
          last = now;
          return same >= 3;
        },
        10s, 100ms);
  }

  bool ready() const { return box_ != nullptr; }
  DWORD pid() const { return process_.pid(); }
  int dpi() const { return dpi_; }
  HWND hwnd() const { return hwnd_; }
  HWND box() const { return box_; }
  bool open() const { return process_.running() && IsWindow(hwnd_); }
  bool Ends() { return process_.WaitForExit(15s); }

  // A point of the background box's client area on the screen.
  POINT At(int x, int y) const {
    return POINT{origin_.x + dialog::ScaleToDpi(x, dpi_), origin_.y + dialog::ScaleToDpi(y, dpi_)};
  }
  // A box of the background box on the screen.
  RECT OnScreen(const dialog::Box& b) const {
    const dialog::Box s = dialog::ScaleToDpi(b, dpi_);
    return RECT{origin_.x + s.left, origin_.y + s.top, origin_.x + s.left + s.width,
                origin_.y + s.top + s.height};
  }
  POINT Centre(const dialog::Box& b) const {
    const RECT r = OnScreen(b);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  COLORREF Pixel(int x, int y) const { return ScreenPixel(At(x, y).x, At(x, y).y); }
  // The screen pixel over the middle of pixel (x, y) of a face's picture,
  // however far the face is scaled.
  COLORREF FacePixel(const dialog::Box& face, int x, int y) const {
    const RECT r = OnScreen(face);
    return ScreenPixel(r.left + (2 * x + 1) * (r.right - r.left) / (2 * face.width),
                       r.top + (2 * y + 1) * (r.bottom - r.top) / (2 * face.height));
  }

  // A face with a picture has a black frame; the lit picture has a
  // yellow-green strip along its lower edge, below the caption.
  char FaceOf(const dialog::Box& face) const {
    int framed = 0;
    int lit = 0;
    for (int x : {10, 47, 85}) {
      const COLORREF frame = FacePixel(face, x, 0);
      const COLORREF strip = FacePixel(face, x, 16);
      framed += GetRValue(frame) + GetGValue(frame) + GetBValue(frame) < 120;
      lit += GetGValue(strip) > 150 && GetGValue(strip) > GetBValue(strip) + 80;
    }
    return framed < 3 ? 'E' : lit == 3 ? 'L' : 'U';
  }
  template <typename Boxes>
  std::string Faces(const Boxes& faces) const {
    std::string states;
    for (const dialog::Box& face : faces) states += FaceOf(face);
    return states;
  }
  std::string AllFaces() const {
    return Faces(dialog::kImgSR) + Faces(dialog::kImgPT) + Faces(dialog::kImgK);
  }
  template <typename Boxes>
  bool FacesBecome(const Boxes& faces, const std::string& expected) const {
    return WaitUntil([&] { return Faces(faces) == expected; }, 5s);
  }

  void Click(const dialog::Box& b, int button = 1) const {
    ClickAt(Centre(b).x, Centre(b).y, button);
  }

 private:
  ScrProcess process_;
  int dpi_;
  HWND hwnd_ = nullptr;
  HWND box_ = nullptr;
  POINT origin_{0, 0};
};

// The client area is the background box exactly, with no band between the
// box and the frame; the window lies inside the work area, centred on the
// screen when it is laid out at the display's density.
void ExpectPlacedWithoutBand(const Dialog& d) {
  RECT client{};
  GetClientRect(d.hwnd(), &client);
  const dialog::Box box = dialog::ScaleToDpi(dialog::kPicB, d.dpi());
  EXPECT_EQ(client.right, box.width) << "a band along the right edge";
  EXPECT_EQ(client.bottom, box.height) << "a band along the bottom edge";
  RECT placed{};
  GetWindowRect(d.box(), &placed);
  EXPECT_EQ(placed.right - placed.left, box.width);
  EXPECT_EQ(placed.bottom - placed.top, box.height);
  RECT window{};
  GetWindowRect(d.hwnd(), &window);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_GE(window.left, work.left);
  EXPECT_GE(window.top, work.top);
  EXPECT_LE(window.right, work.right);
  EXPECT_LE(window.bottom, work.bottom);
  if (d.dpi() == ScreenDpi()) {
    EXPECT_NEAR(window.left, (GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left)) / 2.0,
                0.5);
    EXPECT_NEAR(window.top, (GetSystemMetrics(SM_CYSCREEN) - (window.bottom - window.top)) / 2.0,
                0.5);
  }
}

TEST(DialogTest, OpensCentredAtItsSizeOverTheTiledBackground) {
  ScrFolder folder(" 1", " 0");
  Dialog d(folder);
  ASSERT_TRUE(d.ready());
  ExpectPlacedWithoutBand(d);
  RECT window{};
  GetWindowRect(d.hwnd(), &window);
  RECT box{};
  GetWindowRect(d.box(), &box);
  EXPECT_EQ(box.right - box.left, 337);
  EXPECT_EQ(box.bottom - box.top, 237);

  // Left of every caption and face, each row of the box shows the tile's row
  // at the same height modulo the tile: seams at 26, 52, ..., 234.
  const Tile tile(folder.scr());
  ASSERT_EQ(tile.width, 340);
  ASSERT_EQ(tile.height, 26);
  int differing = 0;  // the seams are real: the tile's last and first rows differ
  for (int x = 0; x < 11; ++x) differing += tile.pixel(x, 25) != tile.pixel(x, 0);
  EXPECT_GT(differing, 0);
  RECT client{};
  GetClientRect(d.box(), &client);
  const auto expect_tiled = [&] {
    const ScreenShot shot;
    for (int y = 0; y < client.bottom; ++y) {
      for (int x = 0; x < 11; x += 2) {
        ASSERT_EQ(shot.pixel(d.At(x, y).x, d.At(x, y).y), tile.pixel(x, y % 26))
            << "at " << x << "," << y;
      }
    }
  };
  expect_tiled();

  // Covered and uncovered, the box shows its kept image again.
  {
    HelperWindow cover(L"cover", WS_POPUP, nullptr, window);
    Sleep(300);
    EXPECT_NE(d.Pixel(4, 4), tile.pixel(4, 4));
  }
  ASSERT_TRUE(WaitUntil([&] { return d.Pixel(4, 4) == tile.pixel(4, 4); }, 5s));
  Sleep(200);
  expect_tiled();
  EXPECT_EQ(d.Faces(dialog::kImgSR), "ULU");
}

// Each stored pair lights its faces (none for ImageSize 5, nor for
// ProcPattern 2, 2 XOR 1, -1 or -2); the chosen options are then saved (a
// stored out-of-range value written back as it was read) or discarded.
TEST(DialogTest, StoredSettingsLightTheirFacesAndEachEndingSavesOrDiscards) {
  enum class End { Save, Cancel, CloseBox, AltF4, Enter, Escape };
  const struct {
    const char* image_size;  // nullptr: no settings file
    const char* proc_pattern;
    const char* sizes;
    const char* patterns;
    bool pick_640, pick_b;
    End end;
    const char* saved_size;  // nullptr: the file is left as it was
    const char* saved_pattern;
  } cases[] = {
      {nullptr, nullptr, "LUU", "LU", true, true, End::Cancel, nullptr, nullptr},
      {" 1", " 0", "ULU", "LU", true, true, End::Cancel, nullptr, nullptr},
      {"2", "1", "UUL", "UL", false, false, End::Save, " 2", " 1"},
      {" 5", " 0", "UUU", "LU", false, false, End::Save, " 5", " 0"},
      {" 0", " 2", "LUU", "EE", true, true, End::CloseBox, nullptr, nullptr},
      {" 1", "-1", "ULU", "EE", true, true, End::AltF4, nullptr, nullptr},
      {" 1", " 2", "ULU", "EE", false, false, End::Save, " 1", " 2"},
      {" 5", "-1", "UUU", "EE", false, true, End::Save, " 5", " 1"},
      {" 1", " 0", "ULU", "LU", true, true, End::Enter, " 2", " 1"},
      {" 1", " 0", "ULU", "LU", true, true, End::Escape, nullptr, nullptr},
      {nullptr, nullptr, "LUU", "LU", false, false, End::Enter, " 0", " 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.image_size ? c.image_size : "(none)") + "/" +
                 (c.proc_pattern ? c.proc_pattern : "(none)"));
    ScrFolder folder(c.image_size, c.proc_pattern);
    const auto before = ReadBytes(folder.settings());
    Dialog d(folder);
    ASSERT_TRUE(d.ready());
    EXPECT_EQ(d.Faces(dialog::kImgSR), c.sizes);
    EXPECT_EQ(d.Faces(dialog::kImgPT), c.patterns);
    EXPECT_EQ(d.Faces(dialog::kImgK), "UU");
    if (c.pick_640) {
      d.Click(dialog::kLblOpt[2]);
      EXPECT_TRUE(d.FacesBecome(dialog::kImgSR, "UUL"));
    }
    if (c.pick_b) {  // also gives both pattern faces a picture when neither had one
      d.Click(dialog::kLblOptPT[1]);
      EXPECT_TRUE(d.FacesBecome(dialog::kImgPT, "UL"));
    }
    if (c.end == End::Save) {
      d.Click(dialog::kLblK[0]);
    } else if (c.end == End::Cancel) {
      d.Click(dialog::kLblK[1]);
    } else if (c.end == End::Enter || c.end == End::Escape) {
      // The keys of every dialog: Enter as the save command, Escape as cancel.
      PressKey(c.end == End::Enter ? VK_RETURN : VK_ESCAPE);
    } else if (c.end == End::CloseBox) {
      // What a click on the close box sends (with no window manager on the
      // virtual screen, nothing draws the caption bar to click on).
      PostMessageW(d.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
      // Space on the lit face, other keys and Tab change nothing, nor do
      // Enter and Escape with Alt held; only the system's close command acts.
      for (int key : {VK_SPACE, int{'A'}, VK_TAB}) PressKey(static_cast<WORD>(key));
      for (int key : {VK_RETURN, VK_ESCAPE}) PressKeyWith(VK_MENU, static_cast<WORD>(key));
      Sleep(300);
      EXPECT_TRUE(d.open());
      EXPECT_EQ(d.Faces(dialog::kImgSR), "UUL");
      PressKeyWith(VK_MENU, VK_F4);
    }
    ASSERT_TRUE(d.Ends());
    if (c.saved_size) {
      EXPECT_EQ(ReadBytes(folder.settings()), SettingsText(c.saved_size, c.saved_pattern));
    } else {
      EXPECT_EQ(ReadBytes(folder.settings()), before);
    }
  }
}

// The pixels along the inside of a face, two pixels in from its edge, where
// the keyboard's focus cue is drawn (clear of the caption and the lit strip).
std::vector<COLORREF> CueOutline(const Dialog& d, const dialog::Box& face) {
  const test::ScreenShot shot;
  RECT r = d.OnScreen(face);
  InflateRect(&r, -2, -2);
  std::vector<COLORREF> outline;
  for (int x = r.left; x < r.right; ++x) {
    outline.push_back(shot.pixel(x, r.top));
    outline.push_back(shot.pixel(x, r.bottom - 1));
  }
  for (int y = r.top; y < r.bottom; ++y) {
    outline.push_back(shot.pixel(r.left, y));
    outline.push_back(shot.pixel(r.right - 1, y));
  }
  return outline;
}

// A user without a mouse and a screen reader in another process: the tree
// as served (roles, names, states, the link's address), the focus moved and
// the options picked with real keys, the events a screen reader hears, the
// focus cue only once the keyboard is used, and the choice saved by Enter.
TEST(DialogTest, ByKeyboardAloneWithWhatAScreenReaderFinds) {
  ScrFolder folder(" 1", " 0");
  Dialog d(folder);
  ASSERT_TRUE(d.ready());
  const std::string link =
      "link \"" VAROMINEA_HOME_PAGE "\" linked focusable = " VAROMINEA_HOME_PAGE;
  const std::vector<std::string> opened{
      "client \"\"",
      "  grouping \"・ 処理画像のｻｲｽﾞ\"",
      "    radio button \"ﾌﾙｽｸﾘｰﾝ\" focusable",
      "    radio button \"800 * 600\" checked focused focusable",
      "    radio button \"640 * 480\" focusable",
      "  grouping \"・ 処理ﾊﾟﾀｰﾝ\"",
      "    radio button \"A\" checked focusable",
      "    radio button \"B\" focusable",
      "  push button \"設定\" default focusable",
      "  push button \"ｷｬﾝｾﾙ\" focusable",
      "  " + link,
  };
  EXPECT_EQ(test::AccessibleTree(d.box()), opened);
  // Until a key moves the focus, the focused face looks as every other lit
  // face does.
  EXPECT_EQ(CueOutline(d, dialog::kImgSR[1]), CueOutline(d, dialog::kImgPT[0]));

  test::AccessibleEvents events(d.pid());
  ASSERT_TRUE(events.ok());
  const auto radio = [](const char* name, bool checked) {
    return std::string("radio button \"") + name + "\"" + (checked ? " checked" : "") +
           " focused focusable";
  };
  const struct {
    WORD modifier;  // 0: none
    WORD key;
    std::string focus;
  } steps[] = {
      {0, VK_UP, radio("ﾌﾙｽｸﾘｰﾝ", true)},
      {0, VK_UP, radio("640 * 480", true)},  // wraps back to the last face
      {0, VK_TAB, radio("A", true)},
      {0, VK_RIGHT, radio("B", true)},
      {0, VK_DOWN, radio("A", true)},  // wraps forward to the first face
      {0, VK_LEFT, radio("B", true)},
      {0, VK_TAB, "push button \"設定\" focused default focusable"},
      {0, VK_TAB, "push button \"ｷｬﾝｾﾙ\" focused default focusable"},
      {0, VK_TAB,
       "link \"" VAROMINEA_HOME_PAGE "\" focused linked focusable = " VAROMINEA_HOME_PAGE},
      {0, VK_TAB, radio("640 * 480", true)},  // Tab wraps to the size group
      {VK_SHIFT, VK_TAB,
       "link \"" VAROMINEA_HOME_PAGE "\" focused linked focusable = " VAROMINEA_HOME_PAGE},
      {0, VK_TAB, radio("640 * 480", true)},
  };
  std::vector<std::string> focus_events;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.focus);
    if (step.modifier) {
      PressKeyWith(step.modifier, step.key);
    } else {
      PressKey(step.key);
    }
    EXPECT_TRUE(WaitUntil([&] { return test::AccessibleFocus(d.box()) == step.focus; }, 5s))
        << test::AccessibleFocus(d.box());
    focus_events.push_back("focus " + step.focus);
    if (&step == &steps[0]) {
      // The cue shows once the keyboard moved the focus, on the focused face.
      EXPECT_TRUE(WaitUntil(
          [&] { return CueOutline(d, dialog::kImgSR[0]) != CueOutline(d, dialog::kImgPT[0]); },
          5s));
    }
  }
  EXPECT_EQ(d.AllFaces(), "UULULUU");
  const std::vector<std::string> tree = test::AccessibleTree(d.box());
  ASSERT_EQ(tree.size(), opened.size());
  EXPECT_EQ(tree[3], "    radio button \"800 * 600\" focusable");
  EXPECT_EQ(tree[4], "    radio button \"640 * 480\" checked focused focusable");
  EXPECT_EQ(tree[6], "    radio button \"A\" focusable");
  EXPECT_EQ(tree[7], "    radio button \"B\" checked focusable");

  // Every move of the focus was told, in order; every pick told the state
  // of the face it lit and of the face it put out.
  std::vector<std::string> told_focus;
  std::size_t state_events = 0;
  WaitUntil(
      [&] {
        told_focus.clear();
        state_events = 0;
        for (const std::string& e : events.events()) {
          if (e.rfind("focus ", 0) == 0) told_focus.push_back(e);
          state_events += e.rfind("state radio button", 0) == 0;
        }
        return told_focus.size() >= focus_events.size() && state_events >= 10;
      },
      5s);
  EXPECT_EQ(told_focus, focus_events);
  EXPECT_EQ(state_events, 10u) << "two faces for each of the five picks";

  // A screen reader's default action is a click: it picks "A" and takes the
  // focus there; the keys go on from there.
  ASSERT_TRUE(test::AccessibleDefaultAction(d.box(), L"A"));
  EXPECT_TRUE(d.FacesBecome(dialog::kImgPT, "LU"));
  EXPECT_TRUE(WaitUntil([&] { return test::AccessibleFocus(d.box()) == radio("A", true); }, 5s));
  PressKey(VK_DOWN);
  EXPECT_TRUE(d.FacesBecome(dialog::kImgPT, "UL"));
  PressKey(VK_RETURN);
  ASSERT_TRUE(d.Ends());
  EXPECT_EQ(ReadBytes(folder.settings()), SettingsText(" 2", " 1"));
}

// Another program holds the settings file, sharing nothing, as the dialog
// opens. A hold of a few seconds is waited for: the stored choice shows and a
// save keeps it. A longer hold leaves the stored values unknown: no face is
// lit, and a save writes only the option the user picked, once the file is
// free, never the other one from the failed read.
TEST(DialogTest, ASettingsFileHeldAsItOpensIsNeverShownOrSavedAsDefaults) {
  const struct {
    DWORD hold_ms;
    const char* stored_pattern;
    const char* sizes;
    const char* patterns;
    bool pick_b;
    const char* saved_pattern;
  } cases[] = {
      {2500, " 1", "UUL", "UL", false, " 1"},
      {5000, " 0", "UUU", "UU", true, " 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "held " << c.hold_ms << " ms");
    ScrFolder folder(" 2", c.stored_pattern);
    {
      test::HeldFile held(folder.settings(), 0, c.hold_ms);
      ASSERT_TRUE(held.held());
      Dialog d(folder);
      ASSERT_TRUE(d.ready());
      EXPECT_EQ(d.Faces(dialog::kImgSR), c.sizes);
      EXPECT_EQ(d.Faces(dialog::kImgPT), c.patterns);
      if (c.pick_b) {
        d.Click(dialog::kLblOptPT[1]);
        EXPECT_TRUE(d.FacesBecome(dialog::kImgPT, "UL"));
        EXPECT_EQ(d.Faces(dialog::kImgSR), "UUU");
      }
      d.Click(dialog::kLblK[0]);
      ASSERT_TRUE(d.Ends());
    }
    EXPECT_EQ(ReadBytes(folder.settings()), SettingsText(" 2", c.saved_pattern));
  }
}

// Two people, two sessions, one settings file: while this dialog is open the
// other one stores 800 * 600. This user picks only A, and the save keeps the
// other's size, which this user left as it was found.
TEST(DialogTest, ASaveKeepsWhatAnotherDialogStoredInAnOptionLeftAlone) {
  ScrFolder folder(" 2", " 1");
  Dialog d(folder);
  ASSERT_TRUE(d.ready());
  ASSERT_TRUE(WriteBytes(folder.settings(), SettingsText(" 1", " 1")));
  d.Click(dialog::kLblOptPT[0]);
  EXPECT_TRUE(d.FacesBecome(dialog::kImgPT, "LU"));
  EXPECT_EQ(d.Faces(dialog::kImgSR), "UUL");
  d.Click(dialog::kLblK[0]);
  ASSERT_TRUE(d.Ends());
  EXPECT_EQ(ReadBytes(folder.settings()), SettingsText(" 1", " 0"));
}

TEST(DialogTest, OptionsReactToAnyButtonOnTheirCaptionsOnlyAndSaveSavesWhereverReleased) {
  ScrFolder folder(" 0", " 1");
  Dialog d(folder);
  ASSERT_TRUE(d.ready());
  d.Click(dialog::kLblOpt[0]);
  Sleep(300);
  EXPECT_EQ(d.Faces(dialog::kImgSR), "LUU") << "the lit option pressed again stays lit";
  d.Click(dialog::kLblOpt[1], 2);
  EXPECT_TRUE(d.FacesBecome(dialog::kImgSR, "ULU")) << "right button";
  d.Click(dialog::kLblOptPT[1], 8);
  EXPECT_TRUE(d.FacesBecome(dialog::kImgPT, "UL")) << "first side button";
  d.Click(dialog::kLblOptPT[0], 4);
  EXPECT_TRUE(d.FacesBecome(dialog::kImgPT, "LU")) << "middle button";
  // A press on a face above its caption, or on a heading, does nothing.
  const dialog::Box face = dialog::kImgSR[2];
  for (const POINT p :
       {d.At(face.left + face.width / 2, face.top + 1), d.Centre(dialog::kLblPatternHeading)}) {
    ClickAt(p.x, p.y);
  }
  Sleep(300);
  EXPECT_EQ(d.Faces(dialog::kImgSR), "ULU");
  EXPECT_EQ(d.Faces(dialog::kImgPT), "LU");
  d.Click(dialog::kLblOpt[2]);
  EXPECT_TRUE(d.FacesBecome(dialog::kImgSR, "UUL"));
  // The save command shows pressed, and saves although released elsewhere;
  // the second side button acts as the left one does.
  MoveMouseTo(d.Centre(dialog::kLblK[0]).x, d.Centre(dialog::kLblK[0]).y);
  Sleep(50);
  MouseButtonDown(16);
  EXPECT_TRUE(d.FacesBecome(dialog::kImgK, "LU")) << "pressed look";
  MoveMouseTo(5, 5);  // off the caption and off the dialog
  Sleep(100);
  EXPECT_TRUE(d.open());
  MouseButtonUp(16);
  ASSERT_TRUE(d.Ends());
  EXPECT_EQ(ReadBytes(folder.settings()), SettingsText(" 2", " 0"));
}

TEST(DialogTest, ReadOnlySettingsFileKeepsTheChoiceInThePerUserCopy) {
  ScrFolder folder(" 1", " 0");
  const std::wstring local = folder.path() + L"\\local";
  ASSERT_TRUE(CreateDirectoryW(local.c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesW(folder.settings().c_str(), FILE_ATTRIBUTE_READONLY));
  // The started program inherits the per-user folder from this process.
  wchar_t saved[MAX_PATH] = {};
  const bool had_local = GetEnvironmentVariableW(L"LOCALAPPDATA", saved, MAX_PATH) > 0;
  SetEnvironmentVariableW(L"LOCALAPPDATA", local.c_str());
  {
    Dialog d(folder);
    SetEnvironmentVariableW(L"LOCALAPPDATA", had_local ? saved : nullptr);
    ASSERT_TRUE(d.ready());
    d.Click(dialog::kLblOpt[2]);
    d.Click(dialog::kLblOptPT[1]);
    EXPECT_TRUE(d.FacesBecome(dialog::kImgPT, "UL"));
    d.Click(dialog::kLblK[0]);
    EXPECT_TRUE(d.Ends()) << "the dialog closes without a message";
  }
  EXPECT_EQ(ReadBytes(folder.settings()), SettingsText(" 1", " 0"));
  EXPECT_EQ(ReadBytes(local + L"\\" + varominea::texts::kPerUserFolder + L"\\" +
                      varominea::texts::kSettingsFileName),
            SettingsText(" 2", " 1"));
}

// The shell is asked to open the address and the dialog stays open and
// usable, also when nothing can open it.
TEST(DialogTest, LinkOpensTheAddressThroughTheShellAndTheDialogStaysOpen) {
  ScrFolder folder(" 0", " 0");
  const std::wstring opened = folder.path() + L"\\opened.txt";
  const std::string address = VAROMINEA_HOME_PAGE;
  ASSERT_EQ(address.rfind("https://", 0), 0u);
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  for (const bool opens : {true, false}) {
    SCOPED_TRACE(opens ? "opens" : "nothing can open it");
    test::HttpsHandler handler(opens ? L"\"" + std::wstring(system) + L"\\cmd.exe\" /c echo %1>\"" +
                                           opened + L"\""
                                     : test::kFailingLinkCommand);
    ASSERT_TRUE(handler.ok());
    Dialog d(folder);
    ASSERT_TRUE(d.ready());
    d.Click(dialog::kLblUrl);
    if (opens) {
      std::string text;
      EXPECT_TRUE(WaitUntil(
          [&] { return (text = ReadBytes(opened).value_or("")).find(address) != text.npos; }, 20s))
          << text;
    }
    Sleep(opens ? 300 : 1000);
    EXPECT_TRUE(d.open());
    EXPECT_EQ(d.Faces(dialog::kImgSR), "LUU");
    d.Click(dialog::kLblOpt[1]);
    EXPECT_TRUE(d.FacesBecome(dialog::kImgSR, "ULU"));
  }
}

// ---------------------------------------------------------------- every density, every font

// Text is drawn in the system's button-text colour (black); the faces' chrome
// and the tile are far lighter.
std::vector<bool> TextMask(const ScreenShot& shot, const RECT& r) {
  std::vector<bool> mask;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const COLORREF c = shot.pixel(x, y);
      mask.push_back(GetRValue(c) + GetGValue(c) + GetBValue(c) < 300);
    }
  }
  return mask;
}
std::ptrdiff_t TextPixels(const ScreenShot& shot, const RECT& r) {
  const std::vector<bool> mask = TextMask(shot, r);
  return std::count(mask.begin(), mask.end(), true);
}

// Every caption, heading, credit line and link draws text inside its own box
// (over a face: between the face's frame), and the font grows with the
// layout: no caption's text reaches past its face; a heading, the credit line
// and the link may run a few pixels past their boxes in a substitute face,
// but never as far as a font a third too large would take them.
void ExpectTextInsideItsBox(const Dialog& d) {
  const ScreenShot shot;
  struct Item {
    std::string name;
    dialog::Box box;
    bool on_face;
  };
  std::vector<Item> items{{"size heading", dialog::kLblSizeHeading, false},
                          {"pattern heading", dialog::kLblPatternHeading, false},
                          {"credit", dialog::kLblCredit, false},
                          {"link", dialog::kLblUrl, false}};
  for (std::size_t i = 0; i < 3; ++i)
    items.push_back({"size " + std::to_string(i), dialog::kLblOpt[i], true});
  for (std::size_t i = 0; i < 2; ++i) {
    items.push_back({"pattern " + std::to_string(i), dialog::kLblOptPT[i], true});
    items.push_back({"command " + std::to_string(i), dialog::kLblK[i], true});
  }
  const int frame = dialog::ScaleToDpi(2, d.dpi());
  const int beside = dialog::ScaleToDpi(6, d.dpi());
  for (const Item& item : items) {
    const RECT box = d.OnScreen(item.box);
    RECT inside = box;
    if (item.on_face) {
      inside.left += frame;
      inside.right -= frame;
    }
    EXPECT_GT(TextPixels(shot, inside), 3) << item.name << ": no text";
    const int from = box.right + (item.on_face ? 0 : dialog::ScaleToDpi(8, d.dpi()));
    EXPECT_EQ(TextPixels(shot, RECT{from, box.top, from + beside, box.bottom}), 0)
        << item.name << ": text past the right side";
    if (item.on_face) {
      EXPECT_EQ(TextPixels(shot, RECT{box.left - beside, box.top, box.left, box.bottom}), 0)
          << item.name << ": text past the left side";
    }
  }
}

// On a denser display the dialog is its 96-dpi layout scaled: size, place,
// lit faces, text, and the clicks that choose, save and cancel.
void ExpectScaledDialog(int dpi) {
  ASSERT_EQ(ScreenDpi(), dpi) << "the display density of the prefix";
  ScrFolder folder(" 1", " 0");
  {
    Dialog d(folder);
    ASSERT_TRUE(d.ready());
    ExpectPlacedWithoutBand(d);
    EXPECT_EQ(d.AllFaces(), "ULULUUU");
    ExpectTextInsideItsBox(d);

    for (const auto& [caption, faces, states] : {std::tuple{dialog::kLblOpt[2], 0, "UUL"},
                                                 {dialog::kLblOpt[0], 0, "LUU"},
                                                 {dialog::kLblOpt[1], 0, "ULU"},
                                                 {dialog::kLblOptPT[1], 1, "UL"},
                                                 {dialog::kLblOptPT[0], 1, "LU"},
                                                 {dialog::kLblOpt[0], 0, "LUU"},
                                                 {dialog::kLblOptPT[1], 1, "UL"}}) {
      d.Click(caption);
      EXPECT_TRUE(faces == 0 ? d.FacesBecome(dialog::kImgSR, states)
                             : d.FacesBecome(dialog::kImgPT, states))
          << states;
    }
    d.Click(dialog::kLblK[0]);
    ASSERT_TRUE(d.Ends());
  }
  EXPECT_EQ(ReadBytes(folder.settings()), SettingsText(" 0", " 1"));
  Dialog d(folder);
  ASSERT_TRUE(d.ready());
  d.Click(dialog::kLblOpt[2]);
  EXPECT_TRUE(d.FacesBecome(dialog::kImgSR, "UUL"));
  d.Click(dialog::kLblK[1]);
  ASSERT_TRUE(d.Ends());
  EXPECT_EQ(ReadBytes(folder.settings()), SettingsText(" 0", " 1")) << "cancelled";
  // Escape closes as the cancel command does, Enter saves and closes as the
  // save command does.
  for (const bool enter : {false, true}) {
    Dialog keyed(folder);
    ASSERT_TRUE(keyed.ready());
    keyed.Click(dialog::kLblOpt[2]);
    keyed.Click(dialog::kLblOptPT[0]);
    EXPECT_TRUE(keyed.FacesBecome(dialog::kImgPT, "LU"));
    PressKey(enter ? VK_RETURN : VK_ESCAPE);
    ASSERT_TRUE(keyed.Ends()) << (enter ? "Enter" : "Escape");
    EXPECT_EQ(ReadBytes(folder.settings()),
              enter ? SettingsText(" 2", " 0") : SettingsText(" 0", " 1"))
        << (enter ? "Enter" : "Escape");
  }
}

TEST(DialogAt144Dpi, IsTheLayoutScaledAndSavesWhatIsClicked) {
  ExpectScaledDialog(144);
}

TEST(DialogAt192Dpi, IsTheLayoutScaledAndSavesWhatIsClicked) {
  ExpectScaledDialog(192);
}

// At 288 dpi the layout scaled as a whole would not fit a 1024 x 768
// screen: the dialog takes the highest density at which it does, and lies
// inside the work area, caption bar and close box included.
TEST(DialogAt288Dpi, FitsTheScreenAndSavesWhatIsClicked) {
  ExpectScaledDialog(288);
}

// With a monitor left of the primary one the dialog still opens centred on
// the primary, inside its work area, and Escape closes it.
TEST(DialogOnTwoMonitors, OpensCentredOnThePrimaryMonitor) {
  ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
  ASSERT_LT(GetSystemMetrics(SM_XVIRTUALSCREEN), 0);
  ScrFolder folder(" 1", " 0");
  const auto before = ReadBytes(folder.settings());
  Dialog d(folder);
  ASSERT_TRUE(d.ready());
  ExpectPlacedWithoutBand(d);
  RECT window{};
  GetWindowRect(d.hwnd(), &window);
  EXPECT_GE(window.left, 0) << "on the primary monitor";
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(d.Ends());
  EXPECT_EQ(ReadBytes(folder.settings()), before);
}

// Without the designed face the captions are drawn in an installed Japanese
// face, ASCII ones included: same-length captions differ, as they would not
// if every character were drawn as the same empty box.
TEST(DialogWithoutFontReplacement, EveryCaptionDrawsVisibleText) {
  ScrFolder folder(" 1", " 0");
  Dialog d(folder);
  ASSERT_TRUE(d.ready());
  ExpectTextInsideItsBox(d);
  const ScreenShot shot;
  EXPECT_NE(TextMask(shot, d.OnScreen(dialog::kLblOpt[1])),
            TextMask(shot, d.OnScreen(dialog::kLblOpt[2])))
      << "\"800 * 600\" and \"640 * 480\" look alike";
  EXPECT_NE(TextMask(shot, d.OnScreen(dialog::kLblOptPT[0])),
            TextMask(shot, d.OnScreen(dialog::kLblOptPT[1])))
      << "\"A\" and \"B\" look alike";
}

}  // namespace
