// How fast models are read and prepared, next to the peers that bound it: the
// same grid of quads as a Metasequoia document and as an OBJ file, timed in
// interleaved rounds: fread of the document (the ceiling), tinyobjloader
// parsing the OBJ (the peer), LoaderMQA::Load, and Model::LoadFromFile with
// meshes built on the recording device. Every contender runs under cold
// 4 KiB pages and under huge pages (page_regimes.h), each round of each
// regime in a fresh child process, the regimes taking turns so that noise on
// the machine falls on both alike; each run is timed in its process's
// processor time, user and system, which other work on the machine leaves
// out of the figures better than the clock does. Prints the medians, their ratios, time
// per triangle across sizes and peak memory, both regimes side by side.
//
//   korvane_load_speed [rounds] [cells...]     (defaults: 7 rounds, 350 and 700)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "bench/load_speed/contenders.h"
#include "bench/load_speed/number_costs.h"
#include "bench/load_speed/page_regimes.h"
#include "tests/support/grid_document.h"
#include "tests/support/test_files.h"

namespace {

// How a child is asked to work: "--child", the regime's word, "memory" or a
// round number, then each grid as cells, document name, document path, OBJ
// path and the bytes the whole load holds.
constexpr const char* kChildFlag = "--child";
constexpr const char* kMemoryTask = "memory";
constexpr int kChildFixedArguments = 4;
constexpr int kArgumentsPerGrid = 6;

struct Grid {
    GridFiles files;
    Footprint held; // what the whole load finally holds, records and buffers
    LoadMemory memory[kRegimeCount];
    std::vector<double> seconds[kRegimeCount][kContenderCount];
};

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// ---- In a child: measure, and write one line per result.

GridFiles FilesFromArguments(char** arguments) {
    GridFiles files;
    files.cells = std::atoi(arguments[0]);
    files.documentName = arguments[1];
    files.documentPath = arguments[2];
    files.objPath = arguments[3];
    files.documentBytes = std::filesystem::file_size(files.documentPath);
    files.objBytes = std::filesystem::file_size(files.objPath);
    return files;
}

void PrintMemoryLine(const char* which, int cells, const PeakMemory& memory) {
    std::printf("memory %s %d %d %zu %zu %zu %zu\n", which, cells, memory.measured ? 1 : 0,
                memory.peakBytes, memory.held.heldBytes, memory.held.hugePageBytes,
                memory.held.bufferBytes);
}

int RunChild(int argc, char** argv) {
    const std::string word = argv[2];
    PageRegime regime = kColdPages;
    for (int r = 0; r < kRegimeCount; ++r) {
        if (word == kRegimeWords[r]) {
            regime = static_cast<PageRegime>(r);
        }
    }
    EnterRegime(regime);
    const bool memoryTask = std::string(argv[3]) == kMemoryTask;
    const int round = memoryTask ? 0 : std::max(0, std::atoi(argv[3]));
    for (int at = kChildFixedArguments; at + kArgumentsPerGrid <= argc; at += kArgumentsPerGrid) {
        const GridFiles files = FilesFromArguments(argv + at);
        if (memoryTask) {
            const LoadMemory memory = MeasureLoadMemory(files);
            PrintMemoryLine("reader", files.cells, memory.reader);
            PrintMemoryLine("whole", files.cells, memory.whole);
            continue;
        }
        Footprint held;
        held.heldBytes = static_cast<std::size_t>(std::strtoull(argv[at + 4], nullptr, 10));
        held.bufferBytes = static_cast<std::size_t>(std::strtoull(argv[at + 5], nullptr, 10));
        // Each round starts at another contender, so that none always follows the same one.
        for (int i = 0; i < kContenderCount; ++i) {
            const auto contender = static_cast<Contender>((i + round) % kContenderCount);
            std::printf("time %d %d %.9f\n", files.cells, static_cast<int>(contender),
                        TimeRun(contender, files, held));
        }
    }
    return 0;
}

// ---- In the parent: run the children and gather what they write.

std::vector<std::string> ChildArguments(PageRegime regime, const std::string& task,
                                        const std::vector<Grid>& grids) {
    std::vector<std::string> arguments = {kChildFlag, kRegimeWords[regime], task};
    for (const Grid& grid : grids) {
        arguments.insert(arguments.end(), {std::to_string(grid.files.cells),
                                           grid.files.documentName, grid.files.documentPath,
                                           grid.files.objPath, std::to_string(grid.held.heldBytes),
                                           std::to_string(grid.held.bufferBytes)});
    }
    return arguments;
}

Grid* GridOf(std::vector<Grid>& grids, int cells) {
    for (Grid& grid : grids) {
        if (grid.files.cells == cells) {
            return &grid;
        }
    }
    return nullptr;
}

void GatherMemory(PageRegime regime, const std::string& output, std::vector<Grid>& grids) {
    std::istringstream lines(output);
    std::string kind;
    std::string which;
    int cells = 0;
    int measured = 0;
    PeakMemory memory;
    while (lines >> kind >> which >> cells >> measured >> memory.peakBytes >>
           memory.held.heldBytes >> memory.held.hugePageBytes >> memory.held.bufferBytes) {
        memory.measured = measured != 0;
        if (Grid* grid = GridOf(grids, cells)) {
            (which == "reader" ? grid->memory[regime].reader : grid->memory[regime].whole) = memory;
        }
    }
}

void GatherTimes(PageRegime regime, const std::string& output, std::vector<Grid>& grids) {
    std::istringstream lines(output);
    std::string kind;
    int cells = 0;
    int contender = 0;
    double seconds = 0.0;
    while (lines >> kind >> cells >> contender >> seconds) {
        Grid* grid = GridOf(grids, cells);
        if (grid != nullptr && contender >= 0 && contender < kContenderCount) {
            grid->seconds[regime][contender].push_back(seconds);
        }
    }
}

// ---- Printing.

void PrintRegimeHeads(int nameWidth, int regimeWidth) {
    std::printf("  %-*s", nameWidth, "");
    for (int r = 0; r < kRegimeCount; ++r) {
        std::printf("  %-*s", regimeWidth, kRegimeTitles[r]);
    }
    std::printf("\n");
}

void PrintTimes(const Grid& grid) {
    std::printf("\n%d x %d grid: %.0f triangles; document %.1f MB, OBJ %.1f MB; medians of %zu "
                "rounds\n",
                grid.files.cells, grid.files.cells, grid.files.Triangles(),
                grid.files.documentBytes / 1e6, grid.files.objBytes / 1e6,
                grid.seconds[0][0].size());
    PrintRegimeHeads(36, 42);
    std::printf("  %-36s", "");
    for (int r = 0; r < kRegimeCount; ++r) {
        std::printf("  %10s %14s %15s", "median", "vs tinyobj", "vs fread");
    }
    std::printf("\n");
    for (int c = 0; c < kContenderCount; ++c) {
        std::printf("  %-36s", kContenderNames[c]);
        for (int r = 0; r < kRegimeCount; ++r) {
            const double median = Median(grid.seconds[r][c]);
            std::printf("  %7.1f ms %7.2f x fast %8.1f x time", median * 1e3,
                        Median(grid.seconds[r][kTinyObj]) / median,
                        median / Median(grid.seconds[r][kFread]));
        }
        std::printf("\n");
    }
}

void PrintLinearity(const Grid& small, const Grid& large) {
    std::printf("\nTime per triangle, %d x %d against %d x %d (1.0 = linear):\n", large.files.cells,
                large.files.cells, small.files.cells, small.files.cells);
    PrintRegimeHeads(36, 42);
    for (int c = 0; c < kContenderCount; ++c) {
        std::printf("  %-36s", kContenderNames[c]);
        for (int r = 0; r < kRegimeCount; ++r) {
            const double perSmall = Median(small.seconds[r][c]) / small.files.Triangles();
            const double perLarge = Median(large.seconds[r][c]) / large.files.Triangles();
            std::printf("  %6.1f ns -> %6.1f ns: %5.2f %11s", perSmall * 1e9, perLarge * 1e9,
                        perLarge / perSmall, "");
        }
        std::printf("\n");
    }
}

// The stages of the whole load, each the difference of two contenders that
// stop before and after it; the numbers come from the table of their costs,
// read from warm memory. Then the load against its peer and its floors.
void PrintStages(const Grid& grid, double numberSeconds) {
    std::printf("\nStages of the whole load, %d x %d grid (medians; differences of the rows "
                "above):\n",
                grid.files.cells, grid.files.cells);
    PrintRegimeHeads(36, 42);
    const auto median = [&](int regime, Contender contender) {
        return Median(grid.seconds[regime][contender]);
    };
    const struct {
        const char* name;
        Contender from;
        Contender to;
    } stages[] = {{"read the file (fread)", kContenderCount, kFread},
                  {"cut the lines", kFread, kLines},
                  {"numbers and structure, records", kLines, kReader},
                  {"smoothing", kReader, kSmoothed},
                  {"vertex writes, the rest", kSmoothed, kWholeLoad}};
    for (const auto& stage : stages) {
        std::printf("  %-36s", stage.name);
        for (int r = 0; r < kRegimeCount; ++r) {
            const double from = stage.from == kContenderCount ? 0.0 : median(r, stage.from);
            const double seconds = median(r, stage.to) - from;
            std::printf("  %7.1f ms %6.0f %% %24s", seconds * 1e3,
                        100.0 * seconds / median(r, kWholeLoad), "");
        }
        std::printf("\n");
    }
    std::printf("  %-36s", "  of which numbers (warm memory)");
    for (int r = 0; r < kRegimeCount; ++r) {
        std::printf("  %7.1f ms %6.0f %% %24s", numberSeconds * 1e3,
                    100.0 * numberSeconds / median(r, kWholeLoad), "");
    }
    std::printf("\n  %-36s", "Load: x faster than tinyobjloader");
    for (int r = 0; r < kRegimeCount; ++r) {
        std::printf("  %7.2f x, %5.1f x the time of fread %11s",
                    median(r, kTinyObj) / median(r, kReader),
                    median(r, kReader) / median(r, kFread), "");
    }
    std::printf("\n  %-36s", "whole load: x faster than tinyobj");
    for (int r = 0; r < kRegimeCount; ++r) {
        std::printf("  %7.2f x, %5.2f x fresh memory + fread %7s",
                    median(r, kTinyObj) / median(r, kWholeLoad),
                    median(r, kWholeLoad) / (median(r, kFirstTouch) + median(r, kFread)), "");
    }
    std::printf("\n");
}

void PrintPeakMemory(const Grid& grid) {
    std::printf("\nPeak resident memory of a load against what the model holds, %d x %d grid:\n",
                grid.files.cells, grid.files.cells);
    PrintRegimeHeads(36, 42);
    for (const Contender contender : {kReader, kWholeLoad}) {
        std::printf("  %-36s", kContenderNames[contender]);
        for (int r = 0; r < kRegimeCount; ++r) {
            const PeakMemory& memory =
                contender == kReader ? grid.memory[r].reader : grid.memory[r].whole;
            if (!memory.measured || memory.held.heldBytes == 0) {
                std::printf("  %-42s", "not measurable here");
                continue;
            }
            std::printf("  %6.1f / %6.1f MB: %4.2f x, %5.1f MB huge", memory.peakBytes / 1e6,
                        memory.held.heldBytes / 1e6,
                        static_cast<double>(memory.peakBytes) /
                            static_cast<double>(memory.held.heldBytes),
                        memory.held.hugePageBytes / 1e6);
        }
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= kChildFixedArguments && std::string(argv[1]) == kChildFlag) {
        return RunChild(argc, argv);
    }
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
    double numberSeconds = 0.0;
    for (const int cells : sizes) {
        if (GridOf(grids, cells) != nullptr) {
            continue;
        }
        Grid grid;
        GridFiles& files = grid.files;
        files.cells = cells;
        const std::string stem = "grid" + std::to_string(cells);
        const std::string document = GridDocument(cells);
        folder.Write(stem + ".mqo", document);
        files.documentBytes = document.size();
        const std::string obj = GridObj(cells);
        folder.Write(stem + ".obj", obj);
        files.objBytes = obj.size();
        files.documentName = folder.NameFromExecutable(stem + ".mqo");
        files.documentPath = folder.PathOf(stem + ".mqo").string();
        files.objPath = folder.PathOf(stem + ".obj").string();
        grids.push_back(std::move(grid));
        if (cells == sizes.back()) {
            numberSeconds = PrintNumberCosts(document, cells);
        }
    }
    std::printf("Transparent huge pages: %s. Each regime runs in processes of its own.\n",
                TransparentHugePageMode().c_str());
    std::fflush(stdout);

    for (int r = 0; r < kRegimeCount; ++r) {
        const auto regime = static_cast<PageRegime>(r);
        GatherMemory(regime, RunInRegime(regime, ChildArguments(regime, kMemoryTask, grids)),
                     grids);
    }
    for (Grid& grid : grids) {
        grid.held = grid.memory[kColdPages].whole.held;
    }

    // A first round that is not counted warms the page cache and the code.
    for (int round = -1; round < rounds; ++round) {
        for (int i = 0; i < kRegimeCount; ++i) {
            const auto regime = static_cast<PageRegime>((i + std::max(round, 0)) % kRegimeCount);
            const std::string output =
                RunInRegime(regime, ChildArguments(regime, std::to_string(round), grids));
            if (round >= 0) {
                GatherTimes(regime, output, grids);
            }
        }
    }
    for (const Grid& grid : grids) {
        PrintTimes(grid);
    }
    if (grids.size() >= 2) {
        PrintLinearity(grids.front(), grids.back());
    }
    PrintStages(grids.back(), numberSeconds);
    for (const Grid& grid : grids) {
        PrintPeakMemory(grid);
    }
    return 0;
}
