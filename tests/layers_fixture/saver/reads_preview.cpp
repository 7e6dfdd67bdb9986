// One window including another.
#include "platform/form_win.h"
#include "preview/pelmor_r.h"
#include "saver/pelmor_s.h"
