#include "windows/settings_dialog/pelmor_p.h"

#include <shellapi.h>

#include "core/numbers.h"
#include "core/shared_values.h"
#include "core/steps.h"
#include "windows/platform/app_win.h"
#include "windows/platform/dpi_win.h"
#include "windows/platform/picture_win.h"
#include "windows/resources/resource_ids.h"
#include "windows/resources/texts.h"
#include "windows/settings/settings_save.h"
#include "windows/settings/settings_win.h"
#include "windows/settings_dialog/caption_font_win.h"
#include "windows/settings_dialog/layout.h"
#include "windows/settings_dialog/zoom_win.h"

namespace varominea {
namespace {

// The credit line and the web page address come from the build.
constexpr wchar_t kCredit[] = L"Varominea " VAROMINEA_VERSION_TEXT;
constexpr wchar_t kHomePage[] = L"" VAROMINEA_HOME_PAGE;

RECT RectOf(const dialog::Box& box) {
  return RECT{box.left, box.top, box.left + box.width, box.top + box.height};
}

platform::LabelFont CaptionFont(const std::wstring& face, bool underline = false) {
  return platform::LabelFont{face, 9.75, FW_NORMAL, SHIFTJIS_CHARSET, underline};
}

platform::Label Caption(platform::Container& box, const dialog::Box& at, const wchar_t* text,
                        const std::wstring& face,
                        platform::Alignment alignment = platform::Alignment::Center) {
  return platform::Label(box, RectOf(at), text, alignment, CaptionFont(face));
}

platform::Image Face(platform::Container& box, const dialog::Box& at) {
  return platform::Image(box, RectOf(at));
}

// The element of a control array with that index; nullptr when there is none
// (a setting outside its group names no face).
template <typename Array>
auto* Element(Array& controls, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < controls.size()
             ? &controls[static_cast<std::size_t>(index)]
             : nullptr;
}

platform::PictureBoxDesign BackgroundBoxDesign() {
  platform::PictureBoxDesign design;
  design.bounds = RectOf(dialog::kPicB);
  design.back_color = GetSysColor(COLOR_BTNFACE);
  design.border = true;
  design.retained = true;
  return design;
}

platform::PictureBoxDesign TileBoxDesign() {
  platform::PictureBoxDesign design;
  design.bounds = RectOf(dialog::kPicMbl);
  design.retained = true;
  design.visible = false;
  return design;
}

platform::FormDesign DialogDesign() {
  platform::FormDesign design;
  design.caption = texts::kDialogCaption;
  design.border = platform::BorderStyle::FixedSingle;
  design.back_color = GetSysColor(COLOR_BTNFACE);
  design.icon_resource = IDI_VAROMINEA;
  design.minimize_box = false;
  design.maximize_box = false;
  design.key_preview = true;
  return design;
}

}  // namespace

Pelmor_P::Pelmor_P() : Pelmor_P(dialog::InstalledCaptionFace()) {}

Pelmor_P::Pelmor_P(const std::wstring& caption_face)
    : Form(DialogDesign()),
      Pic_B(*this, BackgroundBoxDesign()),
      Pic_Mbl(*this, TileBoxDesign()),
      Img_Off(*this, RectOf(dialog::kImgOff)),
      Img_On_Y(*this, RectOf(dialog::kImgOnY)),
      // Faces first, so that the captions added after them lie on top.
      Img_SR{Face(Pic_B, dialog::kImgSR[0]), Face(Pic_B, dialog::kImgSR[1]),
             Face(Pic_B, dialog::kImgSR[2])},
      Img_PT{Face(Pic_B, dialog::kImgPT[0]), Face(Pic_B, dialog::kImgPT[1])},
      Img_K{Face(Pic_B, dialog::kImgK[0]), Face(Pic_B, dialog::kImgK[1])},
      lbl_Opt{Caption(Pic_B, dialog::kLblOpt[0], texts::kSizeOptions[0], caption_face),
              Caption(Pic_B, dialog::kLblOpt[1], texts::kSizeOptions[1], caption_face),
              Caption(Pic_B, dialog::kLblOpt[2], texts::kSizeOptions[2], caption_face)},
      lbl_Opt_PT{Caption(Pic_B, dialog::kLblOptPT[0], texts::kPatternOptions[0], caption_face),
                 Caption(Pic_B, dialog::kLblOptPT[1], texts::kPatternOptions[1], caption_face)},
      lbl_K{Caption(Pic_B, dialog::kLblK[0], texts::kCommands[0], caption_face),
            Caption(Pic_B, dialog::kLblK[1], texts::kCommands[1], caption_face)},
      lbl_URL(Pic_B, RectOf(dialog::kLblUrl), kHomePage, platform::Alignment::Left,
              CaptionFont(caption_face, true)),
      lbl_items_{
          Caption(Pic_B, dialog::kLblSizeHeading, texts::kSizeHeading, caption_face,
                  platform::Alignment::Left),
          Caption(Pic_B, dialog::kLblPatternHeading, texts::kPatternHeading, caption_face,
                  platform::Alignment::Left),
          Caption(Pic_B, dialog::kLblCredit, kCredit, caption_face, platform::Alignment::Left)} {
  // Cursors as designed: the save command and the link carry their own;
  // Form_Load hands the save command's to the other options and commands.
  lbl_K[0].SetCursor(platform::LoadCursorResource(IDC_BUTTON_HAND));
  lbl_URL.SetCursor(platform::LoadCursorResource(IDC_LINK_HAND));

  // One handler per control array; each receives the element's index. A
  // press also takes the keyboard focus there, as a click on a control does.
  for (std::int16_t i = 0; i < 3; ++i) {
    lbl_Opt[static_cast<std::size_t>(i)].OnMouseDown = [this, i](const platform::MouseEvent&) {
      keyboard_.SetFocus(dialog::Stop::SizeGroup);
      lbl_Opt_MouseDown(i);
    };
  }
  for (std::int16_t i = 0; i < 2; ++i) {
    const auto at = static_cast<std::size_t>(i);
    lbl_Opt_PT[at].OnMouseDown = [this, i](const platform::MouseEvent&) {
      keyboard_.SetFocus(dialog::Stop::PatternGroup);
      lbl_Opt_PT_MouseDown(i);
    };
    lbl_K[at].OnMouseDown = [this, i](const platform::MouseEvent&) {
      keyboard_.SetFocus(i == 0 ? dialog::Stop::Save : dialog::Stop::Cancel);
      lbl_K_MouseDown(i);
    };
    lbl_K[at].OnMouseUp = [this, i](const platform::MouseEvent&) { lbl_K_MouseUp(i); };
  }
  lbl_URL.OnMouseDown = [this](const platform::MouseEvent&) {
    keyboard_.SetFocus(dialog::Stop::Link);
    Announce();
    lbl_URL_MouseDown();
  };

  // The keyboard focus lives on the background box, whose elements the
  // accessible objects describe.
  Pic_B.OnGotFocus = [this] {
    announced_focus_.reset();
    Announce();
    focus_cue_.SetShown(keyboard_cues_);
  };
  Pic_B.OnLostFocus = [this] { focus_cue_.SetShown(false); };
  Pic_B.OnGetObject = [this](WPARAM wparam, LPARAM lparam) {
    return accessible_.Answer(Pic_B.hwnd(), wparam, lparam);
  };
}

Pelmor_P::~Pelmor_P() {
  // The box's window outlives the members its handlers use.
  Pic_B.OnGotFocus = nullptr;
  Pic_B.OnLostFocus = nullptr;
  Pic_B.OnGetObject = nullptr;
}

void Pelmor_P::LoadDesignPictures() {
  Img_Off.SetPicture(platform::Picture::FromResource(IDR_FACE_OFF));
  Img_On_Y.SetPicture(platform::Picture::FromResource(IDR_FACE_ON));
  tile_ = platform::Picture::FromBitmapResource(IDB_TILE);
}

std::vector<platform::Label*> Pelmor_P::Labels() {
  return {&lbl_URL,  &lbl_Opt[0], &lbl_Opt[1],    &lbl_Opt[2],    &lbl_Opt_PT[0], &lbl_Opt_PT[1],
          &lbl_K[0], &lbl_K[1],   &lbl_items_[0], &lbl_items_[1], &lbl_items_[2]};
}

void Pelmor_P::LayOut(int dpi) {
  dpi_ = dpi;
  const auto move = [dpi](platform::PictureBox& box, const dialog::Box& at) {
    const dialog::Box scaled = dialog::ScaleToDpi(at, dpi);
    box.Move(scaled.left, scaled.top, scaled.width, scaled.height);
  };
  const auto place = [dpi](platform::WindowlessControl& control, const dialog::Box& at) {
    control.SetBounds(RectOf(dialog::ScaleToDpi(at, dpi)));
  };
  move(Pic_B, dialog::kPicB);
  // The tile at the scaled size keeps its texture at every density.
  move(Pic_Mbl, dialog::kPicMbl);
  if (HDC surface = Pic_Mbl.ImageDc(); surface && tile_) {
    tile_->StretchTo(surface, RECT{0, 0, Pic_Mbl.client_width(), Pic_Mbl.client_height()});
  }
  place(Img_Off, dialog::kImgOff);
  place(Img_On_Y, dialog::kImgOnY);
  for (std::size_t i = 0; i < Img_SR.size(); ++i) {
    place(Img_SR[i], dialog::kImgSR[i]);
    place(lbl_Opt[i], dialog::kLblOpt[i]);
  }
  for (std::size_t i = 0; i < Img_PT.size(); ++i) {
    place(Img_PT[i], dialog::kImgPT[i]);
    place(lbl_Opt_PT[i], dialog::kLblOptPT[i]);
    place(Img_K[i], dialog::kImgK[i]);
    place(lbl_K[i], dialog::kLblK[i]);
  }
  place(lbl_URL, dialog::kLblUrl);
  place(lbl_items_[0], dialog::kLblSizeHeading);
  place(lbl_items_[1], dialog::kLblPatternHeading);
  place(lbl_items_[2], dialog::kLblCredit);
  for (platform::Label* label : Labels()) label->SetFontDpi(dpi);
  PlaceFocusCue(ShownFaces());

  // The cursors at the same density: the button cursor goes to every caption
  // that carries it.
  if (platform::OwnedCursor button = platform::LoadCursorResourceAt(IDC_BUTTON_HAND, dpi)) {
    const HCURSOR old = lbl_K[0].cursor();
    for (platform::Label* label : Labels()) {
      if (label == &lbl_K[0] || (old && label->cursor() == old)) label->SetCursor(button.get());
    }
    button_cursor_ = std::move(button);
  }
  if (platform::OwnedCursor link = platform::LoadCursorResourceAt(IDC_LINK_HAND, dpi)) {
    lbl_URL.SetCursor(link.get());
    link_cursor_ = std::move(link);
  }
}

void Pelmor_P::Form_Load() {
  LoadDesignPictures();
  const std::shared_ptr<const platform::Picture> unlit = Img_Off.picture();
  const std::shared_ptr<const platform::Picture> lit = Img_On_Y.picture();
  const auto button_cursor = [this] { return lbl_K[0].cursor(); };

  IgnoringErrors step;
  // The layout at the density of the monitor the dialog opens on, or at the
  // highest lower one at which the window fits that monitor's work area.
  const int window_dpi = platform::DpiOfWindow(hwnd());
  step([&] { LayOut(FittingDpi(window_dpi)); });
  // The outer size: the background box as the client area, in the frame the
  // system draws at the window's density.
  step([&] { SizeAroundBackground(window_dpi); });
  // Centred on the screen, and moved into the work area where that would
  // put any edge outside it; the size stays.
  step([&] {
    const RECT r = WindowRectPixels();
    const dialog::Size outer{r.right - r.left, r.bottom - r.top};
    const platform::ScreenMetrics screen = platform::Screen();
    const dialog::Origin origin = dialog::CentredOrigin(screen.width_px, screen.height_px, outer);
    const auto left = ToInt32(origin.left);
    const auto top = ToInt32(origin.top);
    if (left && top) MoveInsideWorkArea(dialog::Point{*left, *top});
  });
  // The background, tiled once into the box's retained image.
  step([&] { TileBackground(Pic_B); });
  // The size faces unlit; their captions get the save command's cursor.
  step([&] {
    for (std::size_t i = 0; i < Img_SR.size(); ++i) {
      Img_SR[i].SetPicture(unlit);
      lbl_Opt[i].SetCursor(button_cursor());
    }
  });
  // The faces of the current settings lit; a value outside its group names
  // no face, and that step is skipped. Settings the file could not give are
  // not known: no face is lit for them, and both pattern faces show unlit.
  step([&] {
    auto* face = SettingsKnown ? Element(Img_SR, ImageSize) : nullptr;
    if (face) face->SetPicture(lit);
  });
  step([&] {
    auto* face = SettingsKnown ? Element(Img_PT, ProcPattern) : Element(Img_PT, 1);
    if (face) face->SetPicture(SettingsKnown ? lit : unlit);
  });
  // The other pattern face unlit (none when the pattern names no face).
  step([&] {
    auto* face = Element(Img_PT, SettingsKnown ? ProcPattern ^ 1 : 0);
    if (face) face->SetPicture(unlit);
  });
  // The command faces unlit; the pattern captions get the cursor too.
  step([&] {
    for (std::size_t i = 0; i < Img_K.size(); ++i) {
      Img_K[i].SetPicture(unlit);
      lbl_Opt_PT[i].SetCursor(button_cursor());
    }
  });
  // So does the cancel command.
  step([&] { lbl_K[1].SetCursor(button_cursor()); });
  // The zoom starts where the mouse is now, or at the screen's corner when
  // that is not known; a coordinate beyond 16 bits ends the step there.
  step([&] {
    POINT pt{};
    ApiResult = GetCursorPos(&pt);
    if (ApiResult == 0) {
      ZoomOriginX = 0;
      ZoomOriginY = 0;
      return;
    }
    const auto x = ToInt16(pt.x);
    if (!x) return;
    ZoomOriginX = *x;
    const auto y = ToInt16(pt.y);
    if (!y) return;
    ZoomOriginY = *y;
  });
  // Keyboard cues hidden, so the dialog shows as designed until the
  // keyboard moves the focus in it, unless the user has asked the system to
  // show them always.
  step([&] {
    BOOL always = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &always, 0);
    SetKeyboardCues(always != FALSE);
    Announce();
  });
  // The opening animation, to the rectangle the window is shown in.
  step([&] { ZoomOpen(hwnd()); });
}

