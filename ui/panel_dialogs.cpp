// ui/panel_dialogs.cpp -- the windowed viewer's dialogs: SDL's message boxes, the panel's choosers.
#include "platform/sdl_window.h"
#include "ui/panel.h"

namespace ui {

DialogAnswer PanelDialogs::messageBox(const std::string& caption, const std::string& text, DialogKind kind) {
    if (consoleMessages_) return ConsoleDialogs().messageBox(caption, text, kind);
    return platform::SdlDialogs().messageBox(caption, text, kind);
}

// Set before the chooser opens: the Escape that closes it must not quit the viewer.
std::string PanelDialogs::chooseOpenFile(const std::string& title, const std::string& initialPath,
                                         const std::vector<FileFilter>& filters) {
    dialogJustClosed_ = true;
    return runFileChooser(panel_, title, initialPath, filters);
}

bool PanelDialogs::chooseColour(float rgb[3]) {
    const bool confirmed = runColourChooser(panel_, rgb, customColours_);
    dialogJustClosed_ = true;
    return confirmed;
}

} // namespace ui
