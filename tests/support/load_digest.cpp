#include "tests/support/load_digest.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "model/model.h"
#include "model/tokenizer.h"
#include "tests/support/memory_stream.h"
#include "tests/support/recording_device.h"

namespace {

// Records as the reader leaves them; with built set also what mesh building adds.
void AddModel(Digest& digest, const Model& model, bool built) {
    digest.Value(model.collisionObject);
    digest.Value(model.materials.size());
    for (const Material& material : model.materials) {
        digest.Text(material.name);
        digest.Floats(&material.color, 4);
        for (float factor : {material.diffuse, material.ambient, material.emissive,
                             material.specular, material.power}) {
            digest.Value(factor);
        }
        digest.Text(material.textureName);
        digest.Text(material.alphaPlaneName);
        digest.Text(material.bumpName);
        digest.Floats(&material.deviceMaterial, sizeof(D3DMATERIAL9) / sizeof(float));
    }
    digest.Value(model.animationNames.size());
    for (const std::string& name : model.animationNames) {
        digest.Text(name);
    }
    digest.Value(model.objects.size());
    for (const ModelObject& object : model.objects) {
        digest.Text(object.name);
        digest.Value(object.mirrorAxis);
        digest.Value(object.facet);
        digest.Value(object.vertices.size());
        for (const D3DXVECTOR3& vertex : object.vertices) {
            digest.Value(vertex.x);
            digest.Value(vertex.y);
            digest.Value(vertex.z);
        }
        digest.Value(object.faces.size());
        for (const Face& face : object.faces) {
            digest.Value(face.material);
            digest.Value(face.indices.size());
            for (int index : face.indices) {
                digest.Value(index);
            }
            digest.Value(face.uvs.size());
            for (const TexCoord& uv : face.uvs) {
                digest.Value(uv.u);
                digest.Value(uv.v);
            }
            digest.Value(face.corners.size());
            if (!built) {
                continue;
            }
            digest.Value(face.normal.x);
            digest.Value(face.normal.y);
            digest.Value(face.normal.z);
            for (const CornerNormal& corner : object.CornersOf(face)) {
                digest.Value(corner.normal.x);
                digest.Value(corner.normal.y);
                digest.Value(corner.normal.z);
                digest.Value(object.FaceIndicesOf(corner).size());
                for (int listed : object.FaceIndicesOf(corner)) {
                    digest.Value(listed);
                }
            }
        }
        digest.Value(object.materialTriangleCounts.size());
        for (int count : object.materialTriangleCounts) {
            digest.Value(count);
        }
        digest.Value(object.animations.size());
        for (const KeyList& keys : object.animations) {
            digest.Value(keys.size());
            for (const D3DXMATRIX& key : keys) {
                digest.Floats(&key, 16);
            }
        }
        digest.Floats(&object.transform, 16);
        digest.Value(object.vertexBuffer != nullptr);
    }
}

} // namespace

void Digest::Bytes(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        hash_ = (hash_ ^ bytes[i]) * 1099511628211ull;
    }
}

void Digest::Value(float value) {
    if (std::isnan(value)) {
        value = std::numeric_limits<float>::quiet_NaN();
    }
    Bytes(&value, sizeof value);
}

void Digest::Floats(const void* data, std::size_t count) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < count; ++i) {
        float value = 0.0f;
        std::memcpy(&value, bytes + i * sizeof(float), sizeof value);
        Value(value);
    }
}

void Digest::Text(const std::string& text) {
    Value(text.size());
    Bytes(text.data(), text.size());
}

std::uint64_t TokenDigest(const std::string& bytes) {
    MemoryStream input(bytes);
    AsciiFileString tokens(input.get());
    Digest digest;
    for (;;) {
        const int count = tokens.ReadLine();
        digest.Value(count);
        if (count == -1) {
            return digest.Result();
        }
        for (int i = 0; i < count; ++i) {
            digest.Text(std::string(tokens.Token(i)));
        }
    }
}

std::uint64_t ReaderDigest(int result, const Model& model) {
    Digest digest;
    digest.Value(result);
    AddModel(digest, model, false);
    return digest.Result();
}

std::uint64_t LoadedDigest(bool result, const Model& model, const RecordingDevice& device) {
    Digest digest;
    digest.Value(result);
    AddModel(digest, model, true);
    // Each object's buffer in object order: faces whose material lies outside
    // the list take room that is never written, so only the ranges count.
    for (const ModelObject& object : model.objects) {
        if (object.vertexBuffer == nullptr) {
            continue;
        }
        const RecordingVertexBuffer* buffer = nullptr;
        for (const auto& made : device.vertexBuffers) {
            if (made.get() == object.vertexBuffer) {
                buffer = made.get();
            }
        }
        if (buffer == nullptr) {
            digest.Value(-1);
            continue;
        }
        digest.Value(buffer->length);
        digest.Value(buffer->usage);
        digest.Value(buffer->fvf);
        digest.Value(buffer->pool);
        std::size_t drawn = 0;
        for (int count : object.materialTriangleCounts) {
            drawn += 3 * static_cast<std::size_t>(count) * 32;
        }
        digest.Value(drawn);
        digest.Floats(buffer->bytes.data(), std::min(drawn, buffer->bytes.size()) / sizeof(float));
    }
    return digest.Result();
}
