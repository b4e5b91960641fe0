#include "bench/load_speed/contenders.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <time.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <tiny_obj_loader.h>

#include "bench/load_speed/model_footprint.h"
#include "model/loader_mqa.h"
#include "model/model.h"
#include "model/tokenizer.h"
#include "platform/services/large_pages.h"
#include "render/mesh_builder.h"
#include "tests/support/plain_buffer_device.h"
#include "tests/support/recording_device.h"

const char* const kContenderNames[kContenderCount] = {"fread of the document",
                                                      "fresh memory, what the load holds",
                                                      "tinyobjloader on the OBJ, parse only",
                                                      "lines cut, not read",
                                                      "LoaderMQA::Load",
                                                      "Load and smoothing",
                                                      "Model::LoadFromFile, meshes built"};

namespace {

// Each run checks what it read, so a broken contender cannot look fast.
[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "korvane_load_speed: %s\n", what.c_str());
    std::exit(1);
}

// Made and touched when the program starts, so that no run pays for its pages.
std::vector<char> freadBuffer(1 << 20);

void ReadWholeFile(const std::string& path, std::size_t expected) {
    std::vector<char>& buffer = freadBuffer;
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

void ParseObj(const GridFiles& grid) {
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

std::unique_ptr<Model> ReadDocument(const GridFiles& grid) {
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

// The lines as the reader cuts them from the file, none of them split or read.
void CutLines(const GridFiles& grid) {
    std::FILE* file = std::fopen(grid.documentPath.c_str(), "rb");
    if (file == nullptr) {
        Fail("cannot open " + grid.documentPath);
    }
    AsciiFileString lines(file);
    long long count = 0;
    while (lines.TakeLine() != nullptr) {
        ++count;
    }
    std::fclose(file);
    if (count < grid.Triangles() / 2) {
        Fail("too few lines in " + grid.documentPath);
    }
}

std::unique_ptr<Model> ReadAndSmooth(const GridFiles& grid) {
    std::unique_ptr<Model> model = ReadDocument(grid);
    for (ModelObject& object : model->objects) {
        SmoothCorners(object);
    }
    if (model->objects[0].cornerNormals.size() != 2 * grid.Triangles()) {
        Fail("the corners of " + grid.documentPath + " were not smoothed");
    }
    return model;
}

std::unique_ptr<Model> LoadWhole(const GridFiles& grid, IDirect3DDevice9& device) {
    auto model = std::make_unique<Model>();
    if (!model->LoadFromFile(grid.documentName, &device) || model->objects.size() != 1 ||
        model->objects[0].materialTriangleCounts.size() != 2) {
        Fail("LoadFromFile did not load " + grid.documentName);
    }
    return model;
}

// The processor time of this process, its own and the system's on its behalf
// (page faults, reading the file): on a machine shared with other work, time
// when the process does not run is not the load's.
double ProcessSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The other ceiling: taking as much memory from the system as the whole load
// ends up holding, one write per page, as every load's first touches do. The
// records' share is advised as the model advises its largest lists; the
// buffers' share is taken as the device hands its buffers out.
void TouchFreshMemory(std::size_t bytes, bool advised) {
    if (bytes == 0) {
        return;
    }
    const std::unique_ptr<char[]> memory(new char[bytes]);
    if (advised) {
        AdviseLargePages(memory.get(), bytes);
    }
    for (std::size_t at = 0; at < bytes; at += 4096) {
        memory[at] = static_cast<char>(at);
    }
    volatile char sink = memory[bytes / 2];
    static_cast<void>(sink);
}

} // namespace

double TimeRun(Contender contender, const GridFiles& grid, const Footprint& held) {
    PlainBufferDevice device;
    std::unique_ptr<Model> model;
    const double start = ProcessSeconds();
    switch (contender) {
    case kFread:
        ReadWholeFile(grid.documentPath, grid.documentBytes);
        break;
    case kFirstTouch:
        TouchFreshMemory(held.heldBytes - held.bufferBytes, true);
        TouchFreshMemory(held.bufferBytes, false);
        break;
    case kTinyObj:
        ParseObj(grid);
        break;
    case kLines:
        CutLines(grid);
        break;
    case kReader:
        model = ReadDocument(grid);
        break;
    case kSmoothed:
        model = ReadAndSmooth(grid);
        break;
    default:
        model = LoadWhole(grid, device);
        break;
    }
    const double stop = ProcessSeconds();
    model.reset();
#ifdef __GLIBC__
    // Memory the allocator kept from the run before would spare the smaller
    // sizes the cost of first touches that the larger ones pay.
    malloc_trim(0);
#endif
    return stop - start;
}

LoadMemory MeasureLoadMemory(const GridFiles& grid) {
    LoadMemory memory;
    memory.reader = MeasurePeakMemory([&] {
        const std::unique_ptr<Model> model = ReadDocument(grid);
        return Footprint{RecordBytes(*model), HugePageBytes()};
    });
    memory.whole = MeasurePeakMemory([&] {
        RecordingDevice device;
        device.recordCalls = false;
        const std::unique_ptr<Model> model = LoadWhole(grid, device);
        const std::size_t buffers = VertexBufferBytes(*model);
        return Footprint{RecordBytes(*model) + buffers, HugePageBytes(), buffers};
    });
    return memory;
}
