// LoaderMQA::Load of the 350 x 350 grid document, next to fread of the same
// bytes (the ceiling), medians of interleaved rounds. The same source is built
// natively (host preset) and as WebAssembly (web preset, run by Node.js), so
// compare_load_speed.sh can set the two side by side.
//
//   korvane_grid_load_speed [rounds] [cells]     (defaults: 15 rounds, 350)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "model/loader_mqa.h"
#include "model/model.h"
#include "tests/support/grid_document.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Milliseconds to read the whole file with nothing done to the bytes.
double TimeFread(const std::string& path) {
    std::vector<char> buffer(1 << 20);
    const Clock::time_point start = Clock::now();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::size_t total = 0;
    while (const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), file)) {
        total += read;
    }
    std::fclose(file);
    const double elapsed = MillisecondsSince(start);
    return total > 0 ? elapsed : -1.0;
}

// Milliseconds of one load into a fresh model; negative when it fails.
double TimeLoad(const std::string& path) {
    auto model = std::make_unique<Model>();
    const Clock::time_point start = Clock::now();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    LoaderMQA loader(file, model.get());
    const int result = loader.Load();
    std::fclose(file);
    const double elapsed = MillisecondsSince(start);
    return result == kLoadOk && !model->objects.empty() ? elapsed : -1.0;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const int cells = argc > 2 ? std::max(2, std::atoi(argv[2])) : 350;
    const std::string path = "korvane_grid_load_speed.mqo";
    const std::string text = GridDocument(cells);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    std::fclose(file);

    std::vector<double> freads;
    std::vector<double> loads;
    for (int round = 0; round < rounds; ++round) {
        freads.push_back(TimeFread(path));
        loads.push_back(TimeLoad(path));
        if (freads.back() < 0.0 || loads.back() < 0.0) {
            std::fprintf(stderr, "round %d: the document did not read or load\n", round + 1);
            return 1;
        }
    }
    std::remove(path.c_str());
    // One line a figure, for compare_load_speed.sh to read.
    std::printf("document_bytes %zu\n", text.size());
    std::printf("fread_ms %.3f\n", Median(freads));
    std::printf("load_ms %.3f\n", Median(loads));
    return 0;
}
