// platform/sdl_keys.cpp -- SDL key codes mapped onto the viewer's key codes.
#include <SDL2/SDL.h>

#include "platform/sdl_window.h"

namespace platform {

int virtualKeyFromSdl(int sym) {
    if (sym >= SDLK_a && sym <= SDLK_z) return vk::LetterA + (sym - SDLK_a);
    if (sym >= SDLK_0 && sym <= SDLK_9) return vk::Digit0 + (sym - SDLK_0);
    if (sym >= SDLK_F1 && sym <= SDLK_F12) return vk::F1 + (sym - SDLK_F1);
    switch (sym) {
    case SDLK_ESCAPE: return vk::Escape;
    case SDLK_SPACE: return vk::Space;
    case SDLK_PAGEUP:
    case SDLK_KP_9: return vk::Prior; // the keypad's keys act as the main ones, Num Lock or not
    case SDLK_PAGEDOWN:
    case SDLK_KP_3: return vk::Next;
    case SDLK_END: return vk::End;
    case SDLK_HOME: return vk::Home;
    case SDLK_LEFT:
    case SDLK_KP_4: return vk::Left;
    case SDLK_UP:
    case SDLK_KP_8: return vk::Up;
    case SDLK_RIGHT:
    case SDLK_KP_6: return vk::Right;
    case SDLK_DOWN:
    case SDLK_KP_2: return vk::Down;
    case SDLK_INSERT: return vk::Insert;
    case SDLK_DELETE: return vk::Delete;
    case SDLK_RETURN: return vk::Return;
    case SDLK_TAB: return vk::Tab;
    case SDLK_BACKSPACE: return vk::Back;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return vk::Shift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return vk::Control;
    case SDLK_LALT:
    case SDLK_RALT: return vk::Menu;
    default: return 0;
    }
}

} // namespace platform
