// The settings dialog of the real program: its size and place, the tiled
// background, the faces lit for the stored settings, presses with real input
// events, saving, cancelling, the web link and a settings file that cannot
// be written.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "settings_dialog/layout.h"
#include "tests/e2e/support.h"

namespace {

using namespace e2e;
namespace dialog = varominea::dialog;
using varominea::texts::kDialogCaption;
using varominea::texts::kKeyImageSize;
using varominea::texts::kKeyProcPattern;

enum class Face { Lit, Unlit, Empty };

const char* Name(Face face) {
  return face == Face::Lit ? "lit" : face == Face::Unlit ? "unlit" : "empty";
}

int Red(COLORREF c) {
  return GetRValue(c);
}
int Green(COLORREF c) {
  return GetGValue(c);
}
int Blue(COLORREF c) {
  return GetBValue(c);
}

// The tile as the program stores it, read from the copy's resources.
class Tile {
 public:
  explicit Tile(const std::wstring& scr) {
    HMODULE module = LoadLibraryExW(scr.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return;
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(IDB_TILE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap) {
      BITMAP info{};
      GetObjectW(bitmap, sizeof info, &info);
      width_ = info.bmWidth;
      height_ = info.bmHeight;
      BITMAPINFO bi{};
      bi.bmiHeader.biSize = sizeof bi.bmiHeader;
      bi.bmiHeader.biWidth = width_;
      bi.bmiHeader.biHeight = -height_;  // top-down
      bi.bmiHeader.biPlanes = 1;
      bi.bmiHeader.biBitCount = 32;
      pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
      HDC screen = GetDC(nullptr);
      GetDIBits(screen, bitmap, 0, static_cast<UINT>(height_), pixels_.data(), &bi, DIB_RGB_COLORS);
      ReleaseDC(nullptr, screen);
      DeleteObject(bitmap);
    }
    FreeLibrary(module);
  }
  int width() const { return width_; }
  int height() const { return height_; }
  COLORREF pixel(int x, int y) const {
    const DWORD bgra = pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                               static_cast<std::size_t>(x)];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<DWORD> pixels_;
};

// A started copy of the program in configuration mode, with its dialog.
class Dialog {
 public:
  explicit Dialog(const ScrFolder& folder) : process_(folder.scr(), L"/c") {
    if (!process_.started()) return;
    hwnd_ = WaitForWindow(process_.pid(), kDialogCaption, 20s);
    if (!hwnd_) return;
    // The background box is the dialog's one visible child window.
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (IsWindowVisible(child)) box_ = child;
    }
    ClientToScreen(box_, &origin_);
    // Shown and painted once the command faces show their picture and the
    // faces read the same several times over (a read right after the window
    // appears can see part of an older screen).
    WaitUntil([&] { return FaceOf(dialog::kImgK[1]) == Face::Unlit; }, 10s);
    std::vector<Face> last = AllFaces();
    int same = 0;
    WaitUntil(
        [&] {
          const std::vector<Face> now = AllFaces();
          same = now == last ? same + 1 : 0;
          last = now;
          return same >= 3;
        },
        10s, 100ms);
  }

  bool ready() const { return hwnd_ != nullptr && box_ != nullptr; }
  HWND hwnd() const { return hwnd_; }
  HWND box() const { return box_; }
  ScrProcess& process() { return process_; }
  bool open() const { return process_.running() && IsWindow(hwnd_); }

  // A point of the background box's client area on the screen.
  POINT At(int x, int y) const { return POINT{origin_.x + x, origin_.y + y}; }
  POINT Centre(const dialog::Box& b) const {
    return At(b.left + b.width / 2, b.top + b.height / 2);
  }
  COLORREF Pixel(int x, int y) const {
    const POINT p = At(x, y);
    return ScreenPixel(p.x, p.y);
  }

