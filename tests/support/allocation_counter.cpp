#include "tests/support/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> allocations{0};
// Allocations still allowed before the injected failure; negative: none armed.
std::atomic<long long> failureCountdown{-1};
std::atomic<bool> failureTriggered{false};

void* CountedAllocate(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (failureCountdown.load(std::memory_order_relaxed) >= 0 &&
        failureCountdown.fetch_sub(1, std::memory_order_relaxed) == 0) {
        failureTriggered = true;
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

} // namespace

std::size_t AllocationCount() { return allocations.load(std::memory_order_relaxed); }

AllocationFailure::AllocationFailure(std::size_t allowed) {
    failureTriggered = false;
    failureCountdown = static_cast<long long>(allowed);
}

AllocationFailure::~AllocationFailure() { failureCountdown = -1; }

bool AllocationFailure::Triggered() const { return failureTriggered; }

// Sanitizer builds keep their own allocator so leaks and misuse stay visible.
#if !defined(__SANITIZE_ADDRESS__) && !defined(KORVANE_NO_ALLOCATION_COUNTER)
bool AllocationCountingActive() { return true; }

void* operator new(std::size_t size) { return CountedAllocate(size); }
void* operator new[](std::size_t size) { return CountedAllocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
#else
bool AllocationCountingActive() { return false; }
#endif
