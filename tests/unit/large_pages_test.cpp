// The model's largest lists take their room through ReserveInLargePages: the
// entries must survive the move into that room, and the advice must reach
// the system, where a slip in rounding to whole pages would silently advise
// nothing and the loads would go back to a fault every 4 KiB.
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/services/large_pages.h"
#include "tests/support/allocation_counter.h"

// The "VmFlags:" line of the mapping that holds address in /proc/self/smaps
// ("hg" marks one advised for huge pages); empty where there is none.
static std::string MappingFlags(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        std::uintptr_t start = 0;
        std::uintptr_t end = 0;
        if (std::sscanf(line.c_str(), "%" SCNxPTR "-%" SCNxPTR " ", &start, &end) == 2) {
            inside = start <= at && at < end;
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            return line;
        }
    }
    return {};
}

TEST(LargePages, RoomIsAdvisedAndKeepsTheEntries) {
    std::vector<int> list = {3, 1, 4, 1, 5};
    const std::size_t capacity = 3 * kLargePageBytes / sizeof(int);
    ReserveInLargePages(list, capacity);
    EXPECT_EQ(list, (std::vector<int>{3, 1, 4, 1, 5}));
    EXPECT_GE(list.capacity(), capacity);
    if (!AllocationCountingActive()) {
        GTEST_SKIP() << "another allocator (a sanitizer's, valgrind's) hands out this memory";
    }
    const std::string flags = MappingFlags(list.data() + capacity / 2);
    if (flags.empty()) {
        GTEST_SKIP() << "this system does not show its mappings' flags";
    }
    EXPECT_NE(flags.find(" hg"), std::string::npos) << flags;
}
