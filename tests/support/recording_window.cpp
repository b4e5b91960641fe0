#include "tests/support/recording_window.h"

WindowSettings RecordingWindowSystem::settings;
std::vector<CreatedWindow> RecordingWindowSystem::created;
std::vector<WindowPlacement> RecordingWindowSystem::placements;
std::vector<int> RecordingWindowSystem::showCommands;
int RecordingWindowSystem::updates = 0;
std::vector<StartedTimer> RecordingWindowSystem::timers;

void RecordingWindowSystem::Reset() {
    settings = WindowSettings{};
    created.clear();
    placements.clear();
    showCommands.clear();
    updates = 0;
    timers.clear();
}

std::vector<KilledTimer>& KilledTimers() {
    static std::vector<KilledTimer> timers;
    return timers;
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND, HMENU, HINSTANCE instance, LPVOID) {
    RecordingWindowSystem::created.push_back({className != nullptr ? className : "",
                                              windowName != nullptr ? windowName : "", style, x, y,
                                              width, height, instance});
    return RecordingWindowSystem::settings.createdWindow;
}

// Like the system's, the rectangle queries fail without a window.
BOOL GetWindowRect(HWND window, RECT* rect) {
    if (window == nullptr || rect == nullptr) {
        return FALSE;
    }
    *rect = RecordingWindowSystem::settings.windowRect;
    return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
    if (window == nullptr || rect == nullptr) {
        return FALSE;
    }
    *rect = RecordingWindowSystem::settings.clientRect;
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND, int, int, int width, int height, UINT flags) {
    RecordingWindowSystem::placements.push_back({window, width, height, flags});
    return window != nullptr ? TRUE : FALSE;
}

BOOL ShowWindow(HWND, int showCommand) {
    RecordingWindowSystem::showCommands.push_back(showCommand);
    return FALSE; // the window was hidden before
}

BOOL UpdateWindow(HWND window) {
    ++RecordingWindowSystem::updates;
    return window != nullptr ? TRUE : FALSE;
}

UINT_PTR SetTimer(HWND window, UINT_PTR timerId, UINT period, TIMERPROC) {
    RecordingWindowSystem::timers.push_back({window, timerId, period});
    return RecordingWindowSystem::settings.setTimerResult;
}

BOOL KillTimer(HWND window, UINT_PTR timerId) {
    KilledTimers().push_back({window, timerId});
    return TRUE;
}
