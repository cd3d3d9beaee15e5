// ui/panel.h -- the control panel drawn with Dear ImGui in the strip right of the picture, and
// the modal file and colour choosers that run their own loop over the whole window.
// Implements: the ImGui context with its SDL2 and OpenGL2 back ends, the three pages, the
// choosers behind the Dialogs interface. The panel's decisions live in ui/logic.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/dialogs.h"
#include "ui/logic/chooser_logic.h"

namespace platform {
class SdlWindow;
class WindowEvents;
} // namespace platform

namespace ui {

class PanelLogic;

enum class PanelPage { Rendering, Scene, Animation };

class Panel {
public:
    // Creates the ImGui context on the window's context (no settings file is written).
    bool open(platform::SdlWindow& window, PanelPage firstPage);
    void close();
    bool isOpen() const { return open_; }

    // Offers one SDL event to ImGui; true when ImGui keeps it from the viewer (never, while
    // the pages have no text field).
    bool offerEvent(const void* sdlEvent);

    // Draws the three pages over the strip and reports their events to `logic`. Leaves the
    // GL state of the frame as it found it.
    void draw(PanelLogic& logic);

    platform::SdlWindow* window() const { return window_; }
    // The viewer's event handler, which hears key releases and close requests while a chooser
    // is open.
    void setViewerEvents(platform::WindowEvents* events) { viewerEvents_ = events; }
    platform::WindowEvents* viewerEvents() const { return viewerEvents_; }

private:
    platform::WindowEvents* viewerEvents_ = nullptr;
    platform::SdlWindow* window_ = nullptr;
    bool open_ = false;
    PanelPage firstPage_ = PanelPage::Rendering;
    bool firstFrame_ = true;
};

// The events of one panel frame, run after the frame is drawn: a command may open a chooser,
// which runs ImGui frames of its own.
class Later {
public:
    void operator()(std::function<void()> call) { calls_.push_back(std::move(call)); }
    void runAll() {
        std::vector<std::function<void()>> calls;
        calls.swap(calls_);
        for (auto& call : calls) call();
    }

private:
    std::vector<std::function<void()>> calls_;
};

// The three pages inside the current ImGui window, showing the logic's view; their events go
// to `later` (ui/panel_pages.cpp).
void drawPanelPages(PanelLogic& logic, PanelPage firstPage, bool selectFirstPage, Later& later);

// The choosers and message boxes of the windowed viewer. Both choosers suspend the frame loop
// while open and set `dialogJustClosed` when they return.
class PanelDialogs : public Dialogs {
public:
    // `consoleMessages`: message boxes go to standard error with their default answer.
    PanelDialogs(Panel& panel, bool& dialogJustClosed, bool consoleMessages)
        : panel_(panel), dialogJustClosed_(dialogJustClosed), consoleMessages_(consoleMessages) {}
    DialogAnswer messageBox(const std::string& caption, const std::string& text, DialogKind kind) override;
    std::string chooseOpenFile(const std::string& title, const std::string& initialPath,
                               const std::vector<FileFilter>& filters) override;
    bool chooseColour(float rgb[3]) override;

private:
    Panel& panel_;
    bool& dialogJustClosed_;
    bool consoleMessages_;
    CustomColours customColours_;
};

// The modal loops (ui/file_chooser.cpp, ui/colour_chooser.cpp): they return when the user
// confirms or cancels, or the window is closed (cancel; the close is handed on to the viewer).
std::string runFileChooser(Panel& panel, const std::string& title, const std::string& initialPath,
                           const std::vector<FileFilter>& filters);
bool runColourChooser(Panel& panel, float rgb[3], CustomColours& custom);

// One frame of a modal chooser: pumps the events into ImGui, starts an ImGui frame, lets
// `body` draw, renders it over a plain backdrop and swaps. False, with nothing drawn, when the
// window was closed. (ui/panel.cpp)
bool modalFrame(Panel& panel, void (*body)(void*), void* context);
// Begins the chooser's window over the whole client area (end it with ImGui::End).
bool beginModalWindow(const char* title);

} // namespace ui
