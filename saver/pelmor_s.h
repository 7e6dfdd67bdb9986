// The saver's full-screen window.
#pragma once

#include "platform/form_win.h"

namespace varominea {

class Pelmor_S : public platform::Form {
 public:
  Pelmor_S();

 protected:
  void Form_Load() override;
};

}  // namespace varominea
