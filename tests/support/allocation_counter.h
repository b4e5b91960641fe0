// Counts heap allocations made through operator new in this process, so tests
// can state that a path allocates nothing (or a bounded number of times).
#pragma once

#include <cstddef>

// Allocations made since the process started.
std::size_t AllocationCount();

// False in builds that keep their own allocator (sanitizers): nothing is
// counted there, so a test of allocation counts has nothing to check.
bool AllocationCountingActive();

// Counts the allocations made while it is alive.
class AllocationScope {
  public:
    AllocationScope() : start_(AllocationCount()) {}
    std::size_t Allocations() const { return AllocationCount() - start_; }

  private:
    std::size_t start_;
};
