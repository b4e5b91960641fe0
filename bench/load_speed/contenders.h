// What the load speed benchmark times, each run on one grid written both as
// a Metasequoia document and as an OBJ file. Besides the floors, the peer and
// the two loads, the load's first stages alone, so that each stage's cost is
// the difference of two contenders.
#pragma once

#include <cstddef>
#include <string>

#include "bench/load_speed/peak_memory.h"

enum Contender {
    kFread,
    kFirstTouch,
    kTinyObj,
    kLines,     // the document's lines cut from the file, nothing read of them
    kReader,    // LoaderMQA::Load
    kSmoothed,  // LoaderMQA::Load and every object's corners smoothed
    kWholeLoad, // Model::LoadFromFile with meshes on a plain-buffer device
    kContenderCount
};

extern const char* const kContenderNames[kContenderCount];

// One grid's files, as the benchmark wrote them.
struct GridFiles {
    int cells = 0;
    std::string documentName; // relative to the executable, for LoadFromFile
    std::string documentPath;
    std::string objPath;
    std::size_t documentBytes = 0;
    std::size_t objBytes = 0;

    double Triangles() const { return 2.0 * cells * cells; }
};

// Times one run of contender on grid, in seconds of the process's processor
// time; fresh memory takes what held says the whole load holds. What the run
// leaves behind is freed outside the timing, and the allocator gives it back
// to the system, so every run starts from memory fresh from the system, as a
// program's first load does.
double TimeRun(Contender contender, const GridFiles& grid, const Footprint& held);

// Peak resident memory of the reader alone and of the whole load.
struct LoadMemory {
    PeakMemory reader;
    PeakMemory whole;
};

LoadMemory MeasureLoadMemory(const GridFiles& grid);
