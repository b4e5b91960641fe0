// Counts heap allocations made through operator new in this process, so tests
// can state that a path allocates nothing (or a bounded number of times).
#pragma once

#include <cstddef>

// Allocations made since the process started.
std::size_t AllocationCount();

// False where another allocator is in place (sanitizer builds, valgrind):
// nothing is counted there, so a test of allocation counts has nothing to check.
bool AllocationCountingActive();

// Counts the allocations made while it is alive.
class AllocationScope {
  public:
    AllocationScope() : start_(AllocationCount()) {}
    std::size_t Allocations() const { return AllocationCount() - start_; }

  private:
    std::size_t start_;
};

// While alive, lets the given number of allocations through and makes every
// later one throw std::bad_alloc, to show how code meets allocation failure.
// Has no effect where allocations are not counted.
class AllocationFailure {
  public:
    explicit AllocationFailure(std::size_t allowed);
    ~AllocationFailure();
    AllocationFailure(const AllocationFailure&) = delete;
    AllocationFailure& operator=(const AllocationFailure&) = delete;
};
