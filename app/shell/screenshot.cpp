// app/shell/screenshot.cpp -- the render region (or the panel strip) of the back buffer written as PNG.
#include <vector>

#include "app/shell/shell.h"
#include "render/screenshot.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

bool writeRenderRegionPng(const std::string& file, int width, int height) {
    return writeWindowRegionPng(file, 0, width, height);
}

bool writeWindowRegionPng(const std::string& file, int x, int width, int height) {
    std::vector<unsigned char> pixels;
    if (!render::readWindowRegion(x, width, height, pixels)) return false;
    // GL rows run bottom up; the picture file's top down.
    stbi_flip_vertically_on_write(1);
    return stbi_write_png(file.c_str(), width, height, 3, pixels.data(), width * 3) != 0;
}
