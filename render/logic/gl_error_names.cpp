// render/logic/gl_error_names.cpp -- names of the error codes in the log.
#include "render/logic/gl_error_names.h"

#include "base/debug_log.h"

const char* glErrorLogName(unsigned code) {
    switch (code) {
    case 0x0500: return "GL_INVALID_ENUM ";
    case 0x0501: return "GL_INVALID_VALUE ";
    case 0x0502: return "GL_INVALID_OPERATION ";
    default: return "unhandlederror ";
    }
}

void reportErrorCodes(const std::function<unsigned()>& nextError) {
    unsigned code = nextError();
    if (code == 0) return;
    logText("\n");
    // A lost context can answer with an error for ever; a frame reports at most this many.
    for (int n = 0; code != 0 && n < 64; ++n, code = nextError()) logText(glErrorLogName(code));
}
