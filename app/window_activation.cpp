#include "app/window_activation.h"

#include "app/scene_objects.h"
#include "platform/devices/keyboard_input.h"

bool UpdateActivation(GameWindowState& window) {
    const bool active = window.running && window.focused && window.visible && !window.aboutOpen;
    if (active == window.active) {
        return false;
    }
    window.active = active;
    OnMainWindowActivate(keyboardInput, active ? WA_ACTIVE : WA_INACTIVE);
    return true;
}

bool OpenAboutBox(GameWindowState& window) {
    if (window.aboutOpen || !window.running) {
        return false;
    }
    window.aboutOpen = true;
    UpdateActivation(window);
    return true;
}

bool AboutBoxClosed(GameWindowState& window, bool focused) {
    window.aboutOpen = false;
    window.focused = focused;
    return UpdateActivation(window);
}

bool MayClose(const GameWindowState& window) {
    return window.running && !window.aboutOpen;
}

bool BeginQuit(GameWindowState& window) {
    if (!window.running) {
        return false;
    }
    window.running = false;
    UpdateActivation(window);
    return true;
}
