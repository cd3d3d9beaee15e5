// render/gl_probe.h -- the one call that probes the driver at start-up; no GL header, so
// the shell can call it.
#pragma once

namespace render {
// The platform's entry-point lookup (SDL_GL_GetProcAddress in the viewer).
using ProcLookup = void* (*)(const char* name);

// Fills probedCapabilities() and the entry points; needs a current context. `hasSwapControl`
// says whether the window system can set the swap interval (the swap interval itself is
// the platform's, and is never changed); `swapControlName` is what it lacks otherwise.
// The complaints go to standard output.
void probeGlCapabilities(ProcLookup lookup, bool hasSwapControl, const char* swapControlName = "GLX_EXT_swap_control");
} // namespace render
