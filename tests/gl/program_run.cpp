// tests/gl/program_run.cpp -- runs of the built viewer for the program tests.
#include "program_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

ViewerRun::ViewerRun(const std::string& name) {
    dir = fs::temp_directory_path() / ("ostrelle_program_" + name + "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
}

ViewerRun::~ViewerRun() { fs::remove_all(dir); }

std::string ViewerRun::command(const std::string& args, const std::string& env) const {
    return "cd '" + dir.string() + "' && " + env + " '" + OSTRELLE_PROGRAM + "' " + args + " >stdout.txt 2>stderr.txt";
}

void ViewerRun::collect(int raw) {
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    out = readFile(dir / "stdout.txt");
    err = readFile(dir / "stderr.txt");
}

void ViewerRun::start(const std::string& args, const std::string& env) {
    collect(std::system(command(args, env).c_str()));
}

bool Picture::load(const fs::path& file) {
    int channels = 0;
    unsigned char* data = stbi_load(file.string().c_str(), &width, &height, &channels, 3);
    if (!data) return false;
    rgb.assign(data, data + static_cast<size_t>(width) * height * 3);
    stbi_image_free(data);
    return true;
}

namespace {

// Calls `visit(x, y, pixel)` for every pixel of the rows [fromRow, toRow).
template <typename Visit>
void eachPixel(const Picture& p, int fromRow, int toRow, Visit visit) {
    for (int y = fromRow; y < toRow && y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) visit(x, y, &p.rgb[(static_cast<size_t>(y) * p.width + x) * 3]);
}

} // namespace

int Picture::whitePixels(int fromRow, int toRow) const {
    int n = 0;
    eachPixel(*this, fromRow, toRow, [&](int, int, const unsigned char* p) { n += std::min({p[0], p[1], p[2]}) > 200; });
    return n;
}

bool Picture::redCentre(float& cx, float& cy) const {
    double sx = 0, sy = 0;
    int n = 0;
    eachPixel(*this, 0, height, [&](int x, int y, const unsigned char* p) {
        if (p[0] > 150 && p[1] < 80 && p[2] < 80) sx += x, sy += y, ++n;
    });
    cx = static_cast<float>(sx / std::max(n, 1)), cy = static_cast<float>(sy / std::max(n, 1));
    return n > 0;
}

int Picture::pixelsNear(int r, int g, int b) const {
    int n = 0;
    eachPixel(*this, 0, height, [&](int, int, const unsigned char* p) {
        n += std::abs(p[0] - r) < 60 && std::abs(p[1] - g) < 60 && std::abs(p[2] - b) < 60;
    });
    return n;
}

int Picture::litPixels(int textRows) const {
    int n = 0;
    eachPixel(*this, 0, height - textRows, [&](int, int, const unsigned char* p) { n += p[0] + p[1] + p[2] > 60; });
    return n;
}

std::string squareObj(float half) {
    const std::string h = std::to_string(half);
    return "v -" + h + " 0 -" + h + "\nv " + h + " 0 -" + h + "\nv " + h + " 0 " + h + "\nv -" + h + " 0 " + h +
           "\nf 1 2 3\nf 1 3 4\nf 3 2 1\nf 4 3 1\n";
}
