// render/gl_errors.cpp -- drains glGetError into the debug log.
#include "render/gl_errors.h"

#include <GL/gl.h>

#include "render/logic/gl_error_names.h"

namespace render {
void reportGlErrors() {
    reportErrorCodes([] { return static_cast<unsigned>(glGetError()); });
}
} // namespace render
