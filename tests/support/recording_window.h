// The host's window services used by the core: they touch no window and
// remember how they were called.
#pragma once

#include <vector>

#include "platform/direct3d.h"

struct KilledTimer {
    HWND window = nullptr;
    UINT_PTR timerId = 0;
};

// Every KillTimer call in order; tests clear it themselves.
std::vector<KilledTimer>& KilledTimers();
