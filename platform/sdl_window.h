// platform/sdl_window.h -- the one SDL2 window with its OpenGL context: the render region on
// the left, the panel strip on the right, events turned into key codes and mouse moves.
// Implements: window and context creation, layout on resize, key mapping, mouse capture
// during drags, the held state of modifiers and buttons, title, swap, message boxes.
#pragma once

#include <string>
#include <vector>

#include "base/virtual_keys.h"
#include "base/dialogs.h"

namespace platform {

constexpr int panelWidth = 170;

// What the window reports while its events are pumped.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    virtual void keyDown(int key) = 0; // key codes of base/virtual_keys.h
    virtual void keyUp(int key) = 0;
    virtual void mouseMove(int x, int y) = 0; // render-region pixels, y downwards
    virtual void quit() = 0;
    // Every event first, as SDL gives it (an SDL_Event); true when the taker keeps it from the
    // handling above (the panel's text fields).
    virtual bool rawEvent(const void* sdlEvent) {
        (void)sdlEvent;
        return false;
    }
    // Files dropped onto the window, in the order given; one drop of several files comes at once.
    virtual void filesDropped(const std::vector<std::string>& files) { (void)files; }
};

class SdlWindow {
public:
    // Opens the video system (the offscreen driver when `headless`), the window titled
    // `title` with a render region of the given size plus the strip, and a compatibility
    // context with RGBA 8-8-8-8, depth 24, stencil 8, double buffer, made current.
    // False with `error` set when there is no window. Without a context the window stays
    // (hasContext() says so; every GL call then does nothing).
    bool open(const char* title, int renderWidth, int renderHeight, bool headless, std::string& error);
    void close();

    // Takes every pending event; returns after the queue is empty.
    void pumpEvents(WindowEvents& events);
    void swapBuffers();
    void setTitle(const std::string& title);

    int renderWidth() const { return renderWidth_; }
    int renderHeight() const { return renderHeight_; } // never 0
    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    bool hasContext() const { return context_ != nullptr; }
    // Whether the window system can set the swap interval (GLX swap-control extensions, EGL).
    bool hasSwapControl() const;
    // The window system's swap-interval extension, as a message names it when it is missing.
    const char* swapControlName() const;
    const char* videoDriver() const;

    // Clears the panel strip to a plain colour (the panel draws over it once it exists).
    void clearPanelStrip();

    // The SDL window and its context, for the panel's back ends.
    void* sdlWindow() const { return window_; }
    void* glContext() const { return context_; }

    // Queues a drop of `file` onto the window, taken by the next pumpEvents as a real drop.
    void queueDrop(const std::string& file);

private:
    void layout(int clientWidth, int clientHeight);
    void handleWindowEvent(const void* event, WindowEvents& events);
    void handleMouseButton(bool down, int x);

    void* window_ = nullptr;  // SDL_Window
    void* context_ = nullptr; // SDL_GLContext
    int clientWidth_ = 0, clientHeight_ = 0;
    int renderWidth_ = 1, renderHeight_ = 1;
    bool capturing_ = false;
    bool collectingDrop_ = false;
    std::vector<std::string> dropped_;
};

// Shift, Ctrl, Escape and the mouse buttons as SDL holds them now, plus the modifiers of a
// key that the command line presses in this frame.
class SdlHeldKeys : public HeldKeys {
public:
    bool isHeld(int key) const override;
    void setInjected(bool shift, bool ctrl) { injectedShift_ = shift, injectedCtrl_ = ctrl; }

private:
    bool injectedShift_ = false, injectedCtrl_ = false;
};

// Message boxes as SDL's own (they block until a button is pressed); the choosers cancel
// (the panel draws its own over the window).
class SdlDialogs : public Dialogs {
public:
    DialogAnswer messageBox(const std::string& caption, const std::string& text, DialogKind kind) override;
    std::string chooseOpenFile(const std::string& title, const std::string& initialPath,
                               const std::vector<FileFilter>& filters) override;
    bool chooseColour(float rgb[3]) override;
};

// The entry-point lookup of the current context.
void* glProcAddress(const char* name);

// The key code of an SDL key, 0 for keys the viewer has no code for.
int virtualKeyFromSdl(int sdlKeycode);

// The performance counter and its frequency.
unsigned long long performanceCounter();
unsigned long long performanceFrequency();
void sleepMilliseconds(int ms);

} // namespace platform
