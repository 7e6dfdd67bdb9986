// The preview window shown inside the control panel's preview area.
#pragma once

#include "windows/platform/form_win.h"
#include "windows/platform/image_win.h"

namespace varominea {

// A black, borderless window holding one picture control. ShowPreviewIn
// makes it a child of the preview area and sizes it and the picture over the
// area.
class Pelmor_R : public platform::Form {
 public:
  Pelmor_R();

  platform::Image Img_Prev;

  // Ends the program once `area` is gone. A child window of another
  // process's window is normally destroyed with it, but not when the area
  // went away before the window became its child; the check on a timer
  // covers every moment.
  void EndWhenAreaIsGone(HWND area);

 protected:
  void Form_Unload(std::int16_t& cancel) override;
  // A click never activates the window nor the host it lives in.
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  platform::Timer area_watch_;
};

// Loads the preview window and places it as a child over `parent`, covering
// it, then shows it without activating it (the host keeps the foreground and
// the keyboard focus) and watches the parent. false when the window could not
// be made the parent's child or the parent is gone by the time it is shown:
// then the caller ends the program.
bool ShowPreviewIn(Pelmor_R& preview, HWND parent);

}  // namespace varominea
