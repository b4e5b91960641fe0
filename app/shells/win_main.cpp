// Process entry: window strings, class and window, scene set-up, and the
// message loop that runs the whole game on this one thread.
#include "app/app_window.h"
#include "app/shells/main_window.h"
#include "app/scene.h"
#include "app/shell_constants.h"
#include "app/window_creation.h"
#include "resources/resource_ids.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow) {
    LoadStringA(hInstance, IDS_WINDOW_TITLE, windowTitle, kWindowStringLength);
    LoadStringA(hInstance, IDS_WINDOW_CLASS, windowClassName, kWindowStringLength);
    RegisterMainWindowClass(hInstance);
    if (!CreateMainWindow(hInstance, nCmdShow)) {
        return kStartUpFailed;
    }
    HACCEL accelerators = LoadAcceleratorsA(hInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    // The window and whatever set-up created are left to process exit.
    if (SetUpScene() == 0) {
        return kStartUpFailed;
    }

    MSG msg{};
    // GetMessageA's -1 (an invalid window filter) cannot happen with a null filter.
    while (GetMessageA(&msg, nullptr, 0, 0) != 0) {
        if (TranslateAcceleratorA(msg.hwnd, accelerators, &msg) == 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    // The exit code PostQuitMessage gave on WM_DESTROY: 0 for a normal close.
    return static_cast<int>(msg.wParam);
}
