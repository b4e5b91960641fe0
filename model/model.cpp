#include "model/model.h"

#include "platform/sdk/com_release.h"

Material::Material() {
    UpdateDeviceMaterial();
}

void Material::UpdateDeviceMaterial() {
    const float r = color.r;
    const float g = color.g;
    const float b = color.b;
    const float a = color.a;
    deviceMaterial.Diffuse = {diffuse * r, diffuse * g, diffuse * b, a};
    deviceMaterial.Ambient = {ambient * r, ambient * g, ambient * b, a};
    // Specular is grey at the specular level; it never takes the base colour.
    deviceMaterial.Specular = {specular, specular, specular, a};
    deviceMaterial.Emissive = {emissive * r, emissive * g, emissive * b, a};
    deviceMaterial.Power = power;
}

namespace {

template <typename T> std::span<const T> Within(const std::vector<T>& list, ListRange range) {
    if (range.first > list.size() || range.count > list.size() - range.first) {
        return {};
    }
    return {list.data() + range.first, range.count};
}

} // namespace

std::span<const CornerNormal> ModelObject::CornersOf(const Face& face) const {
    return Within(cornerNormals, face.corners);
}

std::span<const int> ModelObject::FaceIndicesOf(const CornerNormal& corner) const {
    return Within(cornerFaceIndices, corner.faceIndices);
}

Model::~Model() {
    for (ModelObject& object : objects) {
        ReleaseAndClear(object.vertexBuffer);
    }
    for (Material& material : materials) {
        ReleaseAndClear(material.texture);
    }
    // Lists go in reverse order of declaration, each left without storage.
    std::vector<std::string>().swap(animationNames);
    std::vector<Material>().swap(materials);
    std::vector<ModelObject>().swap(objects);
}

void Model::CopyContentFrom(const Model& source) {
    objects = source.objects;
    materials = source.materials;
    animationNames = source.animationNames;
}
