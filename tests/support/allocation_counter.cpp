#include "tests/support/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> allocations{0};
// Allocations still allowed before each one fails; negative when none fails.
std::atomic<long long> allowedAllocations{-1};

[[maybe_unused]] void* CountedAllocate(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (allowedAllocations.load(std::memory_order_relaxed) == 0) {
        throw std::bad_alloc();
    }
    if (allowedAllocations.load(std::memory_order_relaxed) > 0) {
        allowedAllocations.fetch_sub(1, std::memory_order_relaxed);
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

} // namespace

AllocationFailure::AllocationFailure(std::size_t allowed) {
    allowedAllocations.store(static_cast<long long>(allowed), std::memory_order_relaxed);
}

AllocationFailure::~AllocationFailure() { allowedAllocations.store(-1, std::memory_order_relaxed); }

std::size_t AllocationCount() { return allocations.load(std::memory_order_relaxed); }

// Sanitizer builds keep their own allocator so leaks and misuse stay visible.
#if !defined(__SANITIZE_ADDRESS__) && !defined(KORVANE_NO_ALLOCATION_COUNTER)
void* operator new(std::size_t size) { return CountedAllocate(size); }
void* operator new[](std::size_t size) { return CountedAllocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
#endif

// Asked of the running process: besides sanitizer builds, tools such as
// valgrind put their own operator new in place of the one above. The probe
// calls through pointers, as other files do, so it is not inlined here.
bool AllocationCountingActive() {
    static const bool active = [] {
        void* (*volatile allocate)(std::size_t) = &::operator new;
        void (*volatile release)(void*) noexcept = &::operator delete;
        const std::size_t before = AllocationCount();
        release(allocate(1));
        return AllocationCount() != before;
    }();
    return active;
}