  // A face with a picture has a black frame; the lit picture has a
  // yellow-green strip along its lower edge, below the caption.
  Face FaceOf(const dialog::Box& face) const {
    int framed = 0;
    int lit = 0;
    for (int x : {10, 47, 85}) {
      const COLORREF frame = Pixel(face.left + x, face.top);
      const COLORREF strip = Pixel(face.left + x, face.top + 17);
      if (Red(frame) + Green(frame) + Blue(frame) < 120) ++framed;
      if (Green(strip) > 150 && Green(strip) > Blue(strip) + 80) ++lit;
    }
    if (framed < 3) return Face::Empty;
    return lit == 3 ? Face::Lit : Face::Unlit;
  }
  std::vector<Face> AllFaces() const {
    std::vector<Face> all;
    for (const dialog::Box& face : dialog::kImgSR) all.push_back(FaceOf(face));
    for (const dialog::Box& face : dialog::kImgPT) all.push_back(FaceOf(face));
    for (const dialog::Box& face : dialog::kImgK) all.push_back(FaceOf(face));
    return all;
  }
  template <std::size_t N>
  std::array<Face, N> Faces(const std::array<dialog::Box, N>& faces) const {
    std::array<Face, N> states{};
    for (std::size_t i = 0; i < N; ++i) states[i] = FaceOf(faces[i]);
    return states;
  }
  // Waits for the faces of a group to show the expected states.
  template <std::size_t N>
  bool FacesBecome(const std::array<dialog::Box, N>& faces, const std::array<Face, N>& expected) {
    return WaitUntil([&] { return Faces(faces) == expected; }, 5s);
  }

  void Click(const dialog::Box& b, int button = 1) {
    const POINT p = Centre(b);
    ClickAt(p.x, p.y, button);
  }
  bool Ends() { return process_.WaitForExit(15s); }

 private:
  ScrProcess process_;
  HWND hwnd_ = nullptr;
  HWND box_ = nullptr;
  POINT origin_{0, 0};
};

template <std::size_t N>
std::string Describe(const std::array<Face, N>& faces) {
  std::string text;
  for (Face f : faces) text += std::string(Name(f)) + " ";
  return text;
}

constexpr Face L = Face::Lit;
constexpr Face U = Face::Unlit;
constexpr Face E = Face::Empty;

// The value stored under a key of the settings file, exactly as written.
std::optional<std::string> StoredValue(const std::string& file, const std::string& key) {
  std::size_t at = 0;
  while (at < file.size()) {
    std::size_t end = file.find_first_of("\r\n", at);
    if (end == std::string::npos) end = file.size();
    const std::string line = file.substr(at, end - at);
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    at = end + 1;
  }
  return std::nullopt;
}

TEST(DialogTest, OpensCentredAtItsSizeOverTheTiledBackground) {
  ScrFolder folder;
  folder.WriteSettings(" 1", " 0");
  Dialog d(folder);
  ASSERT_TRUE(d.ready());

  RECT window{};
  GetWindowRect(d.hwnd(), &window);
  EXPECT_EQ(window.right - window.left, 345);
  EXPECT_EQ(window.bottom - window.top, 264);
  EXPECT_EQ(window.top, (768 - 264) / 2);
  // (1024 - 345) / 2 = 339.5, placed on a whole pixel.
  EXPECT_GE(window.left, 339);
  EXPECT_LE(window.left, 340);
  RECT box{};
  GetWindowRect(d.box(), &box);
  EXPECT_EQ(box.right - box.left, 337);
  EXPECT_EQ(box.bottom - box.top, 237);

  // Left of every caption and face, each row of the box shows the tile's row
  // at the same height modulo the tile: seams at 26, 52, ..., 234.
  const Tile tile(folder.scr());
  ASSERT_EQ(tile.width(), 340);
  ASSERT_EQ(tile.height(), 26);
  RECT client{};
  GetClientRect(d.box(), &client);
  auto background_is_tiled = [&](const ScreenShot& shot) {
    int compared = 0;
    for (int y = 0; y < client.bottom; ++y) {
      for (int x = 0; x < 11; x += 2) {
        const POINT p = d.At(x, y);
        if (shot.pixel(p.x, p.y) != tile.pixel(x, y % 26)) {
          ADD_FAILURE() << "at " << x << "," << y;
          return false;
        }
        ++compared;
      }
    }
    return compared > 1000;
  };
  const ScreenShot shot;
  EXPECT_TRUE(background_is_tiled(shot));
  // The seams are real: the tile's last and first rows differ there.
  int differing = 0;
  for (int x = 0; x < 11; ++x) differing += tile.pixel(x, 25) != tile.pixel(x, 0);
  EXPECT_GT(differing, 0);

  EXPECT_EQ(d.Faces(dialog::kImgSR), (std::array<Face, 3>{U, L, U}));
  EXPECT_EQ(d.Faces(dialog::kImgPT), (std::array<Face, 2>{L, U}));
  EXPECT_EQ(d.Faces(dialog::kImgK), (std::array<Face, 2>{U, U}));

  if (const wchar_t* shot_path = _wgetenv(L"VAROMINEA_DIALOG_SHOT")) shot.Save(shot_path);

  // Covered and uncovered, the box shows its kept image again.
  {
    HelperWindow cover(L"cover", WS_POPUP, nullptr, window);
    Sleep(300);
    EXPECT_NE(ScreenPixel(d.At(4, 4).x, d.At(4, 4).y), tile.pixel(4, 4));
  }
  ASSERT_TRUE(
      WaitUntil([&] { return ScreenPixel(d.At(4, 4).x, d.At(4, 4).y) == tile.pixel(4, 4); }, 5s));
  Sleep(200);
  EXPECT_TRUE(background_is_tiled(ScreenShot()));
  EXPECT_EQ(d.Faces(dialog::kImgSR), (std::array<Face, 3>{U, L, U}));
}

TEST(DialogTest, LitFacesFollowTheStoredSettings) {
  struct Case {
    const char* image_size;  // nullptr: no settings file
    const char* proc_pattern;
    std::array<Face, 3> sizes;
    std::array<Face, 2> patterns;
  };
  const Case cases[] = {
      {nullptr, nullptr, {L, U, U}, {L, U}}, {"2", "1", {U, U, L}, {U, L}},
      {" 5", " 0", {U, U, U}, {L, U}},  // no size face for 5
      {" 0", " 2", {L, U, U}, {E, E}},  // 2 and 2 XOR 1 name no face
      {" 1", "-1", {U, L, U}, {E, E}},  // nor do -1 and -2
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.image_size ? c.image_size : "(none)") + "/" +
                 (c.proc_pattern ? c.proc_pattern : "(none)"));
    ScrFolder folder;
    if (c.image_size) folder.WriteSettings(c.image_size, c.proc_pattern);
    Dialog d(folder);
    ASSERT_TRUE(d.ready());
    EXPECT_EQ(d.Faces(dialog::kImgSR), c.sizes) << Describe(d.Faces(dialog::kImgSR));
    EXPECT_EQ(d.Faces(dialog::kImgPT), c.patterns) << Describe(d.Faces(dialog::kImgPT));
    EXPECT_EQ(d.Faces(dialog::kImgK), (std::array<Face, 2>{U, U}));
  }
}

