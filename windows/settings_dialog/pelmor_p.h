// The settings dialog: image size and processing pattern, save or cancel,
// and a link to the web page.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/shared_values.h"
#include "windows/platform/form_win.h"
#include "windows/platform/handles_win.h"
#include "windows/platform/image_win.h"
#include "windows/platform/label_win.h"
#include "windows/platform/picture_box_win.h"
#include "windows/platform/picture_win.h"
#include "windows/settings_dialog/layout.h"

namespace varominea {

class Pelmor_P : public platform::Form {
 public:
  // The captions are drawn in the designed face where it is installed, else
  // in a Japanese interface face the system has.
  Pelmor_P();

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
  // Enter saves and closes as the save command does; Escape closes as the
  // cancel command does.
  void Form_KeyDown(std::int16_t key_code, std::int16_t shift) override;
  // A move to a monitor of another density lays the dialog out again.
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  explicit Pelmor_P(const std::wstring& caption_face);

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
};

}  // namespace varominea
