// Built into the page only for bench/web/tick_allocations.py (the CMake option
// KORVANE_COUNT_PAGE_ALLOCATIONS): the heap allocations the game has made so
// far, counted by the tests' counting operator new, for the page's script to read.
#include <emscripten/emscripten.h>

#include "tests/support/allocation_counter.h"

extern "C" EMSCRIPTEN_KEEPALIVE double KorvaneAllocationCount() {
    return static_cast<double>(AllocationCount());
}
