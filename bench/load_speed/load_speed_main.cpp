// How fast models are read and prepared, next to the peers that bound it: the
// same grid of quads as a Metasequoia document and as an OBJ file, timed in
// one process in interleaved rounds: fread of the document (the ceiling),
// tinyobjloader parsing the OBJ (the peer), LoaderMQA::Load, and
// Model::LoadFromFile with meshes built on the recording device. Prints the
// medians, their ratios, time per triangle across sizes and peak memory.
//
//   korvane_load_speed [rounds] [cells...]     (defaults: 7 rounds, 350 and 700)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <tiny_obj_loader.h>

#include "bench/load_speed/model_footprint.h"
#include "bench/load_speed/peak_memory.h"
#include "model/loader_mqa.h"
#include "model/model.h"
#include "tests/support/grid_document.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_files.h"

namespace {

enum Contender { kFread, kFirstTouch, kTinyObj, kReader, kWholeLoad, kContenderCount };

const char* const kContenderNames[kContenderCount] = {
    "fread of the document", "fresh memory, what the load holds",
    "tinyobjloader on the OBJ, parse only", "LoaderMQA::Load", "Model::LoadFromFile, meshes built"};

// One grid size: its files and what each run found.
struct Grid {
    int cells = 0;
    std::string documentName; // relative to the executable, for LoadFromFile
    std::string documentPath;
    std::string objPath;
    std::size_t documentBytes = 0;
    std::size_t objBytes = 0;
    std::size_t heldBytes = 0; // what the whole load finally holds, records and buffers
    std::vector<double> seconds[kContenderCount];

    double Triangles() const { return 2.0 * cells * cells; }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Each run checks what it read, so a broken contender cannot look fast.
[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "korvane_load_speed: %s\n", what.c_str());
    std::exit(1);
}

void ReadWholeFile(const std::string& path, std::size_t expected) {
    static std::vector<char> buffer(1 << 20);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        Fail("cannot open " + path);
    }
    std::size_t total = 0;
    while (const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), file)) {
        total += read;
    }
    std::fclose(file);
    if (total != expected) {
        Fail("short read of " + path);
    }
}

void ParseObj(const Grid& grid) {
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warning;
    std::string error;
    if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &error, grid.objPath.c_str(),
                          nullptr, false) ||
        shapes.empty() || shapes[0].mesh.num_face_vertices.size() != grid.Triangles() / 2) {
        Fail("tinyobjloader did not read " + grid.objPath + ": " + error);
    }
}

std::unique_ptr<Model> ReadDocument(const Grid& grid) {
    std::FILE* file = std::fopen(grid.documentPath.c_str(), "rb");
    if (file == nullptr) {
        Fail("cannot open " + grid.documentPath);
    }
    auto model = std::make_unique<Model>();
    const int result = LoaderMQA(file, model.get()).Load();
    std::fclose(file);
    if (result != kLoadOk || model->objects.size() != 1 ||
        model->objects[0].faces.size() != grid.Triangles() / 2) {
        Fail("the reader did not read " + grid.documentPath);
    }
    return model;
}

std::unique_ptr<Model> LoadWhole(const Grid& grid, RecordingDevice& device) {
    auto model = std::make_unique<Model>();
    if (!model->LoadFromFile(grid.documentName, &device) || model->objects.size() != 1 ||
        model->objects[0].materialTriangleCounts.size() != 2) {
        Fail("LoadFromFile did not load " + grid.documentName);
    }
    return model;
}

// The other ceiling: taking as much memory from the system as the whole load
// ends up holding, one write per page, as every load's first touches do.
void TouchFreshMemory(std::size_t bytes) {
    if (bytes == 0) {
        return;
    }
    const std::unique_ptr<char[]> memory(new char[bytes]);
    for (std::size_t at = 0; at < bytes; at += 4096) {
        memory[at] = static_cast<char>(at);
    }
    volatile char sink = memory[bytes / 2];
    static_cast<void>(sink);
}

// Times one run; what the run leaves behind is freed outside the timing.
double TimeRun(Contender contender, const Grid& grid) {
    RecordingDevice device;
    device.recordCalls = false;
    std::unique_ptr<Model> model;
    const auto start = std::chrono::steady_clock::now();
    switch (contender) {
    case kFread:
        ReadWholeFile(grid.documentPath, grid.documentBytes);
        break;
    case kFirstTouch:
        TouchFreshMemory(grid.heldBytes);
        break;
    case kTinyObj:
        ParseObj(grid);
        break;
    case kReader:
        model = ReadDocument(grid);
        break;
    default:
        model = LoadWhole(grid, device);
        break;
    }
    const auto stop = std::chrono::steady_clock::now();
    model.reset();
#ifdef __GLIBC__
    // Every run gets its memory fresh from the system, as a program's first
    // load does: memory the allocator kept from the run before would spare the
    // smaller sizes the cost of first touches that the larger ones pay.
    malloc_trim(0);
#endif
    return std::chrono::duration<double>(stop - start).count();
}

