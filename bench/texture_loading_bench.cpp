// Loading the game's own textures as the game does, and decoding them alone,
// with the build's stb_image and, where Debian 12's is installed, with that
// one (2.27) side by side in the same process. Compare the pairs with
//   build/host/bench/korvane_bench --benchmark_filter=GameTextures
//   --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include <stb_image.h>

#include "platform/d3dx/d3dx_texture.h"
#include "tests/support/recording_device.h"

#if defined(KORVANE_DEBIAN12_STB_IMAGE)
#include "bench/texture_loading/debian12_loader.h"
#endif

namespace {

const char* const kTextures[] = {"armour_plate.bmp", "earth_side.bmp", "grass_top.png",
                                 "shield_emblem.png"};

std::string TexturePath(const char* name) {
    return std::string(KORVANE_SOURCE_DIR) + "/assets/TEXTURE/" + name;
}

using Loader = decltype(&D3DXCreateTextureFromFileExA);

void BM_LoadGameTextures(benchmark::State& state, Loader load) {
    RecordingDevice device;
    device.recordCalls = false;
    for (auto _ : state) {
        for (const char* name : kTextures) {
            IDirect3DTexture9* texture = nullptr;
            // The game's arguments (model/material_texture.cpp).
            if (load(&device, TexturePath(name).c_str(), 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                     D3DPOOL_MANAGED, D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, 0, nullptr, nullptr,
                     &texture) != S_OK) {
                state.SkipWithError(name);
                return;
            }
            texture->Release();
        }
        state.PauseTiming();
        device.textures.clear(); // the recording device keeps released objects
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(std::size(kTextures)));
}

using Decoder = bool (*)(std::span<const unsigned char>);

bool DecodeToRgba(std::span<const unsigned char> bytes) {
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* texels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width,
                                            &height, &channels, 4);
    stbi_image_free(texels);
    return texels != nullptr;
}

void BM_DecodeGameTextures(benchmark::State& state, Decoder decode) {
    std::vector<std::vector<unsigned char>> files;
    for (const char* name : kTextures) {
        std::ifstream file(TexturePath(name), std::ios::binary);
        files.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    for (auto _ : state) {
        for (const std::vector<unsigned char>& file : files) {
            if (!decode(file)) {
                state.SkipWithError("a texture did not decode");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(files.size()));
}

BENCHMARK_CAPTURE(BM_LoadGameTextures, build, &D3DXCreateTextureFromFileExA)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DecodeGameTextures, build, &DecodeToRgba)->Unit(benchmark::kMicrosecond);
#if defined(KORVANE_DEBIAN12_STB_IMAGE)
BENCHMARK_CAPTURE(BM_LoadGameTextures, debian12_stb_image,
                  &debian12_stb::D3DXCreateTextureFromFileExA)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DecodeGameTextures, debian12_stb_image, &debian12_stb::DecodeToRgba)
    ->Unit(benchmark::kMicrosecond);
#endif

} // namespace
