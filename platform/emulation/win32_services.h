// The Win32 and DirectInput names the core calls that every platform but
// Windows answers the same way: the program's module handle, window timers
// (KillTimer; the shell ticks them) and DirectInput's keyboard data format.
// A library of its own, as the host tests link recording versions instead.
#pragma once

#include "platform/emulation/timer_queue.h"

// The timers of every window; the shell ticks them, KillTimer stops them.
TimerQueue& WindowTimers();
