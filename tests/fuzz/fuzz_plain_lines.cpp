// Reads the same bytes twice, once reading plain vertex, face and key lines
// straight from their bytes and once splitting every line into tokens first,
// and stops the run when the two readings differ in their result or in any
// record. The first byte chooses where the rest goes: a whole document, or
// the inside of a vertex, face or animation chunk, so that most inputs reach
// the lines of interest.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "model/loader_mqa.h"
#include "model/model.h"
#include "tests/fuzz/fuzz_checks.h"
#include "tests/support/load_digest.h"
#include "tests/support/memory_stream.h"

namespace {

const char* const kOpenings[] = {
    "",
    "Metasequoia Document\r\nFormat Text Ver 1.0\r\nObject \"o\" {\r\n\tvertex 4 {\r\n",
    "Metasequoia Document\r\nFormat Text Ver 1.0\r\nObject \"o\" {\r\n\tface 4 {\r\n",
    "Metasequoia Document\r\nFormat Text Ver 1.0\r\nObject \"o\" {\r\n\tanimation \"a\" {\r\n",
};

std::uint64_t ReadingDigest(const std::string& document, bool plainLines) {
    MemoryStream input(document);
    if (input.get() == nullptr) {
        return 0;
    }
    Model model;
    LoaderMQA loader(input.get(), &model);
    loader.ReadPlainLinesDirectly(plainLines);
    const int result = loader.Load();
    return ReaderDigest(result, model);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string document = kOpenings[data[0] % std::size(kOpenings)] +
                                 std::string(reinterpret_cast<const char*>(data + 1), size - 1);
    Require(ReadingDigest(document, true) == ReadingDigest(document, false),
            "plain lines read straight from their bytes give what their tokens give");
    return 0;
}
