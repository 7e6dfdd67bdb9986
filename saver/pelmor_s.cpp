#include "saver/pelmor_s.h"

#include "resources/texts.h"

namespace varominea {

Pelmor_S::Pelmor_S()
    : Form(platform::FormDesign{texts::kSaverCaption, platform::BorderStyle::None, RGB(0, 0, 0),
                                true}) {}

void Pelmor_S::Form_Load() { Show(); }

}  // namespace varominea
