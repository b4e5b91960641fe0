#include <benchmark/benchmark.h>

#include <memory>

#include "render/mesh_builder.h"
#include "render/model_drawing.h"
#include "tests/support/recording_device.h"

namespace {

// A box of the given size, with the top in material 0 and the sides in 1.
ModelObject Box(const std::string& name, float size) {
    ModelObject object;
    object.name = name;
    object.vertices = {{0, 0, 0},    {size, 0, 0},    {size, 0, size},    {0, 0, size},
                       {0, size, 0}, {size, size, 0}, {size, size, size}, {0, size, size}};
    const int quads[6][4] = {{4, 7, 6, 5}, {0, 1, 2, 3}, {0, 4, 5, 1},
                             {1, 5, 6, 2}, {2, 6, 7, 3}, {3, 7, 4, 0}};
    for (int q = 0; q < 6; ++q) {
        Face face;
        face.material = q == 0 ? 0 : 1;
        face.indices = {quads[q][0], quads[q][1], quads[q][2], quads[q][3]};
        object.faces.push_back(face);
    }
    return object;
}

// One tick of the game's drawing: the unit (body parts with 24 keys and a
// collision object), then the loaded tile and its 99 copies.
void BM_DrawScene(benchmark::State& state) {
    RecordingDevice device;
    auto unit = std::make_unique<Model>();
    unit->materials.resize(3);
    for (const char* part : {"body", "head", "arm.L", "arm.R", "leg.L", "leg.R", "sword"}) {
        unit->objects.push_back(Box(part, 20.0f));
        unit->objects.back().animations = {KeyList(24, IdentityMatrix())};
    }
    unit->objects.push_back(Box("collision", 40.0f));
    unit->collisionObject = static_cast<int>(unit->objects.size()) - 1;
    unit->BuildMeshes(&device);

    std::vector<std::unique_ptr<Model>> tiles;
    tiles.push_back(std::make_unique<Model>());
    tiles[0]->materials.resize(2);
    tiles[0]->objects.push_back(Box("tile", 100.0f));
    tiles[0]->BuildMeshes(&device);
    for (int i = 1; i < 100; ++i) {
        tiles.push_back(std::make_unique<Model>());
        tiles.back()->CopyContentFrom(*tiles[0]);
    }
    for (int i = 0; i < 100; ++i) {
        D3DXMatrixTranslation(&tiles[static_cast<std::size_t>(i)]->world, 100.0f * (i % 10), 0.0f,
                              100.0f * (i / 10));
    }

    device.recordCalls = false;
    for (auto _ : state) {
        DrawModel(*unit, &device);
        for (const auto& tile : tiles) {
            DrawModel(*tile, &device);
        }
    }
    state.counters["draws/tick"] =
        static_cast<double>(device.drawCalls) / static_cast<double>(state.iterations());

    // The copies borrow the tile's buffers: they are discarded without release.
    for (std::size_t i = 1; i < tiles.size(); ++i) {
        for (ModelObject& object : tiles[i]->objects) {
            object.vertexBuffer = nullptr;
        }
    }
}

BENCHMARK(BM_DrawScene)->Unit(benchmark::kMicrosecond);

} // namespace