int Pelmor_P::FittingDpi(int window_dpi) const {
  const SIZE frame = platform::FrameExtent(hwnd(), window_dpi);
  const RECT work = platform::WorkAreaOf(hwnd());
  return dialog::FittingDpi(window_dpi, dialog::Size{frame.cx, frame.cy},
                            dialog::Size{work.right - work.left, work.bottom - work.top});
}

void Pelmor_P::SizeAroundBackground(int window_dpi) {
  const dialog::Size client = dialog::ClientSizeAt(dpi_);
  const SIZE frame = platform::FrameExtent(hwnd(), window_dpi);
  RECT r = WindowRectPixels();
  MovePixels(r.left, r.top, client.width + frame.cx, client.height + frame.cy);
  // Where the frame drawn differs from the one the metrics describe, the
  // difference goes to the outer size: the client area is the box exactly.
  RECT inside{};
  if (!GetClientRect(hwnd(), &inside)) return;
  const int wider = client.width - inside.right;
  const int taller = client.height - inside.bottom;
  if (wider == 0 && taller == 0) return;
  r = WindowRectPixels();
  MovePixels(r.left, r.top, r.right - r.left + wider, r.bottom - r.top + taller);
}

void Pelmor_P::MoveInsideWorkArea(dialog::Point at) {
  const RECT r = WindowRectPixels();
  const dialog::Size outer{r.right - r.left, r.bottom - r.top};
  const RECT work = platform::WorkAreaOf(hwnd());
  const dialog::Point inside = dialog::InsideWorkArea(
      at, outer, dialog::Box{work.left, work.top, work.right - work.left, work.bottom - work.top});
  MovePixels(inside.x, inside.y, outer.width, outer.height);
}

