// app/text_lines.h -- what the text overlay writes and where: the status line, the help and
// hint lines, the window title and the frame counter; no GL.
#pragma once

#include <cstdint>
#include <string>

struct Scene;

struct TextLine {
    int row;
    const char* text;
};

// The key list shown with F1, top (row 24) to bottom (row 4), column 0.
extern const TextLine helpLines[21];
// The two-line hint shown while the key list is off.
extern const TextLine hintLines[2];

// "current model in focus (PgUp/Dwn): %i %s %f". `fileName` null stands for a model
// without a file name ("(null)"); `hasModelArray` false for a scene without slots
// (" no models loaded").
std::string formatStatusLine(int modelInFocus, const char* fileName, bool hasModelArray,
                             float postProcessParam);

// The status line of a scene: the model in focus is named by its file, and a slot whose model
// did not load by the name the scene gave it, marked "(not loaded)".
std::string sceneStatusLine(const Scene& scene);

// The window's title for a frame rate: "Ostrelle  -  FPS: %i".
std::string formatTitle(int framesPerSecond);

// Counts frames and says when the title changes: four times a second, showing four
// times the frames of the last interval.
class FrameCounter {
public:
    // `frequency` is the counter's ticks per second (0: unavailable, which keeps the
    // first-call state so the title never changes). Returns true with `title` set when
    // the title is due.
    bool tick(uint64_t counter, uint64_t frequency, std::string& title);

private:
    bool started_ = false;
    uint64_t fpsFrequency_ = 0;
    uint64_t lastTitleCounter_ = 0;
    int frameCount_ = 0;
};
