#include "platform/emulation/win32_services.h"

#include "platform/sdk/direct_input.h"
#include "platform/emulation/keyboard_acquisition.h"

namespace {

// What GetModuleHandleA answers for the program itself: any non-null handle
// will do, nothing is loaded through it.
int programModule = 0;

constexpr DWORD kRelativeAxes = 0x00000002; // DIDF_RELAXIS, as the system's keyboard format has

} // namespace

TimerQueue& WindowTimers() {
    static TimerQueue timers;
    return timers;
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    // Only the program's own module exists here.
    return moduleName == nullptr ? reinterpret_cast<HMODULE>(&programModule) : nullptr;
}

BOOL KillTimer(HWND window, UINT_PTR timerId) {
    return WindowTimers().Kill(window, timerId) ? TRUE : FALSE;
}

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT),
                                     sizeof(DIOBJECTDATAFORMAT),
                                     kRelativeAxes,
                                     kKeyboardSnapshotSize,
                                     0,
                                     nullptr};
