// Feeds arbitrary bytes to the document reader. Whatever the bytes, Load must
// return one of its codes without crashing, hanging, leaking or reading out of
// bounds, and the faces it keeps must hold to their limits.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdio.h> // fmemopen

#include "model/loader_mqa.h"
#include "model/model.h"

namespace {

bool FacesKeepTheirLimits(const Model& model) {
    for (const ModelObject& object : model.objects) {
        for (const Face& face : object.faces) {
            if (face.indices.size() > 4 ||
                (!face.uvs.empty() && face.uvs.size() != face.indices.size()) ||
                !face.corners.empty()) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The stream is opened for reading only, so the bytes are never written.
    std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (stream == nullptr) {
        return 0;
    }
    Model model;
    int result = 0;
    {
        LoaderMQA loader(stream, &model);
        result = loader.Load();
    }
    std::fclose(stream);
    if (result > kLoadOk || result < kLoadBadVersion || !FacesKeepTheirLimits(model)) {
        std::abort();
    }
    return 0;
}
