// app/shell/overlay_text.cpp -- the status line and the help or hint lines of the frame.
#include "app/shell/shell.h"
#include "render/bitmap_font.h"
#include "scene/scene.h"

void printOverlayText(const Shell& shell, const Scene& scene) {
    const char* fileName = nullptr;
    int focus = scene.model_in_focus;
    if (focus >= 0 && focus < scene.nummodels) {
        const Model* model = scene.models[static_cast<size_t>(focus)].get();
        if (model && model->hasFileName) fileName = model->fileName.c_str();
    }
    std::string status = formatStatusLine(focus, fileName, !scene.models.empty(), scene.postProcessParam);
    render::printText(shell.fontBase, status.c_str(), 0, 1);
    if (scene.showHelp) {
        for (const TextLine& line : helpLines) render::printText(shell.fontBase, line.text, 0, static_cast<float>(line.row));
    } else {
        for (const TextLine& line : hintLines) render::printText(shell.fontBase, line.text, 0, static_cast<float>(line.row));
    }
}