void PrintTimes(const Grid& grid) {
    double median[kContenderCount] = {};
    for (int c = 0; c < kContenderCount; ++c) {
        median[c] = Median(grid.seconds[c]);
    }
    std::printf("\n%d x %d grid: %.0f triangles; document %.1f MB, OBJ %.1f MB; %zu rounds\n",
                grid.cells, grid.cells, grid.Triangles(), grid.documentBytes / 1e6,
                grid.objBytes / 1e6, grid.seconds[0].size());
    std::printf("  %-38s %10s %10s %14s %10s\n", "", "median", "rate", "vs tinyobj", "vs fread");
    for (int c = 0; c < kContenderCount; ++c) {
        const double bytes = c == kTinyObj      ? grid.objBytes
                             : c == kFirstTouch ? grid.heldBytes
                                                : grid.documentBytes;
        std::printf("  %-38s %7.1f ms %5.0f MB/s %8.2f x fast %6.1f x time\n", kContenderNames[c],
                    median[c] * 1e3, bytes / median[c] / 1e6, median[kTinyObj] / median[c],
                    median[c] / median[kFread]);
    }
}

void PrintLinearity(const Grid& small, const Grid& large) {
    std::printf("\nTime per triangle, %d x %d against %d x %d (1.0 = linear):\n", large.cells,
                large.cells, small.cells, small.cells);
    for (int c = 0; c < kContenderCount; ++c) {
        const double perSmall = Median(small.seconds[c]) / small.Triangles();
        const double perLarge = Median(large.seconds[c]) / large.Triangles();
        std::printf("  %-38s %6.1f ns -> %6.1f ns  %5.2f\n", kContenderNames[c], perSmall * 1e9,
                    perLarge * 1e9, perLarge / perSmall);
    }
}

void PrintPeakMemory(Grid& grid) {
    const PeakMemory reader = MeasurePeakMemory([&] { return RecordBytes(*ReadDocument(grid)); });
    const PeakMemory whole = MeasurePeakMemory([&] {
        RecordingDevice device;
        device.recordCalls = false;
        const std::unique_ptr<Model> model = LoadWhole(grid, device);
        return RecordBytes(*model) + VertexBufferBytes(*model);
    });
    grid.heldBytes = whole.heldBytes;
    std::printf("\nPeak resident memory, %d x %d grid:\n", grid.cells, grid.cells);
    for (const auto& [name, memory] : {std::pair{kContenderNames[kReader], reader},
                                       std::pair{kContenderNames[kWholeLoad], whole}}) {
        if (!memory.measured) {
            std::printf("  %-38s not measurable here\n", name);
            continue;
        }
        std::printf("  %-38s peak %7.1f MB, model holds %7.1f MB: %.2f x\n", name,
                    memory.peakBytes / 1e6, memory.heldBytes / 1e6,
                    static_cast<double>(memory.peakBytes) / static_cast<double>(memory.heldBytes));
    }
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i) {
        sizes.push_back(std::max(1, std::atoi(argv[i])));
    }
    if (sizes.empty()) {
        sizes = {350, 700};
    }

    const ScratchFolder folder;
    std::vector<Grid> grids;
    for (const int cells : sizes) {
        Grid grid;
        grid.cells = cells;
        const std::string stem = "grid" + std::to_string(cells);
        const std::string document = GridDocument(cells);
        folder.Write(stem + ".mqo", document);
        grid.documentBytes = document.size();
        const std::string obj = GridObj(cells);
        folder.Write(stem + ".obj", obj);
        grid.objBytes = obj.size();
        grid.documentName = folder.NameFromExecutable(stem + ".mqo");
        grid.documentPath = folder.PathOf(stem + ".mqo").string();
        grid.objPath = folder.PathOf(stem + ".obj").string();
        grids.push_back(std::move(grid));
    }

    // Memory first, each in a child of its own, while this process holds little.
    for (Grid& grid : grids) {
        PrintPeakMemory(grid);
    }
    std::fflush(stdout);

    // One warm-up round puts the files in the page cache; then every round
    // runs every contender on every size, starting each round at another
    // contender so that none always follows the same one.
    for (int round = -1; round < rounds; ++round) {
        for (Grid& grid : grids) {
            for (int i = 0; i < kContenderCount; ++i) {
                const auto contender =
                    static_cast<Contender>((i + std::max(round, 0)) % kContenderCount);
                const double seconds = TimeRun(contender, grid);
                if (round >= 0) {
                    grid.seconds[contender].push_back(seconds);
                }
            }
        }
    }
    for (const Grid& grid : grids) {
        PrintTimes(grid);
    }
    if (grids.size() >= 2) {
        PrintLinearity(grids.front(), grids.back());
    }
    return 0;
}
