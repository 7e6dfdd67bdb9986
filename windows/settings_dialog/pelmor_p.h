// The settings dialog: image size and processing pattern, save or cancel,
// and a link to the web page.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/shared_values.h"
#include "windows/platform/accessible_win.h"
#include "windows/platform/focus_rect_win.h"
#include "windows/platform/form_win.h"
#include "windows/platform/handles_win.h"
#include "windows/platform/image_win.h"
#include "windows/platform/label_win.h"
#include "windows/platform/picture_box_win.h"
#include "windows/platform/picture_win.h"
#include "windows/settings_dialog/accessible_tree.h"
#include "windows/settings_dialog/keyboard.h"
#include "windows/settings_dialog/layout.h"

namespace varominea {

// Usable by keyboard (Tab between the groups, the commands and the link,
// arrows inside a group) and described to screen readers; both act through
// the same handlers as the mouse.
class Pelmor_P : public platform::Form, private platform::AccessibleSource {
 public:
  // The captions are drawn in the designed face where it is installed, else
  // in a Japanese interface face the system has.
  Pelmor_P();
  ~Pelmor_P() override;

  // Controls on the window.
  platform::PictureBox Pic_B;    // background box holding everything visible
  platform::PictureBox Pic_Mbl;  // hidden; its retained image holds the tile
  platform::Image Img_Off;       // the unlit face picture (outside the client area)
  platform::Image Img_On_Y;      // the lit face picture (outside the client area)

  // Faces inside Pic_B, below the captions.
  std::array<platform::Image, 3> Img_SR;  // size options
  std::array<platform::Image, 2> Img_PT;  // pattern options
  std::array<platform::Image, 2> Img_K;   // commands: save and close, cancel

  // Captions inside Pic_B, above the faces.
  std::array<platform::Label, 3> lbl_Opt;
  std::array<platform::Label, 2> lbl_Opt_PT;
  std::array<platform::Label, 2> lbl_K;
  platform::Label lbl_URL;

 protected:
  void Form_Load() override;
  void Form_Unload(std::int16_t& cancel) override;
  // The keys of the focus stops (see dialog::Keyboard); Enter saves and
  // closes as the save command does, Escape closes as the cancel command
  // does.
  void Form_KeyDown(std::int16_t key_code, std::int16_t shift) override;
  void Form_KeyUp(std::int16_t key_code, std::int16_t shift) override;
  // A move to a monitor of another density lays the dialog out again; the
  // focus goes on to the background box, which holds the elements; the
  // keyboard cues show as the system's state of them says.
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  explicit Pelmor_P(const std::wstring& caption_face);

  // A screen reader's request for an element's default action, carried out
  // from the message loop once the request has been answered.
  static constexpr UINT kDefaultActionMessage = WM_APP + 1;

  // Places and sizes every control, the captions' fonts, the tile and the
  // cursors for a display of that density (the layout scaled from 96 dpi).
  void LayOut(int dpi);
  void DpiChanged(int dpi, const RECT* suggested);
  // The density to lay out at for a window at `window_dpi` on its monitor.
  int FittingDpi(int window_dpi) const;
  // The outer size that makes the client area the background box at the
  // layout's density, in the frame of a window at `window_dpi`.
  void SizeAroundBackground(int window_dpi);
  // Places the window's top-left corner at `at`, or as near as keeps the
  // window inside its monitor's work area, caption bar first.
  void MoveInsideWorkArea(dialog::Point at);
  std::vector<platform::Label*> Labels();
  void TileBackground(platform::PictureBox& target);

  void lbl_Opt_MouseDown(std::int16_t index);
  void lbl_Opt_PT_MouseDown(std::int16_t index);
  void lbl_K_MouseDown(std::int16_t index);
  void lbl_K_MouseUp(std::int16_t index);
  void lbl_URL_MouseDown();

  // The keyboard and the screen reader.
  void Act(const dialog::KeyAction& action);
  dialog::Faces ShownFaces() const;
  std::optional<dialog::Element> FocusedNow(const dialog::Faces& faces) const;
  // Moves the focus cue to the focused element and tells screen readers of
  // every change of focus or lit face since the last call.
  void Announce();
  void PlaceFocusCue(const dialog::Faces& faces);
  // Whether the focus cue shows while the box has the focus; the system is
  // told too, and its own word (WM_UPDATEUISTATE) is followed.
  void SetKeyboardCues(bool shown);
  void DefaultAction(int id);
  std::optional<platform::AccessibleNode> AccessibleNodeOf(int id) override;
  std::optional<int> AccessibleFocus() override;
  bool AccessibleDefaultAction(int id) override;

  // The pictures the window holds before it is loaded: the two face pictures
  // and the tile in Pic_Mbl's retained image.
  void LoadDesignPictures();

  // The two headings and the credit line, which take no mouse.
  std::array<platform::Label, 3> lbl_items_;

  std::shared_ptr<const platform::Picture> tile_;  // drawn into Pic_Mbl at its size
  // The cursors at the density the dialog is laid out for.
  platform::OwnedCursor button_cursor_;
  platform::OwnedCursor link_cursor_;
  int dpi_ = 96;
  // The settings as the dialog found them when it was made, after they were
  // loaded, and whether the user chose an option of each group since.
  std::int16_t opened_image_size_ = ImageSize;
  std::int16_t opened_proc_pattern_ = ProcPattern;
  bool image_size_picked_ = false;
  bool proc_pattern_picked_ = false;
  bool key_command_run_ = false;  // a command key acts once

  dialog::Keyboard keyboard_;
  bool keyboard_cues_ = false;
  // Drawn above every caption, so added after them.
  platform::FocusRect focus_cue_{Pic_B};
  platform::AccessibleServer accessible_{*this};
  // What screen readers were last told.
  dialog::Faces announced_faces_;
  std::optional<dialog::Element> announced_focus_;
};

}  // namespace varominea
