// One window including another.
#include "windows/platform/form_win.h"
#include "windows/preview/pelmor_r.h"
#include "windows/saver/pelmor_s.h"
