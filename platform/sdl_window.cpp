// platform/sdl_window.cpp -- SDL2 window, OpenGL context, events, layout and swap.
#include "platform/sdl_window.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_opengl.h>
#include <SDL2/SDL_syswm.h>

#include <cstring>

#include "base/view_math.h"

namespace platform {
namespace {

SDL_Window* sdl(void* w) { return static_cast<SDL_Window*>(w); }

void requestPixelFormat() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

} // namespace

bool SdlWindow::open(const char* title, int renderWidth, int renderHeight, bool headless, std::string& error) {
    if (headless) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        error = std::string("cannot start the video system: ") + SDL_GetError();
        return false;
    }
    requestPixelFormat();
    int width = renderWidth + panelWidth;
    window_ = SDL_CreateWindow(title, 50, 50, width, renderHeight,
                               SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN);
    if (!window_) {
        error = std::string("cannot create the window: ") + SDL_GetError();
        SDL_Quit();
        return false;
    }
    context_ = SDL_GL_CreateContext(sdl(window_));
    if (context_) SDL_GL_MakeCurrent(sdl(window_), context_);
    int w = 0, h = 0;
    SDL_GetWindowSize(sdl(window_), &w, &h);
    layout(w, h);
    return true;
}

void SdlWindow::close() {
    if (capturing_) SDL_CaptureMouse(SDL_FALSE);
    if (context_) {
        SDL_GL_MakeCurrent(sdl(window_), nullptr);
        SDL_GL_DeleteContext(context_);
    }
    if (window_) SDL_DestroyWindow(sdl(window_));
    context_ = window_ = nullptr;
    SDL_Quit();
}

// The render region takes the client area left of the strip; its height is never 0. Its
// viewport and default projection are set here; the frame sets its own projection.
void SdlWindow::layout(int clientWidth, int clientHeight) {
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    renderWidth_ = clientWidth - panelWidth;
    if (renderWidth_ < 0) renderWidth_ = 0;
    renderHeight_ = clientHeight > 0 ? clientHeight : 1;
    if (!context_) return;
    glViewport(0, 0, renderWidth_, renderHeight_);
    float projection[16];
    perspectiveMatrix(45.0, static_cast<double>(renderWidth_) / renderHeight_, 10.0, 20000.0, projection);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void SdlWindow::handleMouseButton(bool down, int x) {
    if (down && !capturing_ && x < renderWidth_) {
        // A drag that starts in the picture goes on outside the window.
        SDL_CaptureMouse(SDL_TRUE);
        capturing_ = true;
    } else if (!down && capturing_) {
        SDL_CaptureMouse(SDL_FALSE);
        capturing_ = false;
    }
}

void SdlWindow::handleWindowEvent(const void* raw, WindowEvents& events) {
    const SDL_WindowEvent& e = *static_cast<const SDL_WindowEvent*>(raw);
    if (e.event == SDL_WINDOWEVENT_SIZE_CHANGED) layout(e.data1, e.data2);
    else if (e.event == SDL_WINDOWEVENT_MINIMIZED) layout(clientWidth_, 0);
    else if (e.event == SDL_WINDOWEVENT_RESTORED || e.event == SDL_WINDOWEVENT_MAXIMIZED) {
        int w = 0, h = 0;
        SDL_GetWindowSize(sdl(window_), &w, &h);
        layout(w, h);
    }
    else if (e.event == SDL_WINDOWEVENT_CLOSE) events.quit();
}

namespace {
// The buttons held when the motion now being handled happened. One poll can take a whole
// drag at once when a frame is slow; SDL's current button state would then already show
// the release at every move of it.
struct MotionButtons {
    bool handling = false;
    Uint32 state = 0;
};
MotionButtons& motionButtons() {
    static MotionButtons buttons;
    return buttons;
}

// The buttons of the motion being handled, else those held now.
Uint32 heldButtons() {
    return motionButtons().handling ? motionButtons().state : SDL_GetMouseState(nullptr, nullptr);
}
} // namespace

void SdlWindow::pumpEvents(WindowEvents& events) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (events.rawEvent(&e)) {
            if (e.type == SDL_DROPFILE) SDL_free(e.drop.file);
            continue;
        }
        switch (e.type) {
        case SDL_QUIT: events.quit(); break;
        case SDL_WINDOWEVENT: handleWindowEvent(&e.window, events); break;
        case SDL_KEYDOWN:
            if (int key = virtualKeyFromSdl(e.key.keysym.sym)) events.keyDown(key);
            break;
        case SDL_KEYUP:
            if (int key = virtualKeyFromSdl(e.key.keysym.sym)) events.keyUp(key);
            break;
        case SDL_MOUSEMOTION:
            if (capturing_ || e.motion.x < renderWidth_) {
                motionButtons() = {true, e.motion.state};
                events.mouseMove(e.motion.x, e.motion.y);
                motionButtons() = {};
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button <= SDL_BUTTON_RIGHT) handleMouseButton(true, e.button.x);
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.button <= SDL_BUTTON_RIGHT) handleMouseButton(false, e.button.x);
            break;
        case SDL_DROPBEGIN:
            collectingDrop_ = true;
            dropped_.clear();
            break;
        case SDL_DROPFILE:
            if (e.drop.file) dropped_.push_back(e.drop.file);
            SDL_free(e.drop.file);
            if (!collectingDrop_) {
                events.filesDropped(dropped_);
                dropped_.clear();
            }
            break;
        case SDL_DROPCOMPLETE:
            collectingDrop_ = false;
            if (!dropped_.empty()) events.filesDropped(dropped_);
            dropped_.clear();
            break;
        default: break;
        }
    }
}

