#include <memory>
#include <tuple>

#include <gtest/gtest.h>

#include "model/model.h"
#include "render/model_drawing.h"
#include "tests/support/image_files.h"
#include "tests/support/load_document.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_files.h"

namespace {

// The reference counts of every buffer and texture the device made.
std::vector<const ReferenceCount*> CountsOf(const RecordingDevice& device) {
    std::vector<const ReferenceCount*> counts;
    for (const auto& buffer : device.vertexBuffers) {
        counts.push_back(&buffer->count);
    }
    for (const auto& texture : device.textures) {
        counts.push_back(&texture->count);
    }
    return counts;
}

// A loaded tile: two textured materials, a body and a collision object.
class ModelCopyTest : public ::testing::Test {
  protected:
    ModelCopyTest() : textures("TEXTURE") {
        textures.Write("top.png", EncodePng(TestImage::Solid(4, 4, Rgba{1, 2, 3, 255})));
        const std::string tex = textures.NameFromParent("top.png");
        const std::string document =
            kDocumentHeader + "Material 2 {\n\"top\" tex(\"" + tex + "\")\n\"side\" tex(\"" + tex +
            "\")\n}\n"
            "Object \"body\" {\nvertex 4 {\n0 0 0\n1 0 0\n1 0 1\n0 0 1\n}\n"
            "face 2 {\n3 V(0 1 2) M(0)\n3 V(0 2 3) M(1)\n}\n"
            "animation \"idle\" {\n1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n}\n}\n"
            "Object \"collision\" {\nvertex 3 {\n0 0 0\n1 0 0\n0 1 0\n}\n"
            "face 1 {\n3 V(0 1 2) M(0)\n}\n}\n";
        source = std::make_unique<Model>();
        EXPECT_EQ(LoadDocument(document, *source), kLoadOk);
        source->FindCollisionObject();
        source->LoadTextures(&device);
        source->BuildMeshes(&device);
    }

    // The owner releases everything; the copies only forget what they borrowed.
    ~ModelCopyTest() override {
        source.reset();
        for (const auto& copy : copies) {
            for (ModelObject& object : copy->objects) {
                object.vertexBuffer = nullptr;
            }
            for (Material& material : copy->materials) {
                material.texture = nullptr;
            }
        }
        EXPECT_EQ(device.LiveVertexBuffers() + device.LiveTextures(), 0);
        EXPECT_EQ(device.OverReleases(), 0);
    }

    Model& Copy() {
        Model& copy = *copies.emplace_back(std::make_unique<Model>());
        copy.CopyContentFrom(*source);
        return copy;
    }

