// Reading speed of the document reader on a large generated document, with
// plain fread of the same file as the ceiling.
#include <benchmark/benchmark.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/loader_mqa.h"
#include "model/model.h"
#include "model/tokenizer.h"

namespace {

constexpr std::size_t kMinimumDocumentBytes = 50u * 1000u * 1000u;

// Objects of typical vertex and face lines until the document is large
// enough: positions with six decimals, quads and triangles with M and UV parts.
std::string GenerateDocument() {
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> coordinate(-1000.0, 1000.0);
    std::uniform_real_distribution<double> uv(0.0, 1.0);
    std::uniform_int_distribution<int> index(0, 19999);
    std::string text = "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\n"
                       "Material 2 {\r\n"
                       "\t\"stone\" col(0.800 0.800 0.800 1.000) dif(0.800) amb(0.600) emi(0.000) "
                       "spc(0.000) power(5.00) tex(\"stone.bmp\")\r\n"
                       "\t\"grass\" col(0.200 0.800 0.200 1.000) dif(0.800) amb(0.600) emi(0.000) "
                       "spc(0.000) power(5.00)\r\n"
                       "}\r\n";
    char line[256] = {};
    for (int object = 0; text.size() < kMinimumDocumentBytes; ++object) {
        std::snprintf(line, sizeof line,
                      "Object \"part%d\" {\r\n\tvisible 15\r\n\tfacet 59.5\r\n\tvertex 20000 {\r\n",
                      object);
        text += line;
        for (int v = 0; v < 20000; ++v) {
            std::snprintf(line, sizeof line, "\t\t%.6f %.6f %.6f\r\n", coordinate(random),
                          coordinate(random), coordinate(random));
            text += line;
        }
        text += "\t}\r\n\tface 12000 {\r\n";
        for (int f = 0; f < 12000; ++f) {
            if (f % 3 == 0) {
                std::snprintf(line, sizeof line,
                              "\t\t3 V(%d %d %d) M(%d) UV(%.5f %.5f %.5f %.5f %.5f %.5f)\r\n",
                              index(random), index(random), index(random), f % 2, uv(random),
                              uv(random), uv(random), uv(random), uv(random), uv(random));
            } else {
                std::snprintf(
                    line, sizeof line,
                    "\t\t4 V(%d %d %d %d) M(%d) UV(%.5f %.5f %.5f %.5f %.5f %.5f %.5f %.5f)\r\n",
                    index(random), index(random), index(random), index(random), f % 2, uv(random),
                    uv(random), uv(random), uv(random), uv(random), uv(random), uv(random),
                    uv(random));
            }
            text += line;
        }
        text += "\t}\r\n}\r\n";
    }
    text += "Eof\r\n";
    return text;
}

// The generated document on disk, written once per run and removed at exit.
class BenchDocument {
  public:
    BenchDocument()
        : path_(std::filesystem::temp_directory_path() / "korvane_loader_mqa_bench.mqo") {
        const std::string text = GenerateDocument();
        size_ = text.size();
        if (std::FILE* file = std::fopen(path_.string().c_str(), "wb")) {
            std::fwrite(text.data(), 1, text.size(), file);
            std::fclose(file);
        }
    }
    ~BenchDocument() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }

    std::size_t Size() const { return size_; }

    // Opens the document for reading, or ends the benchmark with an error.
    std::FILE* Open(benchmark::State& state) const {
        std::FILE* file = std::fopen(path_.string().c_str(), "rb");
        if (file == nullptr) {
            state.SkipWithError("cannot open the generated document");
        }
        return file;
    }

  private:
    std::filesystem::path path_;
    std::size_t size_ = 0;
};

const BenchDocument& Document() {
    static const BenchDocument document;
    return document;
}

void ReportRate(benchmark::State& state, std::size_t bytes) {
    const double total = static_cast<double>(bytes) * static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
    state.counters["MB/s"] = benchmark::Counter(total / 1e6, benchmark::Counter::kIsRate);
}

// Each load gets its model's memory fresh from the system, as the first load
// of a program does; on a virtual machine the page faults of that fresh
// memory take a large share of the time.
void BM_LoaderMQALoad(benchmark::State& state) {
    const BenchDocument& document = Document();
    for (auto _ : state) {
        std::FILE* file = document.Open(state);
        if (file == nullptr) {
            break;
        }
        auto model = std::make_unique<Model>();
        LoaderMQA loader(file, model.get());
        const int result = loader.Load();
        std::fclose(file);
        if (result != kLoadOk) {
            state.SkipWithError("the generated document did not load");
            break;
        }
        benchmark::DoNotOptimize(model->objects.data());
        state.PauseTiming();
        model.reset();
        state.ResumeTiming();
    }
    ReportRate(state, document.Size());
}
BENCHMARK(BM_LoaderMQALoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The reader's own work: the allocator is told to keep freed memory, so from
// the second load on the model lands in pages already mapped. It changes the
// allocator for the rest of the run, so it is registered last.
void BM_LoaderMQALoadIntoMappedMemory(benchmark::State& state) {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    BM_LoaderMQALoad(state);
#else
    state.SkipWithError("needs the GNU C library's allocator settings");
#endif
}

// The tokenizer alone: every line split into tokens, nothing converted or kept.
void BM_AsciiFileStringReadLine(benchmark::State& state) {
    const BenchDocument& document = Document();
    for (auto _ : state) {
        std::FILE* file = document.Open(state);
        if (file == nullptr) {
            break;
        }
        AsciiFileString tokens(file);
        long long count = 0;
        while (tokens.ReadLine() != -1) {
            count += tokens.count;
        }
        std::fclose(file);
        benchmark::DoNotOptimize(count);
    }
    ReportRate(state, document.Size());
}
BENCHMARK(BM_AsciiFileStringReadLine)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The ceiling: reading the same bytes with no work done on them.
void BM_FreadSameFile(benchmark::State& state) {
    const BenchDocument& document = Document();
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        std::FILE* file = document.Open(state);
        if (file == nullptr) {
            break;
        }
        std::size_t total = 0;
        while (const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), file)) {
            total += read;
        }
        std::fclose(file);
        benchmark::DoNotOptimize(total);
    }
    ReportRate(state, document.Size());
}
BENCHMARK(BM_FreadSameFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LoaderMQALoadIntoMappedMemory)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
