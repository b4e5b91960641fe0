// Loading allocates per list, never per line, face, corner or vertex: a model
// of many times the faces asks the heap as often as a small one.
#include <cstddef>
#include <string>

#include <gtest/gtest.h>

#include "model/model.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/grid_document.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_files.h"

namespace {

// Heap allocations made by loading the grid of cells x cells quads, meshes included.
std::size_t AllocationsToLoad(int cells) {
    const ScratchFolder folder;
    folder.Write("grid.mqo", GridDocument(cells));
    const std::string name = folder.NameFromExecutable("grid.mqo");
    RecordingDevice device;
    device.recordCalls = false;
    Model model;
    const AllocationScope scope;
    EXPECT_TRUE(model.LoadFromFile(name, &device));
    return scope.Allocations();
}

} // namespace

TEST(LoadAllocations, GrowWithTheListsNotWithTheFaces) {
    if (!AllocationCountingActive()) {
        GTEST_SKIP() << "another allocator is in place and nothing is counted";
    }
    const std::size_t small = AllocationsToLoad(4);
    const std::size_t large = AllocationsToLoad(64); // 256 times the faces
    EXPECT_LT(small, 60u);
    EXPECT_EQ(large, small);
}
