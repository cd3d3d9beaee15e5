// tools/gen_demo.cpp -- writes the demo scene folder: an animated creature, a floor, a prop,
// a camera orbit, three lights and the light filter images. Same bytes on every run.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/demo/demo_files.h"

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "demo";
    if (argc > 2 || dir.empty() || dir[0] == '-') {
        fprintf(stderr, "usage: gen_demo [FOLDER]   (default: demo)\n");
        return 2;
    }
    std::error_code error;
    for (const char* sub : {"models/creature", "models/floor", "models/column", "cameras", "data"}) {
        std::filesystem::create_directories(std::filesystem::path(dir) / sub, error);
        if (error) {
            fprintf(stderr, "gen_demo: cannot make %s/%s: %s\n", dir.c_str(), sub, error.message().c_str());
            return 1;
        }
    }
    // scene.txt comes last: the build takes it as the mark of a complete folder.
    bool ok = demo::writeCreature(dir) && demo::writeFloor(dir) && demo::writeColumn(dir) &&
              demo::writeCameraAnimation(dir) && demo::writeLightFilters(dir) && demo::writeScene(dir);
    if (!ok) {
        fprintf(stderr, "gen_demo: cannot write the demo into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