TEST(DialogTest, SaveWritesBothChosenSettingsAndEnds) {
  ScrFolder folder;
  folder.WriteSettings(" 1", " 1");
  Dialog d(folder);
  ASSERT_TRUE(d.ready());
  d.Click(dialog::kLblOpt[2]);
  EXPECT_TRUE(d.FacesBecome(dialog::kImgSR, {U, U, L}));
  d.Click(dialog::kLblOptPT[0]);
  EXPECT_TRUE(d.FacesBecome(dialog::kImgPT, {L, U}));
  d.Click(dialog::kLblK[0]);
  ASSERT_TRUE(d.Ends());
  const auto file = ReadBytes(folder.settings());
  ASSERT_TRUE(file);
  EXPECT_EQ(StoredValue(*file, kKeyImageSize), " 2");
  EXPECT_EQ(StoredValue(*file, kKeyProcPattern), " 0");
}

TEST(DialogTest, OptionsReactToAnyButtonOnTheirCaptionsOnly) {
  ScrFolder folder;
  folder.WriteSettings(" 0", " 1");
  Dialog d(folder);
  ASSERT_TRUE(d.ready());
  // The lit option pressed again stays lit.
  d.Click(dialog::kLblOpt[0]);
  Sleep(300);
  EXPECT_EQ(d.Faces(dialog::kImgSR), (std::array<Face, 3>{L, U, U}));
  // The right and the middle button select as well.
  d.Click(dialog::kLblOpt[1], 2);
  EXPECT_TRUE(d.FacesBecome(dialog::kImgSR, {U, L, U}));
  d.Click(dialog::kLblOptPT[0], 4);
  EXPECT_TRUE(d.FacesBecome(dialog::kImgPT, {L, U}));
  // A press on a face above its caption, or on a heading, does nothing.
  const dialog::Box face = dialog::kImgSR[2];
  const POINT above = d.At(face.left + face.width / 2, face.top + 1);
  ClickAt(above.x, above.y);
  const POINT heading = d.Centre(dialog::kLblPatternHeading);
  ClickAt(heading.x, heading.y);
  Sleep(300);
  EXPECT_EQ(d.Faces(dialog::kImgSR), (std::array<Face, 3>{U, L, U}));
  EXPECT_EQ(d.Faces(dialog::kImgPT), (std::array<Face, 2>{L, U}));
  d.Click(dialog::kLblK[0]);
  ASSERT_TRUE(d.Ends());
  const auto file = ReadBytes(folder.settings());
  ASSERT_TRUE(file);
  EXPECT_EQ(StoredValue(*file, kKeyImageSize), " 1");
  EXPECT_EQ(StoredValue(*file, kKeyProcPattern), " 0");
}

