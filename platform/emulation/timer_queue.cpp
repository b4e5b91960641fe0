#include "platform/emulation/timer_queue.h"

#include <algorithm>

void TimerQueue::Set(HWND window, UINT_PTR id, UINT periodMilliseconds,
                     TimerClock::time_point now) {
    // Win32 raises a zero period to its minimum; one millisecond stands in for it.
    const TimerClock::duration period = std::chrono::milliseconds(std::max(periodMilliseconds, 1u));
    for (WindowTimer& timer : timers_) {
        if (timer.window == window && timer.id == id) {
            timer.period = period;
            timer.due = now + period;
            return;
        }
    }
    timers_.push_back(WindowTimer{window, id, period, now + period});
}

bool TimerQueue::Kill(HWND window, UINT_PTR id) {
    const auto found = std::find_if(timers_.begin(), timers_.end(), [&](const WindowTimer& timer) {
        return timer.window == window && timer.id == id;
    });
    if (found == timers_.end()) {
        return false;
    }
    timers_.erase(found);
    return true;
}

std::optional<TimerClock::time_point> TimerQueue::NextDue() const {
    std::optional<TimerClock::time_point> next;
    for (const WindowTimer& timer : timers_) {
        if (!next || timer.due < *next) {
            next = timer.due;
        }
    }
    return next;
}

std::span<const WindowTimer> TimerQueue::TakeDue(TimerClock::time_point now) {
    due_.clear();
    for (WindowTimer& timer : timers_) {
        if (timer.due > now) {
            continue;
        }
        due_.push_back(timer);
        timer.due += timer.period;
        if (timer.due <= now) {
            timer.due = now + timer.period;
        }
    }
    return due_;
}
