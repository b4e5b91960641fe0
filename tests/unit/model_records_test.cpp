#include "model/model.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Rgba = std::array<float, 4>;
using Xyz = std::array<float, 3>;

Rgba Channels(const D3DCOLORVALUE& colour) {
    return {colour.r, colour.g, colour.b, colour.a};
}

Xyz Coordinates(const D3DXVECTOR3& vector) {
    return {vector.x, vector.y, vector.z};
}

// The four colours of a device material in their record order, r g b a each,
// then the power.
std::array<float, 17> Values(const D3DMATERIAL9& device) {
    static_assert(sizeof(D3DMATERIAL9) == 17 * sizeof(float));
    std::array<float, 17> values{};
    std::memcpy(values.data(), &device, sizeof device);
    return values;
}

} // namespace

TEST(ModelRecords, FreshModelIsEmptyUnplacedAndPlaying) {
    const Model model;
    EXPECT_TRUE(model.objects.empty() && model.materials.empty() && model.animationNames.empty());
    EXPECT_EQ(std::tuple(model.collisionObject, model.currentFrame, model.animationIndex,
                         model.loop, model.holdAtEnd, model.playing),
              std::tuple(-1, 0.0f, 0, true, false, true));
    EXPECT_EQ(model.world, IdentityMatrix());
    EXPECT_EQ((std::array{Coordinates(model.position), Coordinates(model.rotation),
                          Coordinates(model.scale)}),
              (std::array<Xyz, 3>{{{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f}}}));
}

TEST(ModelRecords, FreshObjectAndFaceHoldNothing) {
    const ModelObject object;
    EXPECT_TRUE(object.name.empty() && object.vertices.empty() && object.faces.empty() &&
                object.materialTriangleCounts.empty() && object.animations.empty());
    EXPECT_EQ(std::tuple(object.vertexBuffer, object.mirrorAxis, object.facet),
              std::tuple(nullptr, 0, 0.0f));
    EXPECT_EQ(object.transform, IdentityMatrix());
    const Face face;
    EXPECT_EQ(face.material, -1) << "a face without a material is never drawn";
    EXPECT_TRUE(face.indices.empty() && face.uvs.empty() && face.corners.empty());
}

TEST(ModelRecords, DefaultMaterialAndItsDeviceMaterial) {
    const Material material;
    EXPECT_EQ(std::tuple(material.name, Channels(material.color), material.diffuse,
                         material.ambient, material.emissive, material.specular, material.power),
              std::tuple("NoMaterial", Rgba{0.8f, 0.8f, 0.8f, 1.0f}, 1.0f, 1.0f, 0.0f, 0.0f, 0.2f));
    EXPECT_TRUE(material.textureName.empty() && material.alphaPlaneName.empty() &&
                material.bumpName.empty() && material.texture == nullptr);
    EXPECT_EQ(Values(material.deviceMaterial),
              (std::array{0.8f, 0.8f, 0.8f, 1.0f, 0.8f, 0.8f, 0.8f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f,
                          0.0f, 0.0f, 0.0f, 1.0f, 0.2f}));
}

TEST(ModelRecords, UpdateDeviceMaterialScalesTheBaseColourByEachFactor) {
    struct Case {
        D3DCOLORVALUE color;
        std::array<float, 5> factors; // diffuse, ambient, emissive, specular, power
        std::array<float, 17> want;   // Diffuse, Ambient, Specular, Emissive, Power
    };
    const Case cases[] = {
        {{1.0f, 0.0f, 0.0f, 0.5f},
         {0.5f, 0.25f, 1.0f, 0.75f, 5.0f},
         {0.5f, 0.0f, 0.0f, 0.5f, 0.25f, 0.0f, 0.0f, 0.5f, 0.75f, 0.75f, 0.75f, 0.5f, 1.0f, 0.0f,
          0.0f, 0.5f, 5.0f}},
        // Distinct powers of two in every slot, so a swapped factor or channel shows.
        {{0.5f, 0.25f, 0.125f, 0.0625f},
         {2.0f, 4.0f, 8.0f, 16.0f, 32.0f},
         {1.0f, 0.5f, 0.25f, 0.0625f, 2.0f, 1.0f, 0.5f, 0.0625f, 16.0f, 16.0f, 16.0f, 0.0625f, 4.0f,
          2.0f, 1.0f, 0.0625f, 32.0f}},
    };
    for (const Case& c : cases) {
        Material material;
        material.color = c.color;
        std::tie(material.diffuse, material.ambient, material.emissive, material.specular,
                 material.power) = std::tuple_cat(c.factors);
        material.UpdateDeviceMaterial();
        EXPECT_EQ(Values(material.deviceMaterial), c.want) << "diffuse factor " << c.factors[0];
    }
}