TEST(DialogTest, SaveCommandShowsPressedAndSavesWhereverItIsReleased) {
  ScrFolder folder;
  folder.WriteSettings(" 0", " 0");
  Dialog d(folder);
  ASSERT_TRUE(d.ready());
  d.Click(dialog::kLblOptPT[1]);
  EXPECT_TRUE(d.FacesBecome(dialog::kImgPT, {U, L}));
  const POINT save = d.Centre(dialog::kLblK[0]);
  MoveMouseTo(save.x, save.y);
  Sleep(50);
  MouseButtonDown(1);
  EXPECT_TRUE(d.FacesBecome(dialog::kImgK, {L, U})) << "pressed look";
  MoveMouseTo(5, 5);  // off the caption and off the dialog
  Sleep(100);
  EXPECT_TRUE(d.open());
  MouseButtonUp(1);
  ASSERT_TRUE(d.Ends());
  const auto file = ReadBytes(folder.settings());
  ASSERT_TRUE(file);
  EXPECT_EQ(StoredValue(*file, kKeyImageSize), " 0");
  EXPECT_EQ(StoredValue(*file, kKeyProcPattern), " 1");
}

TEST(DialogTest, ConfirmingWritesStoredOutOfRangeValuesBack) {
  struct Case {
    const char* image_size;
    const char* proc_pattern;
    bool press_b;
    const char* saved_size;
    const char* saved_pattern;
  };
  for (const Case& c : {Case{" 5", " 0", false, " 5", " 0"}, Case{" 1", " 2", false, " 1", " 2"},
                        Case{" 5", "-1", true, " 5", " 1"}}) {
    SCOPED_TRACE(std::string(c.image_size) + "/" + c.proc_pattern);
    ScrFolder folder;
    folder.WriteSettings(c.image_size, c.proc_pattern);
    Dialog d(folder);
    ASSERT_TRUE(d.ready());
    if (c.press_b) {
      // Neither pattern face had a picture; a press gives both of them one.
      EXPECT_EQ(d.Faces(dialog::kImgPT), (std::array<Face, 2>{E, E}));
      d.Click(dialog::kLblOptPT[1]);
      EXPECT_TRUE(d.FacesBecome(dialog::kImgPT, {U, L}));
    }
    d.Click(dialog::kLblK[0]);
    ASSERT_TRUE(d.Ends());
    const auto file = ReadBytes(folder.settings());
    ASSERT_TRUE(file);
    EXPECT_EQ(StoredValue(*file, kKeyImageSize), c.saved_size);
    EXPECT_EQ(StoredValue(*file, kKeyProcPattern), c.saved_pattern);
  }
}

void PressAltF4() {
  INPUT in[4] = {};
  for (INPUT& i : in) i.type = INPUT_KEYBOARD;
  in[0].ki.wVk = VK_MENU;
  in[1].ki.wVk = VK_F4;
  in[2].ki.wVk = VK_F4;
  in[2].ki.dwFlags = KEYEVENTF_KEYUP;
  in[3].ki.wVk = VK_MENU;
  in[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, in, sizeof(INPUT));
}

