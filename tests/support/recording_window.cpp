#include "tests/support/recording_window.h"

std::vector<KilledTimer>& KilledTimers() {
    static std::vector<KilledTimer> timers;
    return timers;
}

BOOL KillTimer(HWND window, UINT_PTR timerId) {
    KilledTimers().push_back({window, timerId});
    return TRUE;
}
