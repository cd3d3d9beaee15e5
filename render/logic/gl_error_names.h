// render/logic/gl_error_names.h -- the per-frame error report's text, apart from the GL queue.
#pragma once

#include <functional>

// Drains `nextError` (0 means no error): nothing is written when the first answer is 0;
// otherwise "\n" and then one name with a trailing blank per code.
void reportErrorCodes(const std::function<unsigned()>& nextError);

// "GL_INVALID_ENUM ", "GL_INVALID_VALUE ", "GL_INVALID_OPERATION " or "unhandlederror ".
const char* glErrorLogName(unsigned code);