void Pelmor_P::TileBackground(platform::PictureBox& target) {
  HDC surface = target.ImageDc();
  HDC tile = Pic_Mbl.ImageDc();
  const int tile_width = Pic_Mbl.width();
  const int tile_height = Pic_Mbl.height();
  for (const dialog::Point& at :
       dialog::TilePositions(target.width(), target.height(), tile_width, tile_height)) {
    BitBlt(surface, at.x, at.y, tile_width, tile_height, tile, 0, 0, SRCCOPY);
  }
}

void Pelmor_P::lbl_Opt_MouseDown(std::int16_t index) {
  for (platform::Image& face : Img_SR) face.SetPicture(Img_Off.picture());
  Img_SR[static_cast<std::size_t>(index)].SetPicture(Img_On_Y.picture());
  ImageSize = index;
  image_size_picked_ = true;
  Announce();
}

void Pelmor_P::lbl_Opt_PT_MouseDown(std::int16_t index) {
  Img_PT[static_cast<std::size_t>(index)].SetPicture(Img_On_Y.picture());
  Img_PT[static_cast<std::size_t>(index ^ 1)].SetPicture(Img_Off.picture());
  ProcPattern = index;
  proc_pattern_picked_ = true;
  Announce();
}

void Pelmor_P::lbl_K_MouseDown(std::int16_t index) {
  Img_K[static_cast<std::size_t>(index)].SetPicture(Img_On_Y.picture());
  Announce();
}

