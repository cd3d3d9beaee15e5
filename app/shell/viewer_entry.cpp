// app/shell/viewer_entry.cpp -- the viewer module's one entry point, which the program looks up
// after loading the module to open the window.
#include "app/shell/shell.h"

extern "C" int ostrelleRunViewer(const ViewerOptions* options) { return runViewer(*options); }
