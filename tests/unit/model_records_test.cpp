#include "model/model.h"

#include <gtest/gtest.h>

namespace {

void ExpectColour(const D3DCOLORVALUE& actual, float r, float g, float b, float a,
                  const char* which) {
    EXPECT_EQ(actual.r, r) << which;
    EXPECT_EQ(actual.g, g) << which;
    EXPECT_EQ(actual.b, b) << which;
    EXPECT_EQ(actual.a, a) << which;
}

} // namespace

TEST(ModelRecords, FreshModelIsEmptyUnplacedAndPlaying) {
    const Model model;
    EXPECT_TRUE(model.objects.empty());
    EXPECT_TRUE(model.materials.empty());
    EXPECT_TRUE(model.animationNames.empty());
    EXPECT_EQ(model.collisionObject, -1);
    EXPECT_EQ(model.world, IdentityMatrix());
    EXPECT_EQ(model.position.x, 0.0f);
    EXPECT_EQ(model.position.y, 0.0f);
    EXPECT_EQ(model.position.z, 0.0f);
    EXPECT_EQ(model.rotation.x, 0.0f);
    EXPECT_EQ(model.rotation.y, 0.0f);
    EXPECT_EQ(model.rotation.z, 0.0f);
    EXPECT_EQ(model.scale.x, 1.0f);
    EXPECT_EQ(model.scale.y, 1.0f);
    EXPECT_EQ(model.scale.z, 1.0f);
    EXPECT_EQ(model.currentFrame, 0.0f);
    EXPECT_EQ(model.animationIndex, 0);
    EXPECT_TRUE(model.loop);
    EXPECT_FALSE(model.holdAtEnd);
    EXPECT_TRUE(model.playing);
}

TEST(ModelRecords, FreshObjectAndFaceHoldNothing) {
    const ModelObject object;
    EXPECT_TRUE(object.name.empty());
    EXPECT_EQ(object.vertexBuffer, nullptr);
    EXPECT_EQ(object.mirrorAxis, 0);
    EXPECT_EQ(object.facet, 0.0f);
    EXPECT_TRUE(object.vertices.empty());
    EXPECT_TRUE(object.faces.empty());
    EXPECT_TRUE(object.materialTriangleCounts.empty());
    EXPECT_TRUE(object.animations.empty());
    EXPECT_EQ(object.transform, IdentityMatrix());

    const Face face;
    EXPECT_EQ(face.material, -1) << "a face without a material is never drawn";
    EXPECT_TRUE(face.indices.empty());
    EXPECT_TRUE(face.uvs.empty());
    EXPECT_TRUE(face.corners.empty());
}

TEST(ModelRecords, DefaultMaterialAndItsDeviceMaterial) {
    const Material material;
    EXPECT_EQ(material.name, "NoMaterial");
    ExpectColour(material.color, 0.8f, 0.8f, 0.8f, 1.0f, "color");
    EXPECT_EQ(material.diffuse, 1.0f);
    EXPECT_EQ(material.ambient, 1.0f);
    EXPECT_EQ(material.emissive, 0.0f);
    EXPECT_EQ(material.specular, 0.0f);
    EXPECT_EQ(material.power, 0.2f);
    EXPECT_TRUE(material.textureName.empty());
    EXPECT_TRUE(material.alphaPlaneName.empty());
    EXPECT_TRUE(material.bumpName.empty());
    EXPECT_EQ(material.texture, nullptr);

    const D3DMATERIAL9& device = material.deviceMaterial;
    ExpectColour(device.Diffuse, 0.8f, 0.8f, 0.8f, 1.0f, "Diffuse");
    ExpectColour(device.Ambient, 0.8f, 0.8f, 0.8f, 1.0f, "Ambient");
    ExpectColour(device.Specular, 0.0f, 0.0f, 0.0f, 1.0f, "Specular");
    ExpectColour(device.Emissive, 0.0f, 0.0f, 0.0f, 1.0f, "Emissive");
    EXPECT_EQ(device.Power, 0.2f);
}

