#include "platform/sdl/sdl_window.h"

#include <SDL.h>

#include <cstdint>

#include "platform/emulation/key_table.h"

namespace {

class SdlKeys final : public KeyboardSource {
  public:
    bool IsWindow(HWND window) override { return SdlWindowOf(window) != nullptr; }
    bool HasKeyboard(HWND window) override {
        SDL_Window* sdlWindow = SdlWindowOf(window);
        return sdlWindow != nullptr && SDL_GetKeyboardFocus() == sdlWindow;
    }
    void ReadKeys(BYTE (&snapshot)[kKeyboardSnapshotSize]) override {
        int keyCount = 0;
        const Uint8* keys = SDL_GetKeyboardState(&keyCount);
        FillKeyboardSnapshot({keys, keys != nullptr ? static_cast<std::size_t>(keyCount) : 0u},
                             snapshot);
    }
};

} // namespace

HWND WindowHandleOf(SDL_Window* window) {
    const Uint32 id = window != nullptr ? SDL_GetWindowID(window) : 0;
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(id));
}

SDL_Window* SdlWindowOf(HWND window) {
    const std::uintptr_t id = reinterpret_cast<std::uintptr_t>(window);
    if (id == 0 || id > UINT32_MAX) {
        return nullptr;
    }
    return SDL_GetWindowFromID(static_cast<Uint32>(id));
}

void RequestOpenGlWindow() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    // macOS offers a core context only when it is forward compatible.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

KeyboardSource& SdlKeyboardSource() {
    static SdlKeys keys;
    return keys;
}
