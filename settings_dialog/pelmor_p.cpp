#include "settings_dialog/pelmor_p.h"

#include "resources/texts.h"

namespace varominea {

Pelmor_P::Pelmor_P()
    : Form(platform::FormDesign{texts::kDialogCaption, platform::BorderStyle::FixedSingle,
                                GetSysColor(COLOR_BTNFACE)}) {}

}  // namespace varominea