    ScratchFolder textures;
    RecordingDevice device;
    std::unique_ptr<Model> source;
    std::vector<std::unique_ptr<Model>> copies;
};

TEST_F(ModelCopyTest, CopiesBorrowAndTheOwnerReleasesEachObjectOnce) {
    ASSERT_EQ(device.vertexBuffers.size(), 2u);
    ASSERT_EQ(device.textures.size(), 2u);
    for (int i = 0; i < 99; ++i) {
        const Model& copy = Copy();
        ASSERT_EQ(copy.objects.size(), 2u);
        EXPECT_EQ(copy.objects[0].vertexBuffer, source->objects[0].vertexBuffer);
        EXPECT_EQ(copy.objects[1].vertexBuffer, source->objects[1].vertexBuffer);
        EXPECT_EQ(copy.materials[1].texture, source->materials[1].texture);
    }
    // No new device objects and no references taken.
    EXPECT_EQ(device.vertexBuffers.size(), 2u);
    EXPECT_EQ(device.textures.size(), 2u);
    for (const ReferenceCount* count : CountsOf(device)) {
        EXPECT_EQ(count->references, 1u);
    }
    source.reset();
    for (const ReferenceCount* count : CountsOf(device)) {
        EXPECT_EQ(count->releasesToZero, 1);
    }
}

TEST_F(ModelCopyTest, ACopyKeepsItsOwnPlacementAndPlayback) {
    source->currentFrame = 5.0f;
    source->animationIndex = 1;
    source->loop = false;
    source->holdAtEnd = true;
    source->playing = false;
    D3DXMatrixTranslation(&source->world, 1.0f, 2.0f, 3.0f);
    source->rotation = D3DXVECTOR3(0.0f, 90.0f, 0.0f);
    source->scale = D3DXVECTOR3(1.0f, 2.0f, 1.0f);

    const Model& copy = Copy();

    EXPECT_EQ(source->collisionObject, 1);
    EXPECT_EQ(copy.collisionObject, -1);
    EXPECT_EQ(copy.world, IdentityMatrix());
    EXPECT_EQ(std::tuple(copy.rotation.y, copy.scale.y), std::tuple(0.0f, 1.0f));
    EXPECT_EQ(std::tuple(copy.currentFrame, copy.animationIndex), std::tuple(0.0f, 0));
    EXPECT_EQ(std::tuple(copy.loop, copy.holdAtEnd, copy.playing), std::tuple(true, false, true));
    EXPECT_EQ(copy.animationNames, std::vector<std::string>{"idle"});
}

TEST_F(ModelCopyTest, ChangingACopyLeavesTheSourceAlone) {
    Model& copy = Copy();
    ModelObject& object = copy.objects[0];
    object.name = "renamed";
    object.vertices[0].x = 99.0f;
    object.faces[0].indices[0] = 3;
    object.cornerFaceIndices[0] = 42;
    object.cornerNormals[0].normal.x = 42.0f;
    object.materialTriangleCounts[0] = 0;
    copy.materials[0].name = "other";
    copy.animationNames[0] = "run";
    copy.objects.pop_back();

    ASSERT_EQ(source->objects.size(), 2u);
    const ModelObject& original = source->objects[0];
    EXPECT_EQ(original.name, "body");
    EXPECT_EQ(original.vertices[0].x, 0.0f);
    EXPECT_EQ(original.faces[0].indices[0], 0);
    const CornerNormal& corner = original.CornersOf(original.faces[0])[0];
    EXPECT_NE(corner.normal.x, 42.0f);
    const std::span<const int> listed = original.FaceIndicesOf(corner);
    EXPECT_EQ(std::vector<int>(listed.begin(), listed.end()), std::vector<int>{0});
    EXPECT_EQ(original.materialTriangleCounts, (std::vector<int>{1, 1}));
    EXPECT_EQ(source->materials[0].name, "top");
    EXPECT_EQ(source->animationNames, std::vector<std::string>{"idle"});
}

TEST_F(ModelCopyTest, TheCollisionObjectIsDrawnForACopyOnly) {
    Model& copy = Copy();
    DrawModel(*source, &device);
    EXPECT_EQ(device.CallsOf(DeviceOp::SetStreamSource).size(), 1u);
    device.ClearCalls();
    DrawModel(copy, &device);
    const std::vector<DeviceCall> streams = device.CallsOf(DeviceOp::SetStreamSource);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[1].object, source->objects[1].vertexBuffer);
}

TEST_F(ModelCopyTest, CopyingAnEmptyModelOrItselfChangesNothingElse) {
    const Model empty;
    Model& copy = *copies.emplace_back(std::make_unique<Model>());
    copy.CopyContentFrom(empty);
    EXPECT_TRUE(copy.objects.empty());
    EXPECT_TRUE(copy.materials.empty());
    EXPECT_TRUE(copy.animationNames.empty());

    source->CopyContentFrom(*source);
    EXPECT_EQ(source->objects.size(), 2u);
    EXPECT_EQ(source->objects[0].vertexBuffer, device.vertexBuffers[0].get());
    EXPECT_EQ(source->materials[0].texture, device.textures[0].get());
}

} // namespace
