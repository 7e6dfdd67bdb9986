#include "preview/pelmor_r.h"

#include "resources/texts.h"

namespace varominea {

Pelmor_R::Pelmor_R()
    : Form(platform::FormDesign{texts::kPreviewCaption, platform::BorderStyle::None,
                                RGB(0, 0, 0)}) {}

}  // namespace varominea
