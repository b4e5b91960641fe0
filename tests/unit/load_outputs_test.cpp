// Compares every output of the loading path with fingerprints recorded from an
// earlier version of the code, over the document corpus: faster code must
// produce the same tokens, records, normals, draw ranges and vertex bytes.
//
// After a deliberate change of an output, record the fingerprints again with
//   KORVANE_RECORD_LOAD_OUTPUTS=1 build/host/tests/korvane_tests --gtest_filter='LoadOutputs.*'
// which rewrites tests/fixtures/load_outputs.txt; commit it with the change.
#include <array>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/loader_mqa.h"
#include "model/model.h"
#include "platform/services/system_services.h"
#include "tests/support/document_corpus.h"
#include "tests/support/load_digest.h"
#include "tests/support/load_document.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_files.h"

namespace {

const std::string kFixturePath =
    std::string(KORVANE_SOURCE_DIR) + "/tests/fixtures/load_outputs.txt";

const char* const kParts[] = {"tokens", "reader from memory", "reader from a file", "whole load"};
constexpr std::size_t kPartCount = std::size(kParts);

using Fingerprints = std::array<std::uint64_t, kPartCount>;

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::uint64_t ReaderThroughFile(const std::string& bytes) {
    std::FILE* file = std::tmpfile();
    if (file == nullptr) {
        ADD_FAILURE() << "no temporary file";
        return 0;
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    Model model;
    const int result = LoaderMQA(file, &model).Load();
    std::fclose(file);
    return ReaderDigest(result, model);
}

Fingerprints FingerprintsOf(const CorpusDocument& document, const ScratchFolder& folder,
                            std::set<int>& results) {
    Model fromMemory;
    const int memoryResult = LoadDocument(document.bytes, fromMemory);
    results.insert(memoryResult);

    folder.Write("document.mqo", document.bytes);
    RecordingDevice device;
    device.recordCalls = false;
    Model loaded;
    const bool loadResult = loaded.LoadFromFile(folder.NameFromExecutable("document.mqo"), &device);

    return {TokenDigest(document.bytes), ReaderDigest(memoryResult, fromMemory),
            ReaderThroughFile(document.bytes), LoadedDigest(loadResult, loaded, device)};
}

std::vector<CorpusDocument> Corpus() {
    const std::string assets = std::string(KORVANE_SOURCE_DIR) + "/assets/";
    return DocumentCorpus({{"asset BlueKnight.mqa", ReadFile(assets + "MQA/BlueKnight.mqa")},
                           {"asset Korvane.mqo", ReadFile(assets + "MQO/Korvane.mqo")}});
}

// One line per document: the fingerprints in hexadecimal, then the name.
std::map<std::string, Fingerprints> ReadFixture() {
    std::map<std::string, Fingerprints> recorded;
    std::ifstream file(kFixturePath);
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        Fingerprints fingerprints{};
        for (std::uint64_t& value : fingerprints) {
            fields >> std::hex >> value;
        }
        std::string name;
        std::getline(fields >> std::ws, name);
        recorded[name] = fingerprints;
    }
    return recorded;
}

void WriteFixture(const std::vector<std::pair<std::string, Fingerprints>>& measured) {
    std::ofstream file(kFixturePath);
    file << "# Fingerprints of the loading path's outputs for each document of the corpus:\n"
            "# tokens, reader from memory, reader from a file, whole load; then the name.\n"
            "# Written by tests/unit/load_outputs_test.cpp, which says how to record them.\n";
    for (const auto& [name, fingerprints] : measured) {
        for (std::uint64_t value : fingerprints) {
            char hex[20];
            std::snprintf(hex, sizeof hex, "%016" PRIx64 " ", value);
            file << hex;
        }
        file << name << '\n';
    }
}

} // namespace

TEST(LoadOutputs, EveryOutputMatchesTheRecordedFingerprints) {
    SetLeadByteCodePage(932);
    const std::vector<CorpusDocument> corpus = Corpus();
    ASSERT_GT(corpus.size(), 150u);
    const ScratchFolder folder;
    std::vector<std::pair<std::string, Fingerprints>> measured;
    std::set<std::string> names;
    std::set<int> results;
    for (const CorpusDocument& document : corpus) {
        ASSERT_TRUE(names.insert(document.name).second) << "two documents named " << document.name;
        measured.emplace_back(document.name, FingerprintsOf(document, folder, results));
    }
    EXPECT_EQ(results, (std::set<int>{kLoadOk, kLoadFormatError, kLoadUnexpectedEnd, kLoadBadHeader,
                                      kLoadBadVersion}))
        << "the corpus must reach every result code";
    if (std::getenv("KORVANE_RECORD_LOAD_OUTPUTS") != nullptr) {
        WriteFixture(measured);
        GTEST_SKIP() << "recorded " << measured.size() << " documents in " << kFixturePath;
    }
    const std::map<std::string, Fingerprints> recorded = ReadFixture();
    ASSERT_EQ(recorded.size(), measured.size()) << "the corpus and " << kFixturePath << " differ";
    for (const auto& [name, fingerprints] : measured) {
        const auto found = recorded.find(name);
        ASSERT_NE(found, recorded.end()) << "no fingerprints recorded for " << name;
        for (std::size_t part = 0; part < kPartCount; ++part) {
            EXPECT_EQ(fingerprints[part], found->second[part]) << kParts[part] << " of " << name;
        }
    }
}
