// The preview window shown inside the control panel's preview area.
#pragma once

#include "platform/form_win.h"

namespace varominea {

class Pelmor_R : public platform::Form {
 public:
  Pelmor_R();

  // Stand-in for the picture control until the stored picture exists.
  struct {
    void Move(int, int, int, int) {}
  } Img_Prev;
};

}  // namespace varominea
