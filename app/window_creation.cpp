#include "app/window_creation.h"

#include "app/app_window.h"
#include "platform/services/message_box.h"

bool CreateMainWindow(HINSTANCE hInstance, int nCmdShow) {
    appInstance = hInstance;
    mainWindow =
        CreateWindowExA(0, windowClassName, windowTitle, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                        0, 0, kClientWidth, kClientHeight, nullptr, nullptr, hInstance, nullptr);

    // Grow the window by its frame, caption and menu so the client area is
    // exactly 640 x 480, whatever the system's metrics.
    RECT windowRect{};
    RECT clientRect{};
    GetWindowRect(mainWindow, &windowRect);
    GetClientRect(mainWindow, &clientRect);
    const int frameWidth =
        (windowRect.right - windowRect.left) - (clientRect.right - clientRect.left);
    const int frameHeight =
        (windowRect.bottom - windowRect.top) - (clientRect.bottom - clientRect.top);
    SetWindowPos(mainWindow, nullptr, 0, 0, kClientWidth + frameWidth, kClientHeight + frameHeight,
                 SWP_NOMOVE);

    if (mainWindow == nullptr) {
        ShowMessageBox(kWindowCreationFailedMessage, nullptr);
        return false;
    }
    ShowWindow(mainWindow, nCmdShow);
    UpdateWindow(mainWindow);
    if (SetTimer(mainWindow, kFrameTimerId, kFramePeriodMilliseconds, nullptr) == 0) {
        // The window is left to process exit, as after any failed start-up.
        ShowMessageBox(kWindowCreationFailedMessage, nullptr);
        return false;
    }
    return true;
}
