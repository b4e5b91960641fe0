// Peak resident memory of one piece of work, measured in a child process so
// that nothing the benchmark did before or does after counts.
#pragma once

#include <cstddef>
#include <functional>

struct PeakMemory {
    bool measured = false;     // false where the system cannot tell
    std::size_t peakBytes = 0; // highest resident memory during the work, above the start
    std::size_t heldBytes = 0; // what the work reported it finally holds
};

// Runs work in a forked child; work returns the bytes its result holds.
PeakMemory MeasurePeakMemory(const std::function<std::size_t()>& work);