void Pelmor_P::lbl_K_MouseUp(std::int16_t index) {
  IgnoringErrors step;
  step([&] { Img_K[static_cast<std::size_t>(index)].SetPicture(Img_Off.picture()); });
  // Lets the released face repaint unlit before the dialog goes; a press
  // queued before the release is handled here too, and so is saved.
  step([] { platform::DoEvents(); });
  // Both settings in one write; one left as it was found keeps what another
  // dialog stored meanwhile, and one whose stored value could not be read is
  // written only when the user picked it.
  if (index == 0) {
    step([this] {
      SaveSettings(
          {{texts::kKeyImageSize, ImageSize, opened_image_size_, SettingsKnown, image_size_picked_},
           {texts::kKeyProcPattern, ProcPattern, opened_proc_pattern_, SettingsKnown,
            proc_pattern_picked_}});
    });
  }
  step([this] { Unload(); });
}

void Pelmor_P::lbl_URL_MouseDown() {
  IgnoringErrors step;
  step([] { platform::SetAppCursor(LoadCursorW(nullptr, IDC_WAIT)); });
  step([this] {
    ShellExecuteW(hwnd(), L"open", lbl_URL.caption().c_str(), L"", L"", SW_SHOWNORMAL);
  });
  step([] { platform::SetAppCursor(nullptr); });
}

