// app/viewer_module.h -- the viewer window, loaded from the module beside the program when it is
// wanted: the command-line tools start without SDL, GL and the panel's libraries.
#pragma once

#include "app/viewer_options.h"

// Loads the viewer module and runs the viewer until the user quits; returns the process exit
// status, or kExitFailure with a message on standard error when the module cannot be loaded.
int runViewerModule(const ViewerOptions& options);
