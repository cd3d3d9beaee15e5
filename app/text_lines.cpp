// app/text_lines.cpp -- the overlay's texts, the title and the frame counter.
#include "app/text_lines.h"

#include <cstdio>

#include "scene/scene.h"

const TextLine helpLines[21] = {
    {24, "Left mouse button  - move lightsource in (x,y)-plane"},
    {23, "Middle mouse button - move lightsource in (x,z)-plane"},
    {22, "Right mouse button - set camera inclination"},
    {21, "CTRL + Left mouse button  - move model in (x,y)-plane"},
    {20, "CTRL + Middle mouse button - move model in (x,z)-plane"},
    {19, "CTRL + Right mouse button - set model rotation"},
    {18, "(Shift) W, S, A, D  - (quickly) move the camera"},
    {17, "(Shift) CTRL + W, S, A, D  - (quickly) pan the camera"},
    {16, "F2 - cycle shadow modes"},
    {15, "F3 - load model into model_in_focus"},
    {14, "F4 - load anim for model_in_focus"},
    {13, "PageDown/PageUp - focus on next/previous model"},
    {12, "Shift-PageDown/PageUp - select next/previous lightsource"},
    {11, "(Shift) X, C - (quickly) control animation speed"},
    {10, "V - pause/play animation"},
    {9, "R - cycle stereoview (none, parallel view, crossed view)"},
    {8, "Q - cycle through rendermodes for mesh- and UV-analyzation (see readme.txt)"},
    {7, "T - toggle skeleton and bone space vectors"},
    {6, "E - toggle specular"},
    {5, "Space - toggle animated camera (if there is one)"},
    {4, "F1 - toggle Help"},
};

const TextLine hintLines[2] = {
    {3, "press F1 for a list of Keys"},
    {2, "Left mouse button to move light, right mouse button to move camera"},
};

std::string formatStatusLine(int modelInFocus, const char* fileName, bool hasModelArray,
                             float postProcessParam) {
    const char* name = !hasModelArray ? " no models loaded" : (fileName ? fileName : "(null)");
    int n = snprintf(nullptr, 0, "current model in focus (PgUp/Dwn): %i %s %f", modelInFocus, name,
                     static_cast<double>(postProcessParam));
    std::string out(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
    snprintf(&out[0], out.size(), "current model in focus (PgUp/Dwn): %i %s %f", modelInFocus, name,
             static_cast<double>(postProcessParam));
    out.resize(out.size() - 1);
    return out;
}

std::string sceneStatusLine(const Scene& scene) {
    const int focus = scene.model_in_focus;
    std::string name;
    const char* shown = nullptr;
    if (focus >= 0 && focus < scene.nummodels && focus < static_cast<int>(scene.models.size())) {
        const size_t slot = static_cast<size_t>(focus);
        const Model* model = scene.models[slot].get();
        if (model && model->hasFileName) {
            name = model->fileName;
        } else if (slot < scene.modelname.size() && scene.modelname[slot]) {
            name = *scene.modelname[slot] + " (not loaded)";
        } else {
            name = "(no model file)";
        }
        shown = name.c_str();
    }
    return formatStatusLine(focus, shown, !scene.models.empty(), scene.postProcessParam);
}

std::string formatTitle(int framesPerSecond) {
    char buf[64];
    snprintf(buf, sizeof buf, "Ostrelle  -  FPS: %i", framesPerSecond);
    return buf;
}

bool FrameCounter::tick(uint64_t counter, uint64_t frequency, std::string& title) {
    if (!started_) {
        fpsFrequency_ = frequency;
        started_ = frequency != 0;
        lastTitleCounter_ = 0;
        return false;
    }
    ++frameCount_;
    double seconds = static_cast<double>(counter - lastTitleCounter_) / static_cast<double>(fpsFrequency_);
    if (seconds <= 0.25) return false;
    lastTitleCounter_ = counter;
    title = formatTitle(frameCount_ * 4);
    frameCount_ = 0;
    return true;
}