void Pelmor_P::Form_Unload(std::int16_t& /*cancel*/) {
  ZoomClose(hwnd());
}

LRESULT Pelmor_P::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DPICHANGED:
      DpiChanged(HIWORD(wparam), reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_SETFOCUS:
      Pic_B.SetFocus();
      return 0;
    case WM_UPDATEUISTATE:
      // The system's word on the keyboard cues, where it keeps them.
      if ((HIWORD(wparam) & UISF_HIDEFOCUS) != 0) {
        if (LOWORD(wparam) == UIS_SET) keyboard_cues_ = false;
        if (LOWORD(wparam) == UIS_CLEAR) keyboard_cues_ = true;
        focus_cue_.SetShown(keyboard_cues_ && Pic_B.focused());
      }
      return Form::HandleMessage(message, wparam, lparam);
    case kDefaultActionMessage:
      DefaultAction(static_cast<int>(wparam));
      return 0;
    default:
      return Form::HandleMessage(message, wparam, lparam);
  }
}

void Pelmor_P::DpiChanged(int dpi, const RECT* suggested) {
  // The system's suggestion keeps the window where the user put it; the size
  // is the box and the frame at the new density, inside the work area of the
  // monitor there.
  if (suggested) {
    MovePixels(suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top);
  }
  const RECT r = WindowRectPixels();
  LayOut(FittingDpi(dpi));
  SizeAroundBackground(dpi);
  MoveInsideWorkArea(dialog::Point{r.left, r.top});
  TileBackground(Pic_B);
  ::InvalidateRect(Pic_B.hwnd(), nullptr, FALSE);
  ::InvalidateRect(hwnd(), nullptr, FALSE);
}

}  // namespace varominea
