// bench/bench_text.cpp -- the overlay text of one frame (status line and key list, 640 x 480)
// drawn by glBitmap lists as before and from the glyph texture as now, on the offscreen driver.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <string>

#include "app/text_lines.h"
#include "render/bitmap_font.h"
#include "tests/gl/bitmap_text_reference.h"
#include "tests/gl/offscreen_gl.h"

namespace {

// One window and both fonts for the whole run.
struct TextBench {
    OffscreenGl gl;
    bool ready = false;
    unsigned int textureFont = 0;
    unsigned int bitmapFont = 0;
};

TextBench& textBench() {
    static TextBench bench;
    static bool opened = false;
    if (!opened) {
        opened = true;
        if (bench.gl.open("text bench", 640, 480)) {
            bench.textureFont = render::buildFont("Arial", 16);
            bench.bitmapFont = reference::buildBitmapFont("Arial", 16);
            bench.ready = bench.textureFont != 0 && bench.bitmapFont != 0;
        }
    }
    return bench;
}

// What the frame does around the text: clear, its fixed state, white, and the lines; the
// finish makes the driver's deferred rasterisation count.
template <typename Print>
void timeFrameText(benchmark::State& state, bool showHelp, Print print) {
    if (!textBench().ready) {
        state.SkipWithError("no offscreen context or no font");
        return;
    }
    std::string status = formatStatusLine(0, "models/creature.md5mesh", true, 0.0f);
    glViewport(0, 0, 640, 480);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.5f);
        glColor4f(1, 1, 1, 1);
        print(status.c_str(), 0.0f, 1.0f);
        if (showHelp)
            for (const TextLine& line : helpLines) print(line.text, 0.0f, static_cast<float>(line.row));
        else
            for (const TextLine& line : hintLines) print(line.text, 0.0f, static_cast<float>(line.row));
        glFinish();
    }
}

void printBitmap(const char* text, float column, float row) {
    reference::printBitmapText(textBench().bitmapFont, text, column, row);
}
void printTexture(const char* text, float column, float row) {
    render::printText(textBench().textureFont, text, column, row);
}
void printNothing(const char*, float, float) {}

void BM_FrameNoText(benchmark::State& state) { timeFrameText(state, false, printNothing); }
void BM_HintText_GlBitmap(benchmark::State& state) { timeFrameText(state, false, printBitmap); }
void BM_HintText_Texture(benchmark::State& state) { timeFrameText(state, false, printTexture); }
void BM_HelpText_GlBitmap(benchmark::State& state) { timeFrameText(state, true, printBitmap); }
void BM_HelpText_Texture(benchmark::State& state) { timeFrameText(state, true, printTexture); }

BENCHMARK(BM_FrameNoText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HintText_GlBitmap)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HintText_Texture)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HelpText_GlBitmap)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HelpText_Texture)->Unit(benchmark::kMicrosecond);

} // namespace
