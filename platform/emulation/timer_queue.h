// Window timers as Win32 keeps them: each (window, id) pair ticks once per
// period; ticks missed while the program was busy are not made up in a burst,
// just as WM_TIMER messages are never queued twice.
#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <vector>

#include "platform/sdk/windows_api.h"

using TimerClock = std::chrono::steady_clock;

struct WindowTimer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    TimerClock::duration period{};
    TimerClock::time_point due{}; // when it ticks next
};

class TimerQueue {
  public:
    // Starts the timer, or restarts it with the new period if it runs:
    // its first tick comes one period after `now`.
    void Set(HWND window, UINT_PTR id, UINT periodMilliseconds, TimerClock::time_point now);
    // Stops the timer; false when there was none.
    bool Kill(HWND window, UINT_PTR id);
    // When the next timer ticks, if any runs.
    std::optional<TimerClock::time_point> NextDue() const;
    // The timers due at `now`, each once, in the order they were set. Each is
    // due again one period after its tick, or one period after `now` when it
    // has fallen a whole period or more behind. The list is the queue's own,
    // kept until the next call: a tick allocates nothing.
    std::span<const WindowTimer> TakeDue(TimerClock::time_point now);

  private:
    std::vector<WindowTimer> timers_;
    std::vector<WindowTimer> due_; // what TakeDue gave last
};
