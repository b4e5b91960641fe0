// The load benchmark's grids, read and loaded whole, against fingerprints
// recorded from the reader and mesh builder before they were made faster
// (commit 2ad3e38): hundreds of thousands of numbers of one shape, faces
// that share every vertex four ways, and lists of corner faces far longer
// than the corpus's small documents have. A faster number conversion or
// corner list that differs in one bit, or in one list entry, changes them.
#include <cinttypes>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "model/model.h"
#include "tests/support/grid_document.h"
#include "tests/support/load_digest.h"
#include "tests/support/load_document.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_files.h"

namespace {

struct GridFingerprints {
    int cells;
    std::uint64_t reader; // ReaderDigest of LoadDocument
    std::uint64_t whole;  // LoadedDigest of LoadFromFile
};

// Recorded with the code of 2ad3e38; the message of a failure prints what
// this code gives, in the same form.
constexpr GridFingerprints kRecorded[] = {
    {350, 0x0bb0a9e1ac3800fdull, 0xd78776f8ebb07150ull},
    {700, 0x7040ba0ee0e57bbeull, 0x57d76cd7e6e973c4ull},
};

std::string Hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016" PRIx64 "ull", value);
    return text;
}

} // namespace

TEST(ModelGridOutputs, ReaderAndWholeLoadMatchTheOldCode) {
    for (const GridFingerprints& recorded : kRecorded) {
        const std::string document = GridDocument(recorded.cells);
        Model read;
        const int result = LoadDocument(document, read);
        const std::uint64_t reader = ReaderDigest(result, read);

        const ScratchFolder folder;
        folder.Write("grid.mqo", document);
        RecordingDevice device;
        device.recordCalls = false;
        Model loaded;
        const bool loadResult = loaded.LoadFromFile(folder.NameFromExecutable("grid.mqo"), &device);
        const std::uint64_t whole = LoadedDigest(loadResult, loaded, device);

        const std::string measured =
            "{" + std::to_string(recorded.cells) + ", " + Hex(reader) + ", " + Hex(whole) + "}";
        EXPECT_EQ(reader, recorded.reader) << "reader of the grid, now " << measured;
        EXPECT_EQ(whole, recorded.whole) << "whole load of the grid, now " << measured;
    }
}
