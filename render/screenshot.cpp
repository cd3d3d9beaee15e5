// render/screenshot.cpp -- the back buffer's render region read back for the screenshot.
#include "render/screenshot.h"

#include <GL/gl.h>

#include <cstddef>

namespace render {

bool readRenderRegion(int width, int height, std::vector<unsigned char>& rgb) {
    return readWindowRegion(0, width, height, rgb);
}

bool readWindowRegion(int x, int width, int height, std::vector<unsigned char>& rgb) {
    if (width <= 0 || height <= 0 || x < 0) return false;
    rgb.assign(static_cast<size_t>(width) * 3 * static_cast<size_t>(height), 0);
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    return true;
}

} // namespace render
