#include <benchmark/benchmark.h>

#include <cmath>

#include "render/mesh_builder.h"
#include "tests/support/recording_device.h"

namespace {

// A rolling terrain of cells x cells quads, each cut into two triangles that
// share their vertices with the neighbours, smoothed at 59.5 degrees.
ModelObject Terrain(int cells) {
    ModelObject object;
    object.facet = 59.5f;
    const int side = cells + 1;
    object.vertices.reserve(static_cast<std::size_t>(side) * side);
    for (int z = 0; z < side; ++z) {
        for (int x = 0; x < side; ++x) {
            const float height = 3.0f * std::sin(0.3f * x) * std::cos(0.2f * z);
            object.vertices.emplace_back(static_cast<float>(x), height, static_cast<float>(z));
        }
    }
    object.faces.reserve(2 * static_cast<std::size_t>(cells) * cells);
    for (int z = 0; z < cells; ++z) {
        for (int x = 0; x < cells; ++x) {
            const int a = z * side + x;
            Face face;
            face.material = (x + z) % 2;
            face.indices = {a, a + side, a + 1};
            face.uvs = {{0.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 0.0f}};
            object.faces.push_back(face);
            face.indices = {a + 1, a + side, a + side + 1};
            face.uvs = {{1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};
            object.faces.push_back(face);
        }
    }
    return object;
}

void BM_BuildMesh(benchmark::State& state) {
    const auto triangles = static_cast<double>(state.range(0));
    const int cells = static_cast<int>(std::lround(std::sqrt(triangles / 2.0)));
    const ModelObject terrain = Terrain(cells);
    const std::vector<Material> materials(2);
    RecordingDevice device;
    device.recordCalls = false;
    for (auto _ : state) {
        state.PauseTiming();
        ModelObject object = terrain;
        state.ResumeTiming();
        BuildMesh(object, &device, materials);
        benchmark::DoNotOptimize(object.vertexBuffer);
        state.PauseTiming();
        object.vertexBuffer->Release();
        device.vertexBuffers.clear(); // the recording device keeps released buffers
        state.ResumeTiming();
    }
    const auto built = static_cast<std::int64_t>(terrain.faces.size());
    state.SetItemsProcessed(state.iterations() * built);
    state.SetComplexityN(built);
    state.counters["triangles"] = static_cast<double>(built);
}

BENCHMARK(BM_BuildMesh)
    ->Arg(250'000)
    ->Arg(500'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace
