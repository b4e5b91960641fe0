// Peak resident memory of one piece of work, measured in a child process so
// that nothing the benchmark did before or does after counts.
#pragma once

#include <cstddef>
#include <functional>

// What a piece of work holds when it is done, measured before it lets go.
struct Footprint {
    std::size_t heldBytes = 0;     // what the work's result holds, by its own count
    std::size_t hugePageBytes = 0; // resident memory of the process in huge pages
    std::size_t bufferBytes = 0;   // of heldBytes, what the device's buffers hold
};

struct PeakMemory {
    bool measured = false;     // false where the system cannot tell
    std::size_t peakBytes = 0; // highest resident memory during the work, above the start
    Footprint held;            // what the work reported
};

// Runs work in a forked child.
PeakMemory MeasurePeakMemory(const std::function<Footprint()>& work);

// Resident memory of this process that lies in transparent huge pages; 0
// where the system cannot tell.
std::size_t HugePageBytes();