TEST(DialogTest, CancelCloseBoxAndAltF4DiscardTheChoice) {
  for (const char* way : {"cancel", "close box", "Alt+F4"}) {
    SCOPED_TRACE(way);
    ScrFolder folder;
    folder.WriteSettings(" 1", " 0");
    const auto before = ReadBytes(folder.settings());
    Dialog d(folder);
    ASSERT_TRUE(d.ready());
    d.Click(dialog::kLblOpt[2]);
    d.Click(dialog::kLblOptPT[1]);
    EXPECT_TRUE(d.FacesBecome(dialog::kImgPT, {U, L}));
    if (std::string(way) == "cancel") {
      d.Click(dialog::kLblK[1]);
    } else if (std::string(way) == "close box") {
      // What a click on the close box sends (with no window manager on the
      // virtual screen, nothing draws the caption bar to click on).
      PostMessageW(d.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
      // Keys of its own do nothing; only the system's close command acts.
      for (int key : {VK_ESCAPE, VK_RETURN, VK_SPACE, int{'A'}}) PressKey(static_cast<WORD>(key));
      Sleep(300);
      EXPECT_TRUE(d.open());
      EXPECT_EQ(d.Faces(dialog::kImgSR), (std::array<Face, 3>{U, U, L}));
      PressAltF4();
    }
    ASSERT_TRUE(d.Ends());
    EXPECT_EQ(ReadBytes(folder.settings()), before);
  }
}

TEST(DialogTest, ReadOnlySettingsFileKeepsTheChoiceInThePerUserCopy) {
  ScrFolder folder;
  folder.WriteSettings(" 1", " 0");
  const auto before = ReadBytes(folder.settings());
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
    EXPECT_TRUE(d.FacesBecome(dialog::kImgPT, {U, L}));
    d.Click(dialog::kLblK[0]);
    EXPECT_TRUE(d.Ends()) << "the dialog closes without a message";
  }
  SetFileAttributesW(folder.settings().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(folder.settings()), before);
  const auto per_user = ReadBytes(local + L"\\" + varominea::texts::kPerUserFolder + L"\\" +
                                  varominea::texts::kSettingsFileName);
  ASSERT_TRUE(per_user);
  EXPECT_EQ(StoredValue(*per_user, kKeyImageSize), " 2");
  EXPECT_EQ(StoredValue(*per_user, kKeyProcPattern), " 1");
}

// The command that opens https addresses in this prefix's registry, replaced
// for as long as the object lives: the test's own command runs instead of a
// browser. (Wine's shell reads the classes from the machine's part only.)
class HttpsHandler {
 public:
  explicit HttpsHandler(const std::wstring& command) {
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, L"https\\shell\\open\\command", 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    wchar_t old[1024] = {};
    DWORD size = sizeof old - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key_, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ) {
      old_ = old;
    }
    Set(command);
  }
  HttpsHandler(const HttpsHandler&) = delete;
  HttpsHandler& operator=(const HttpsHandler&) = delete;
  ~HttpsHandler() {
    if (!key_) return;
    if (old_) {
      Set(*old_);
    } else {
      RegDeleteValueW(key_, nullptr);
    }
    RegCloseKey(key_);
  }
  bool ok() const { return key_ != nullptr; }

 private:
  void Set(const std::wstring& command) {
    RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  }
  HKEY key_ = nullptr;
  std::optional<std::wstring> old_;
};

std::wstring SystemFolder() {
  wchar_t buffer[MAX_PATH] = {};
  GetSystemDirectoryW(buffer, MAX_PATH);
  return buffer;
}

TEST(DialogTest, LinkOpensTheAddressThroughTheShellAndTheDialogStaysOpen) {
  ScrFolder folder;
  folder.WriteSettings(" 0", " 0");
  const std::wstring opened = folder.path() + L"\\opened.txt";
  const std::string address = VAROMINEA_HOME_PAGE;
  ASSERT_EQ(address.rfind("https://", 0), 0u);
  {
    HttpsHandler handler(L"\"" + SystemFolder() + L"\\cmd.exe\" /c echo %1>\"" + opened + L"\"");
    ASSERT_TRUE(handler.ok());
    Dialog d(folder);
    ASSERT_TRUE(d.ready());
    d.Click(dialog::kLblUrl);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(opened); }, 20s));
    std::string text;
    WaitUntil(
        [&] {
          text = ReadBytes(opened).value_or("");
          return text.find(address) != std::string::npos;
        },
        5s);
    EXPECT_NE(text.find(address), std::string::npos) << text;
    Sleep(300);
    EXPECT_TRUE(d.open());
    // The state is unchanged and the options still react.
    EXPECT_EQ(d.Faces(dialog::kImgSR), (std::array<Face, 3>{L, U, U}));
    d.Click(dialog::kLblOpt[1]);
    EXPECT_TRUE(d.FacesBecome(dialog::kImgSR, {U, L, U}));
  }
  {
    // Nothing that can open the address: nothing is shown, the dialog stays.
    HttpsHandler handler(L"\"C:\\no such folder\\no such program.exe\" \"%1\"");
    Dialog d(folder);
    ASSERT_TRUE(d.ready());
    d.Click(dialog::kLblUrl);
    Sleep(1000);
    EXPECT_TRUE(d.open());
    d.Click(dialog::kLblOpt[2]);
    EXPECT_TRUE(d.FacesBecome(dialog::kImgSR, {U, U, L}));
  }
}

}  // namespace
