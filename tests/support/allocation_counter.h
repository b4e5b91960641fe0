// Counts heap allocations made through operator new in this process, so tests
// can state that a path allocates nothing (or a bounded number of times).
#pragma once

#include <cstddef>

// Allocations made since the process started.
std::size_t AllocationCount();

// False in builds that keep the sanitizers' allocator: nothing is counted and
// no failure can be injected there.
bool AllocationCountingActive();

// Counts the allocations made while it is alive.
class AllocationScope {
  public:
    AllocationScope() : start_(AllocationCount()) {}
    std::size_t Allocations() const { return AllocationCount() - start_; }

  private:
    std::size_t start_;
};

// While alive, lets `allowed` more allocations succeed and makes the next one
// throw std::bad_alloc; later ones succeed again. For walking every
// allocation of an operation and checking that each failure is survived.
class AllocationFailure {
  public:
    explicit AllocationFailure(std::size_t allowed);
    ~AllocationFailure();
    AllocationFailure(const AllocationFailure&) = delete;
    AllocationFailure& operator=(const AllocationFailure&) = delete;

    // True once the chosen allocation has failed.
    bool Triggered() const;
};
