// app/shell/screenshot.cpp -- the render region of the back buffer written as PNG.
#include <GL/gl.h>

#include <vector>

#include "app/shell/shell.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

bool writeRenderRegionPng(const std::string& file, int width, int height) {
    if (width <= 0 || height <= 0) return false;
    size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<unsigned char> pixels(rowBytes * static_cast<size_t>(height));
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    // GL rows run bottom up; the picture file's top down.
    stbi_flip_vertically_on_write(1);
    return stbi_write_png(file.c_str(), width, height, 3, pixels.data(), static_cast<int>(rowBytes)) != 0;
}
