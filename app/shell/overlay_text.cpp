// app/shell/overlay_text.cpp -- the status line and the help or hint lines of the frame.
#include "app/shell/shell.h"
#include "render/bitmap_font.h"
#include "scene/scene.h"

void printOverlayText(const Shell& shell, const Scene& scene) {
    const std::string status = sceneStatusLine(scene);
    render::printText(shell.fontBase, status.c_str(), 0, 1);
    if (scene.showHelp) {
        for (const TextLine& line : helpLines) render::printText(shell.fontBase, line.text, 0, static_cast<float>(line.row));
    } else {
        for (const TextLine& line : hintLines) render::printText(shell.fontBase, line.text, 0, static_cast<float>(line.row));
    }
}
