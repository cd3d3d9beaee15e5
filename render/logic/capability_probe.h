// render/logic/capability_probe.h -- the capability probe's decisions from the driver's extension
// string, and the --caps limits; no GL here, so both are tested without a context.
#pragma once

#include <functional>
#include <string>

#include "base/gl_capabilities.h"

// The one process-wide capability record, zero until the probe fills it.
GlCapabilities& probedCapabilities();

// True when `name` followed by one blank occurs anywhere in `extensions` (a plain
// substring test; the last name counts only when the driver ends the string with a
// blank). False for a null string or a name longer than the 498-character buffer.
bool isExtensionSupported(const char* extensions, const char* name);

// The two limits the probe asks the driver for.
enum class GlLimit { MaxTextureUnits, MaxGeneralCombiners };

// Fills `caps` from the extension string, in the probe's order, asking `readLimit` for
// the texture-unit count (only when multitexture is present) and the general-combiner
// count (only with register combiners). `hasSwapControl` tells whether the window
// system can set the swap interval (the GL string is searched for WGL_EXT_swap_control
// as well); `swapControlName` is what the window system lacks when it cannot, and the
// program goes on without it. The complaints for standard output are appended to
// `messages`; the closing "Exiting because ..." line only when an extension the drawing
// needs is missing.
void probeExtensionString(const char* extensions, bool hasSwapControl,
                          const std::function<int(GlLimit)>& readLimit, GlCapabilities& caps,
                          std::string& messages, const char* swapControlName = "GLX_EXT_swap_control");

// Applies a --caps list ("units=2,-regcomb -cubemap") to `caps`. Appends one log line per
// limit applied to `log` ("Capability limited: ...\n"). False with `error` set when an
// item is not understood; nothing is changed then.
bool applyCapabilityLimits(const std::string& list, GlCapabilities& caps, std::string& log,
                           std::string& error);
