// render/gl_errors.h -- the once-per-frame report of the GL error queue to the log.
#pragma once

namespace render {
void reportGlErrors();
}
