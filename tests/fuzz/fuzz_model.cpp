// Feeds arbitrary bytes through the whole model load, as the game loads a
// model file: the reader, the collision object, the textures and the meshes
// (corner normals, vertex buffers) on the recording device; then draws the
// model once. Every vertex must be written inside its buffer, exactly where a
// draw range will read it, every draw range must lie inside its buffer, and
// every device object must be released exactly once.
//
// Texture names resolve against a TEXTURE folder beside this binary, which the
// build never makes, so no input reaches a file outside it.
#include <cstddef>
#include <cstdint>
#include <stdio.h> // fmemopen
#include <utility>

#include "model/model.h"
#include "render/mesh_builder.h"
#include "render/model_drawing.h"
#include "tests/fuzz/fuzz_checks.h"
#include "tests/support/recording_device.h"

namespace {

constexpr std::uint8_t kUnwrittenByte = 0xCD; // how the recording device fills a new buffer

const RecordingVertexBuffer* RecordedBuffer(const void* buffer) {
    return static_cast<const RecordingVertexBuffer*>(
        static_cast<const IDirect3DVertexBuffer9*>(buffer));
}

// A written vertex always has a normal of unit length, (0, 1, 0), or no
// number at all; a normal of untouched bytes is none of these.
bool IsWritten(const RecordingVertexBuffer& buffer, std::size_t vertex) {
    const std::uint8_t* normal =
        buffer.bytes.data() + vertex * sizeof(MeshVertex) + offsetof(MeshVertex, nx);
    for (std::size_t i = 0; i < 3 * sizeof(float); ++i) {
        if (normal[i] != kUnwrittenByte) {
            return true;
        }
    }
    return false;
}

void CheckMeshes(const Model& model) {
    for (const ModelObject& object : model.objects) {
        Require(object.materialTriangleCounts.size() == model.materials.size(),
                "one triangle count per material");
        std::size_t drawn = 0;
        for (const int triangles : object.materialTriangleCounts) {
            Require(triangles >= 0, "no negative triangle count");
            drawn += 3 * static_cast<std::size_t>(triangles);
        }
        if (object.vertexBuffer == nullptr) {
            Require(drawn == 0, "nothing is drawn without a buffer");
            continue;
        }
        const RecordingVertexBuffer& buffer = *RecordedBuffer(object.vertexBuffer);
        Require(buffer.length % sizeof(MeshVertex) == 0, "a buffer holds whole vertices");
        Require(!buffer.locked, "every buffer is unlocked");
        const std::size_t vertices = buffer.length / sizeof(MeshVertex);
        Require(drawn <= vertices, "the triangle counts fit the buffer");
        for (std::size_t vertex = 0; vertex < vertices; ++vertex) {
            Require(IsWritten(buffer, vertex) == (vertex < drawn),
                    "vertices are written exactly where the draw ranges lie");
        }
    }
}

void CheckDrawRanges(const RecordingDevice& device) {
    const RecordingVertexBuffer* stream = nullptr;
    for (const DeviceCall& call : device.calls) {
        if (call.op == DeviceOp::SetStreamSource) {
            stream = RecordedBuffer(call.object);
        } else if (call.op == DeviceOp::DrawPrimitive) {
            Require(stream != nullptr, "a draw call has a vertex buffer");
            const std::uint64_t end = static_cast<std::uint64_t>(call.args[1]) +
                                      3 * static_cast<std::uint64_t>(call.args[2]);
            Require(end <= stream->length / sizeof(MeshVertex),
                    "a draw range lies inside its buffer");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static RecordingDevice device; // made once; emptied after every input
    // Opened for reading only, so the bytes are never written.
    FileHandle file(fmemopen(const_cast<std::uint8_t*>(data), size, "rb"));
    if (file == nullptr) {
        return 0;
    }
    {
        Model model;
        model.LoadFromOpenFile(std::move(file), &device);
        CheckMeshes(model);
        device.ClearCalls();
        DrawModel(model, &device);
        CheckDrawRanges(device);
    }
    Require(device.LiveVertexBuffers() == 0 && device.LiveTextures() == 0 &&
                device.OverReleases() == 0,
            "the model releases every device object it made, once");
    device.vertexBuffers.clear();
    device.textures.clear();
    device.ClearCalls();
    return 0;
}
