// DirectInput8Create of the web platform: the keyboard reads the keys the
// page's key events left down.
#include "platform/emulation/emulated_direct_input.h"
#include "platform/web/web_window.h"

HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, REFIID interfaceId,
                           LPVOID* directInput, IUnknown* outer) {
    return CreateEmulatedDirectInput(instance, version, interfaceId, directInput, outer,
                                     ThePageKeyboard());
}
