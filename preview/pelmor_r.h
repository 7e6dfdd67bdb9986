// The preview window shown inside the control panel's preview area.
#pragma once

#include "platform/form_win.h"
#include "platform/image_win.h"

namespace varominea {

// A black, borderless window holding one picture control. ShowPreviewIn
// makes it a child of the preview area and sizes it and the picture over the
// area.
class Pelmor_R : public platform::Form {
 public:
  Pelmor_R();

  platform::Image Img_Prev;

 protected:
  void Form_Unload(std::int16_t& cancel) override;
};

// Loads the preview window and places it as a child over `parent`, covering
// it, then shows it. false, with no window loaded, when the parent's size in
// twips does not fit 16 bits.
bool ShowPreviewIn(Pelmor_R& preview, HWND parent);

}  // namespace varominea
