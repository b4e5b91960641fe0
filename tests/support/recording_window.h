// The host's window services used by the core: they touch no window, answer
// as a test sets them and remember how they were called.
#pragma once

#include <string>
#include <vector>

#include "platform/sdk/direct3d.h"

// How the window services answer.
struct WindowSettings {
    HWND createdWindow = reinterpret_cast<HWND>(0x5150); // CreateWindowExA's window; null fails
    RECT windowRect{0, 0, 640, 480}; // GetWindowRect of the new window, frame included
    RECT clientRect{0, 0, 634, 451}; // GetClientRect of the new window
    UINT_PTR setTimerResult = 1;     // what SetTimer answers; 0 means no timer
};

struct CreatedWindow {
    std::string className;
    std::string title;
    DWORD style = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    HINSTANCE instance = nullptr;
};

struct WindowPlacement {
    HWND window = nullptr;
    int width = 0;
    int height = 0;
    UINT flags = 0;
};

struct StartedTimer {
    HWND window = nullptr;
    UINT_PTR timerId = 0;
    UINT period = 0;
};

struct KilledTimer {
    HWND window = nullptr;
    UINT_PTR timerId = 0;
};

struct RecordingWindowSystem {
    // Restores the default answers and forgets every call except KillTimer's.
    static void Reset();

    static WindowSettings settings;
    static std::vector<CreatedWindow> created;      // CreateWindowExA calls
    static std::vector<WindowPlacement> placements; // SetWindowPos calls
    static std::vector<int> showCommands;           // ShowWindow calls
    static int updates;                             // UpdateWindow calls
    static std::vector<StartedTimer> timers;        // SetTimer calls, successful or not
};

// Every KillTimer call in order; tests clear it themselves.
std::vector<KilledTimer>& KilledTimers();
