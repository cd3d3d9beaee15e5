// tests/gl/program_run.h -- running the built viewer in a fresh folder, and reading its PNGs.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

std::string readFile(const fs::path& path);

// One run of the viewer in a fresh folder (removed afterwards); standard output and error
// are kept.
struct ViewerRun {
    fs::path dir;
    int status = -1;
    std::string out, err;

    explicit ViewerRun(const std::string& name);
    ~ViewerRun();
    // Runs the program with `args`, `env` (e.g. "env -u DISPLAY") put before it; waits.
    void start(const std::string& args, const std::string& env = "");
    // The shell command that runs it, for callers that start it in the background.
    std::string command(const std::string& args, const std::string& env = "") const;
    void collect(int rawStatus);
    std::string log() const { return readFile(dir / "debuglog.txt"); }
};

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    bool load(const fs::path& file);
    // White (text) pixels in the rows [fromRow, toRow), counted from the top.
    int whitePixels(int fromRow, int toRow) const;
    // Centre of the strongly red pixels (a red light marker); false when there are none.
    bool redCentre(float& x, float& y) const;
    // Pixels close to the colour (r, g, b).
    int pixelsNear(int r, int g, int b) const;
    // Pixels brighter than the black background, above the bottom `textRows` rows.
    int litPixels(int textRows) const;
};

// An OBJ file: a flat square of `half` world units each way in the x-z plane (facing the free
// camera), wound both ways so that culling keeps one side.
std::string squareObj(float half);

// Writes `text` as the file `path`.
void writeFile(const fs::path& path, const std::string& text);
