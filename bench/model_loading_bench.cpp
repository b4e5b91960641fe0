#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "model/model.h"
#include "tests/support/image_files.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_files.h"

namespace {

// A document as a modelling program writes it: a textured material and a
// terrain object of cells x cells quads with UVs, and an animated object.
std::string LargeDocument(int cells, const std::string& texture) {
    std::string text = "Metasequoia Document\nFormat Text Ver 1.0\n\nScene {\n\tpos 0 0 1500\n}\n"
                       "Material 2 {\n\t\"ground\" shader(3) col(0.600 0.700 0.500 1.000) "
                       "dif(0.800) amb(0.600) emi(0.000) spc(0.000) power(5.00) tex(\"" +
                       texture + "\")\n\t\"rock\" col(0.5 0.5 0.5 1)\n}\n";
    const int side = cells + 1;
    text += "Object \"terrain\" {\n\tvisible 15\n\tfacet 59.5\n\tvertex " +
            std::to_string(side * side) + " {\n";
    char line[160];
    for (int z = 0; z < side; ++z) {
        for (int x = 0; x < side; ++x) {
            std::snprintf(line, sizeof line, "\t\t%.4f %.4f %.4f\n", 10.0 * x,
                          5.0 * std::sin(0.3 * x) * std::cos(0.2 * z), 10.0 * z);
            text += line;
        }
    }
    text += "\t}\n\tface " + std::to_string(cells * cells) + " {\n";
    for (int z = 0; z < cells; ++z) {
        for (int x = 0; x < cells; ++x) {
            const int a = z * side + x;
            std::snprintf(line, sizeof line,
                          "\t\t4 V(%d %d %d %d) M(%d) UV(0.00000 0.00000 0.00000 1.00000 1.00000 "
                          "1.00000 1.00000 0.00000)\n",
                          a, a + side, a + side + 1, a + 1, (x * z) % 7 == 0 ? 1 : 0);
            text += line;
        }
    }
    text += "\t}\n}\nObject \"flag\" {\n\tvertex 3 {\n\t\t0 0 0\n\t\t0 10 0\n\t\t5 8 0\n\t}\n"
            "\tface 1 {\n\t\t3 V(0 1 2) M(0)\n\t}\n\tanimation \"wave\" {\n";
    for (int k = 0; k < 240; ++k) {
        std::snprintf(line, sizeof line, "\t\t1 0 0 0 0 1 0 0 0 0 1 0 %.3f 0 0 1\n", 0.1 * k);
        text += line;
    }
    return text + "\t}\n}\nEof\n";
}

void BM_LoadFromFile(benchmark::State& state) {
    const ScratchFolder textures("TEXTURE");
    textures.Write("ground.png", EncodePng(TestImage::Solid(64, 64, Rgba{90, 120, 60, 255})));
    const ScratchFolder documents;
    const std::string text =
        LargeDocument(static_cast<int>(state.range(0)), textures.NameFromParent("ground.png"));
    documents.Write("large.mqo", text);
    const std::string name = documents.NameFromExecutable("large.mqo");

    RecordingDevice device;
    device.recordCalls = false;
    for (auto _ : state) {
        auto model = std::make_unique<Model>();
        if (!model->LoadFromFile(name, &device)) {
            state.SkipWithError("the document did not load");
            break;
        }
        benchmark::DoNotOptimize(model->objects.data());
        state.PauseTiming();
        model.reset();
        device.vertexBuffers.clear(); // the recording device keeps released objects
        device.textures.clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}

BENCHMARK(BM_LoadFromFile)->Arg(300)->Unit(benchmark::kMillisecond);

} // namespace
