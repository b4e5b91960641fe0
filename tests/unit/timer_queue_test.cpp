// The SDL and web shells' window timers tick as WM_TIMER does: once per period,
// never twice to catch up.
#include "platform/emulation/timer_queue.h"

#include <gtest/gtest.h>

#include <tuple>

#include "tests/support/allocation_counter.h"

namespace {

using std::chrono::milliseconds;

const HWND kWindow = reinterpret_cast<HWND>(1);
const HWND kOtherWindow = reinterpret_cast<HWND>(2);
const TimerClock::time_point kStart{std::chrono::seconds(100)};

std::vector<UINT_PTR> IdsDue(TimerQueue& timers, TimerClock::time_point now) {
    std::vector<UINT_PTR> ids;
    for (const WindowTimer& timer : timers.TakeDue(now)) {
        ids.push_back(timer.id);
    }
    return ids;
}

} // namespace

TEST(WindowTimerQueue, TicksOncePerPeriodFromWhenItWasSet) {
    TimerQueue timers;
    EXPECT_FALSE(timers.NextDue().has_value());
    timers.Set(kWindow, 1, 33, kStart);
    EXPECT_EQ(timers.NextDue(), kStart + milliseconds(33));
    EXPECT_TRUE(IdsDue(timers, kStart + milliseconds(32)).empty());
    EXPECT_EQ(IdsDue(timers, kStart + milliseconds(33)), std::vector<UINT_PTR>{1});
    EXPECT_TRUE(IdsDue(timers, kStart + milliseconds(33)).empty()); // taken once
    // Ticking a little late does not shift the next tick.
    EXPECT_EQ(IdsDue(timers, kStart + milliseconds(70)), std::vector<UINT_PTR>{1});
    EXPECT_EQ(timers.NextDue(), kStart + milliseconds(99));
}

TEST(WindowTimerQueue, TicksMissedWhileBusyCollapseIntoOne) {
    // How late the tick is taken (after it was due at 33 ms), and when the
    // next one is due: on the beat while less than a period behind, else a
    // whole period after the late tick.
    const std::tuple<int, int> cases[] = {
        {0, 66},      {32, 66},  // behind, but the next beat is still ahead
        {33, 99},     {34, 100}, // exactly one period late: that beat is lost too
        {1500, 1566},            // a second and a half without looking
    };
    for (const auto& [late, nextDue] : cases) {
        TimerQueue timers;
        timers.Set(kWindow, 1, 33, kStart);
        const TimerClock::time_point now = kStart + milliseconds(33 + late);
        EXPECT_EQ(IdsDue(timers, now), std::vector<UINT_PTR>{1}) << late;
        EXPECT_TRUE(IdsDue(timers, now).empty()) << late; // never twice at one instant
        EXPECT_EQ(timers.NextDue(), kStart + milliseconds(nextDue)) << late;
        EXPECT_TRUE(IdsDue(timers, kStart + milliseconds(nextDue - 1)).empty()) << late;
        EXPECT_EQ(IdsDue(timers, kStart + milliseconds(nextDue)), std::vector<UINT_PTR>{1}) << late;
    }
}

TEST(WindowTimerQueue, KillingStopsOnlyThatTimer) {
    TimerQueue timers;
    timers.Set(kWindow, 1, 33, kStart);
    timers.Set(kWindow, 2, 10, kStart);
    timers.Set(kOtherWindow, 1, 20, kStart);
    EXPECT_EQ(IdsDue(timers, kStart + milliseconds(40)), (std::vector<UINT_PTR>{1, 2, 1}));

    EXPECT_TRUE(timers.Kill(kWindow, 1));
    EXPECT_FALSE(timers.Kill(kWindow, 1)); // already gone
    EXPECT_FALSE(timers.Kill(kWindow, 3));
    const std::span<const WindowTimer> due = timers.TakeDue(kStart + milliseconds(200));
    ASSERT_EQ(due.size(), 2u);
    EXPECT_EQ(std::make_pair(due[0].window, due[0].id), std::make_pair(kWindow, UINT_PTR{2}));
    EXPECT_EQ(std::make_pair(due[1].window, due[1].id), std::make_pair(kOtherWindow, UINT_PTR{1}));
}

TEST(WindowTimerQueue, SettingARunningTimerAgainRestartsIt) {
    TimerQueue timers;
    timers.Set(kWindow, 1, 33, kStart);
    timers.Set(kWindow, 1, 50, kStart + milliseconds(30));
    EXPECT_TRUE(IdsDue(timers, kStart + milliseconds(40)).empty());
    EXPECT_EQ(IdsDue(timers, kStart + milliseconds(80)), std::vector<UINT_PTR>{1});
    EXPECT_EQ(timers.NextDue(), kStart + milliseconds(130));
    // A zero period still lets time pass between ticks.
    timers.Set(kWindow, 4, 0, kStart);
    EXPECT_EQ(timers.NextDue(), kStart + milliseconds(1));
}

TEST(WindowTimerQueue, TicksAllocateNothingOnceRunning) {
    TimerQueue timers;
    timers.Set(kWindow, 1, 33, kStart);
    timers.TakeDue(kStart + milliseconds(33)); // the first tick may make room for the list
    std::size_t ticks = 0;
    const AllocationScope ticking;
    for (int tick = 2; tick < 100; ++tick) {
        ticks += timers.TakeDue(kStart + milliseconds(33 * tick)).size();
    }
    const std::size_t allocations = ticking.Allocations();
    EXPECT_EQ(ticks, 98u);
    if (AllocationCountingActive()) {
        EXPECT_EQ(allocations, 0u);
    }
}