TEST(ModelRecords, CopiesOfAnObjectOwnTheirListsElementByElement) {
    ModelObject original{
        .name = "body",
        .mirrorAxis = 2,
        .facet = 59.5f,
        .vertices = {{1.0f, 2.0f, 3.0f}, {4.0f, 5.0f, 6.0f}},
        .faces = {{.material = 3,
                   .indices = {0, 1, 2, 3, 4, 5}, // beyond the inline storage
                   .uvs = {{0.0f, 0.5f}, {1.0f, 0.5f}},
                   .corners = {0, 1}}},
        .cornerNormals = {{{0.0f, 1.0f, 0.0f}, {0, 2}}},
        .cornerFaceIndices = {0, 7},
        .materialTriangleCounts = {2, 0, 1},
        .animations = {KeyList{IdentityMatrix(), D3DXMATRIX()}},
    };
    ModelObject copy = original;
    // Change every list of the original; the copy must not follow.
    original.name = "changed";
    original.vertices[0].x = -1.0f;
    original.faces[0].indices[5] = 99;
    original.faces[0].indices.push_back(6);
    original.faces[0].uvs[1].u = -1.0f;
    original.cornerNormals[0].normal.y = -1.0f;
    original.cornerFaceIndices.push_back(8);
    original.materialTriangleCounts[0] = 9;
    original.animations[0][0]._41 = 5.0f;

    EXPECT_EQ(std::tuple(copy.name, copy.mirrorAxis, copy.facet), std::tuple("body", 2, 59.5f));
    ASSERT_EQ(copy.vertices.size(), 2u);
    EXPECT_EQ(Coordinates(copy.vertices[0]), (Xyz{1.0f, 2.0f, 3.0f}));
    ASSERT_EQ(copy.faces.size(), 1u);
    EXPECT_EQ(copy.faces[0].material, 3);
    EXPECT_EQ(copy.faces[0].indices, (InlineList<int, 4>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(copy.faces[0].uvs, (InlineList<TexCoord, 4>{{0.0f, 0.5f}, {1.0f, 0.5f}}));
    ASSERT_EQ(copy.CornersOf(copy.faces[0]).size(), 1u);
    const CornerNormal& corner = copy.CornersOf(copy.faces[0])[0];
    EXPECT_EQ(corner.normal.y, 1.0f);
    const std::span<const int> listed = copy.FaceIndicesOf(corner);
    EXPECT_EQ(std::vector<int>(listed.begin(), listed.end()), (std::vector<int>{0, 7}));
    EXPECT_EQ(copy.materialTriangleCounts, (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(copy.animations[0][0], IdentityMatrix());
}

TEST(ModelRecords, CopiedMaterialKeepsItsNamesAndDeviceMaterial) {
    Material original;
    original.name = "stone";
    original.textureName = "stone wall.bmp";
    original.alphaPlaneName = "mask.bmp";
    original.bumpName = "bump.bmp";
    original.diffuse = 0.5f;
    original.UpdateDeviceMaterial();

    const Material copy = original;
    original.textureName.clear();
    original.diffuse = 0.0f;
    original.UpdateDeviceMaterial();

    EXPECT_EQ((std::array{copy.name, copy.textureName, copy.alphaPlaneName, copy.bumpName}),
              (std::array<std::string, 4>{"stone", "stone wall.bmp", "mask.bmp", "bump.bmp"}));
    EXPECT_EQ(Channels(copy.deviceMaterial.Diffuse), (Rgba{0.4f, 0.4f, 0.4f, 1.0f}));
}
