// Test processes run side by side and make their scratch folders below the
// same parent (TEXTURE); one of them finishing must never pull that parent
// away from another that is making its folder.
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/test_files.h"

TEST(ScratchFolder, FoldersMadeAndDroppedSideBySideBelowOneParentAllSucceed) {
    constexpr int kWorkers = 4;
    constexpr int kRounds = 400;
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int worker = 0; worker < kWorkers; ++worker) {
        workers.emplace_back([&failures] {
            for (int round = 0; round < kRounds; ++round) {
                try {
                    const ScratchFolder folder("korvane-shared-parent");
                    folder.Write("a.txt", "a");
                } catch (const std::exception&) {
                    ++failures;
                }
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(failures.load(), 0);
    std::filesystem::remove_all(TestExecutableDirectory() / "korvane-shared-parent");
}
