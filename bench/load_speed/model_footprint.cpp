#include "bench/load_speed/model_footprint.h"

#include <string>
#include <vector>

#include "model/model.h"
#include "tests/support/recording_device.h"

namespace {

template <typename T> std::size_t ListBytes(const std::vector<T>& list) {
    return list.capacity() * sizeof(T);
}

// Heap bytes of a string: nothing while it fits in place.
std::size_t TextBytes(const std::string& text) {
    return text.capacity() > std::string().capacity() ? text.capacity() + 1 : 0;
}

// Heap bytes of an inline list: nothing while its elements fit in place.
template <typename T, std::size_t N> std::size_t ListBytes(const InlineList<T, N>& list) {
    return list.size() > N ? list.size() * sizeof(T) : 0;
}

std::size_t FaceBytes(const Face& face) {
    return ListBytes(face.indices) + ListBytes(face.uvs);
}

std::size_t ObjectBytes(const ModelObject& object) {
    std::size_t bytes = TextBytes(object.name) + ListBytes(object.vertices) +
                        ListBytes(object.faces) + ListBytes(object.cornerNormals) +
                        ListBytes(object.cornerFaceIndices) +
                        ListBytes(object.materialTriangleCounts) + ListBytes(object.animations);
    for (const Face& face : object.faces) {
        bytes += FaceBytes(face);
    }
    for (const KeyList& keys : object.animations) {
        bytes += ListBytes(keys);
    }
    return bytes;
}

} // namespace

std::size_t RecordBytes(const Model& model) {
    std::size_t bytes = sizeof(Model) + ListBytes(model.objects) + ListBytes(model.materials) +
                        ListBytes(model.animationNames);
    for (const ModelObject& object : model.objects) {
        bytes += ObjectBytes(object);
    }
    for (const Material& material : model.materials) {
        bytes += TextBytes(material.name) + TextBytes(material.textureName) +
                 TextBytes(material.alphaPlaneName) + TextBytes(material.bumpName);
    }
    for (const std::string& name : model.animationNames) {
        bytes += TextBytes(name);
    }
    return bytes;
}

std::size_t VertexBufferBytes(const Model& model) {
    std::size_t bytes = 0;
    for (const ModelObject& object : model.objects) {
        if (object.vertexBuffer != nullptr) {
            bytes += static_cast<const RecordingVertexBuffer*>(object.vertexBuffer)->length;
        }
    }
    return bytes;
}
