// The settings dialog.
#pragma once

#include "platform/form_win.h"

namespace varominea {

class Pelmor_P : public platform::Form {
 public:
  Pelmor_P();
};

}  // namespace varominea
