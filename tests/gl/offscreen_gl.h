// tests/gl/offscreen_gl.h -- one hidden SDL window with a compatibility context on the
// offscreen driver (Mesa), for the pixel tests and the text benchmark.
#pragma once

#include <SDL2/SDL.h>

#include <cstdlib>

class OffscreenGl {
public:
    // False when the driver offers no window or context; the caller then skips.
    bool open(const char* title, int width, int height) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        window_ = SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!window_) return false;
        context_ = SDL_GL_CreateContext(window_);
        return context_ != nullptr;
    }
    void close() {
        if (context_) SDL_GL_DeleteContext(context_);
        if (window_) SDL_DestroyWindow(window_);
        context_ = nullptr;
        window_ = nullptr;
        SDL_Quit();
    }

private:
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
};
