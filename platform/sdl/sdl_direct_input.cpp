// DirectInput8Create of the SDL platform: the keyboard reads SDL's keyboard
// state and has the keyboard while its window has SDL's keyboard focus.
#include "platform/emulation/emulated_direct_input.h"
#include "platform/sdl/sdl_window.h"

HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, REFIID interfaceId,
                           LPVOID* directInput, IUnknown* outer) {
    return CreateEmulatedDirectInput(instance, version, interfaceId, directInput, outer,
                                     SdlKeyboardSource());
}