TEST(ModelRecords, UpdateDeviceMaterialScalesTheBaseColourByEachFactor) {
    struct Case {
        D3DCOLORVALUE color;
        float diffuse, ambient, emissive, specular, power;
        D3DCOLORVALUE wantDiffuse, wantAmbient, wantSpecular, wantEmissive;
    };
    const Case cases[] = {
        {{1.0f, 0.0f, 0.0f, 0.5f},
         0.5f,
         0.25f,
         1.0f,
         0.75f,
         5.0f,
         {0.5f, 0.0f, 0.0f, 0.5f},
         {0.25f, 0.0f, 0.0f, 0.5f},
         {0.75f, 0.75f, 0.75f, 0.5f},
         {1.0f, 0.0f, 0.0f, 0.5f}},
        // Distinct powers of two in every slot, so a swapped factor or channel shows.
        {{0.5f, 0.25f, 0.125f, 0.0625f},
         2.0f,
         4.0f,
         8.0f,
         16.0f,
         32.0f,
         {1.0f, 0.5f, 0.25f, 0.0625f},
         {2.0f, 1.0f, 0.5f, 0.0625f},
         {16.0f, 16.0f, 16.0f, 0.0625f},
         {4.0f, 2.0f, 1.0f, 0.0625f}},
    };
    for (const Case& c : cases) {
        Material material;
        material.color = c.color;
        material.diffuse = c.diffuse;
        material.ambient = c.ambient;
        material.emissive = c.emissive;
        material.specular = c.specular;
        material.power = c.power;
        material.UpdateDeviceMaterial();
        const D3DMATERIAL9& device = material.deviceMaterial;
        SCOPED_TRACE(testing::Message() << "diffuse factor " << c.diffuse);
        ExpectColour(device.Diffuse, c.wantDiffuse.r, c.wantDiffuse.g, c.wantDiffuse.b,
                     c.wantDiffuse.a, "Diffuse");
        ExpectColour(device.Ambient, c.wantAmbient.r, c.wantAmbient.g, c.wantAmbient.b,
                     c.wantAmbient.a, "Ambient");
        ExpectColour(device.Specular, c.wantSpecular.r, c.wantSpecular.g, c.wantSpecular.b,
                     c.wantSpecular.a, "Specular");
        ExpectColour(device.Emissive, c.wantEmissive.r, c.wantEmissive.g, c.wantEmissive.b,
                     c.wantEmissive.a, "Emissive");
        EXPECT_EQ(device.Power, c.power);
    }
}

TEST(ModelRecords, CopiesOfAnObjectOwnTheirListsElementByElement) {
    ModelObject original;
    original.name = "body";
    original.mirrorAxis = 2;
    original.facet = 59.5f;
    original.vertices = {{1.0f, 2.0f, 3.0f}, {4.0f, 5.0f, 6.0f}};
    Face face;
    face.material = 3;
    face.indices = {0, 1, 2, 3, 4, 5}; // beyond the inline storage
    face.uvs = {{0.0f, 0.5f}, {1.0f, 0.5f}};
    face.corners.push_back({{0.0f, 1.0f, 0.0f}, {0, 7}});
    original.faces = {face};
    original.materialTriangleCounts = {2, 0, 1};
    original.animations = {KeyList{IdentityMatrix(), D3DXMATRIX()}};

    ModelObject copy = original;
    // Change every list of the original; the copy must not follow.
    original.name = "changed";
    original.vertices[0].x = -1.0f;
    original.faces[0].indices[5] = 99;
    original.faces[0].indices.push_back(6);
    original.faces[0].uvs[1].u = -1.0f;
    original.faces[0].corners[0].faceIndices.push_back(8);
    original.materialTriangleCounts[0] = 9;
    original.animations[0][0]._41 = 5.0f;

    EXPECT_EQ(copy.name, "body");
    EXPECT_EQ(copy.mirrorAxis, 2);
    EXPECT_EQ(copy.facet, 59.5f);
    ASSERT_EQ(copy.vertices.size(), 2u);
    EXPECT_EQ(copy.vertices[0].x, 1.0f);
    ASSERT_EQ(copy.faces.size(), 1u);
    EXPECT_EQ(copy.faces[0].material, 3);
    EXPECT_EQ(copy.faces[0].indices, (InlineList<int, 4>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(copy.faces[0].uvs, (InlineList<TexCoord, 4>{{0.0f, 0.5f}, {1.0f, 0.5f}}));
    EXPECT_EQ(copy.faces[0].corners[0].faceIndices, (std::vector<int>{0, 7}));
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

    EXPECT_EQ(copy.name, "stone");
    EXPECT_EQ(copy.textureName, "stone wall.bmp");
    EXPECT_EQ(copy.alphaPlaneName, "mask.bmp");
    EXPECT_EQ(copy.bumpName, "bump.bmp");
    ExpectColour(copy.deviceMaterial.Diffuse, 0.4f, 0.4f, 0.4f, 1.0f, "Diffuse");
}