// A drop that announces no begin, as a single file is delivered by some window systems.
void SdlWindow::queueDrop(const std::string& file) {
    SDL_Event e;
    SDL_zero(e);
    e.type = SDL_DROPFILE;
    e.drop.file = SDL_strdup(file.c_str());
    e.drop.windowID = window_ ? SDL_GetWindowID(sdl(window_)) : 0;
    if (SDL_PushEvent(&e) != 1) SDL_free(e.drop.file);
}

void SdlWindow::swapBuffers() {
    if (window_) SDL_GL_SwapWindow(sdl(window_));
}

void SdlWindow::setTitle(const std::string& title) {
    if (window_) SDL_SetWindowTitle(sdl(window_), title.c_str());
}

const char* SdlWindow::videoDriver() const {
    const char* name = SDL_GetCurrentVideoDriver();
    return name ? name : "";
}

bool SdlWindow::hasSwapControl() const {
    if (!context_) return false;
    // EGL (the offscreen driver, Wayland) always has eglSwapInterval.
    if (strcmp(videoDriver(), "x11") != 0) return true;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(sdl(window_), &info) || info.subsystem != SDL_SYSWM_X11) return false;
    using QueryExtensions = const char* (*)(Display*, int);
    auto query = reinterpret_cast<QueryExtensions>(SDL_GL_GetProcAddress("glXQueryExtensionsString"));
    if (!query) return false;
    const char* ext = query(info.info.x11.display, DefaultScreen(info.info.x11.display));
    if (!ext) return false;
    return strstr(ext, "GLX_EXT_swap_control") || strstr(ext, "GLX_MESA_swap_control") ||
           strstr(ext, "GLX_SGI_swap_control");
}

const char* SdlWindow::swapControlName() const {
    return strcmp(videoDriver(), "x11") == 0 ? "GLX_EXT_swap_control" : "EGL_swap_interval";
}

void SdlWindow::clearPanelStrip() {
    if (!context_ || clientWidth_ <= renderWidth_) return;
    GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glEnable(GL_SCISSOR_TEST);
    glScissor(renderWidth_, 0, clientWidth_ - renderWidth_, clientHeight_);
    glClearColor(0.85f, 0.85f, 0.85f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    if (!scissor) glDisable(GL_SCISSOR_TEST);
}

bool SdlHeldKeys::isHeld(int key) const {
    switch (key) {
    case vk::Shift: return injectedShift_ || (SDL_GetModState() & KMOD_SHIFT) != 0;
    case vk::Control: return injectedCtrl_ || (SDL_GetModState() & KMOD_CTRL) != 0;
    case vk::Escape: {
        const Uint8* keys = SDL_GetKeyboardState(nullptr);
        return keys && keys[SDL_SCANCODE_ESCAPE];
    }
    case vk::LButton: return (heldButtons() & SDL_BUTTON_LMASK) != 0;
    case vk::RButton: return (heldButtons() & SDL_BUTTON_RMASK) != 0;
    case vk::MButton: return (heldButtons() & SDL_BUTTON_MMASK) != 0;
    default: return false;
    }
}

DialogAnswer SdlDialogs::messageBox(const std::string& caption, const std::string& text, DialogKind kind) {
    if (kind == DialogKind::Ok) {
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(), nullptr);
        return DialogAnswer::Ok;
    }
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
    };
    SDL_MessageBoxData data = {SDL_MESSAGEBOX_INFORMATION, nullptr, caption.c_str(), text.c_str(),
                               2, buttons, nullptr};
    int pressed = 0;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) return DialogAnswer::No;
    return pressed == 1 ? DialogAnswer::Yes : DialogAnswer::No;
}

std::string SdlDialogs::chooseOpenFile(const std::string&, const std::string&, const std::vector<FileFilter>&) {
    return {};
}

bool SdlDialogs::chooseColour(float[3]) { return false; }

void* glProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }

unsigned long long performanceCounter() { return SDL_GetPerformanceCounter(); }
unsigned long long performanceFrequency() { return SDL_GetPerformanceFrequency(); }
void sleepMilliseconds(int ms) { SDL_Delay(static_cast<Uint32>(ms)); }

} // namespace platform
