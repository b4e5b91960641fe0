#include "render/model_drawing.h"

#include <cstring>

#include <gtest/gtest.h>

#include "render/mesh_builder.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/recording_device.h"

namespace {

using Calls = std::vector<std::string>;

// The calls that bind an object's buffer, then the given draw calls.
Calls Bound(const char* buffer, const Calls& draws = {}) {
    Calls calls = {"SetTransform(256)", "GetTransform(256)", "SetTexture(0, null)",
                   std::string("SetStreamSource(0, ") + buffer + ", 0, 32)"};
    calls.insert(calls.end(), draws.begin(), draws.end());
    return calls;
}

class ModelDrawingTest : public ::testing::Test {
  protected:
    ModelDrawingTest() {
        model.materials.resize(4);
        for (std::size_t m = 0; m < model.materials.size(); ++m) {
            model.materials[m].diffuse = 0.1f * static_cast<float>(m + 1);
            model.materials[m].UpdateDeviceMaterial();
        }
        device.CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
        // 0: textured; 1: no triangles; 2: named texture that failed to load;
        // 3: a texture but no name, which must not be bound.
        model.materials[0].textureName = "a.bmp";
        model.materials[0].texture = texture;
        model.materials[2].textureName = "missing.bmp";
        model.materials[3].texture = texture;
    }

    ~ModelDrawingTest() override {
        // The model does not own the texture in these tests.
        for (Material& material : model.materials) {
            material.texture = nullptr;
        }
        texture->Release();
    }

    // Adds an object with the given number of triangles for each material.
    void AddObject(const std::string& name, const std::vector<int>& trianglesPerMaterial) {
        ModelObject& object = model.objects.emplace_back();
        object.name = name;
        object.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
        for (std::size_t m = 0; m < trianglesPerMaterial.size(); ++m) {
            for (int t = 0; t < trianglesPerMaterial[m]; ++t) {
                object.faces.push_back(Face{.material = static_cast<int>(m), .indices = {0, 1, 2}});
            }
        }
        BuildMesh(object, &device, model.materials);
        device.ClearCalls();
    }

    RecordingDevice device;
    IDirect3DTexture9* texture = nullptr;
    Model model;
};

TEST_F(ModelDrawingTest, OneDrawCallPerMaterialWithTriangles) {
    AddObject("body", {2, 0, 1, 3});
    DrawModel(model, &device);

    EXPECT_EQ(device.Described(),
              Bound("buffer", {"SetMaterial()", "SetTexture(0, texture)", "DrawPrimitive(4, 0, 2)",
                               "SetMaterial()", "SetTexture(0, null)", "DrawPrimitive(4, 6, 1)",
                               "SetMaterial()", "SetTexture(0, null)", "DrawPrimitive(4, 9, 3)"}));
    const std::vector<DeviceCall> materials = device.CallsOf(DeviceOp::SetMaterial);
    ASSERT_EQ(materials.size(), 3u);
    const std::size_t drawnMaterials[] = {0, 2, 3};
    for (std::size_t i = 0; i < 3; ++i) {
        const D3DMATERIAL9& expected = model.materials[drawnMaterials[i]].deviceMaterial;
        EXPECT_EQ(std::memcmp(&materials[i].material, &expected, sizeof expected), 0) << i;
    }
    EXPECT_EQ(device.CallsOf(DeviceOp::SetTexture)[1].object, texture);
    EXPECT_EQ(device.CallsOf(DeviceOp::SetStreamSource)[0].object, model.objects[0].vertexBuffer);
}

TEST_F(ModelDrawingTest, AnObjectWithoutTrianglesOnlyBindsItsStream) {
    AddObject("empty", {0, 0, 0, 0});
    DrawModel(model, &device);
    EXPECT_EQ(device.Described(), Bound("null"));
}

TEST_F(ModelDrawingTest, CountsBeyondTheMaterialsAreNotDrawn) {
    AddObject("body", {1, 0, 0, 0});
    model.objects[0].materialTriangleCounts.push_back(5); // no fifth material
    DrawModel(model, &device);
    EXPECT_EQ(device.Described(DeviceOp::DrawPrimitive), Calls{"DrawPrimitive(4, 0, 1)"});
}

TEST_F(ModelDrawingTest, ObjectsArePlacedByTheirKeyThenTheWorldReadBackFromTheDevice) {
    AddObject("body", {1});
    AddObject("arm", {1});
    D3DXMATRIX key;
    D3DXMatrixRotationY(&key, 0.5f);
    key._42 = 10.0f;
    model.objects[0].animations = {{key}};
    D3DXMATRIX scale;
    D3DXMATRIX move;
    D3DXMatrixScaling(&scale, 1.0f, 2.0f, 1.0f);
    D3DXMatrixTranslation(&move, 100.0f, 0.0f, 300.0f);
    D3DXMatrixMultiply(&model.world, &scale, &move);

    DrawModel(model, &device);

    D3DXMATRIX expected;
    D3DXMatrixMultiply(&expected, &key, &model.world);
    const std::vector<DeviceCall> set = device.CallsOf(DeviceOp::SetTransform);
    const std::vector<DeviceCall> read = device.CallsOf(DeviceOp::GetTransform);
    ASSERT_EQ(set.size(), 2u);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(D3DXMATRIX(set[0].matrix), expected);
    EXPECT_EQ(D3DXMATRIX(read[0].matrix), expected);
    EXPECT_EQ(model.objects[0].transform, expected);
    // The second object has no key for the frame: only the world places it.
    EXPECT_EQ(D3DXMATRIX(set[1].matrix), model.world);
    EXPECT_EQ(model.objects[1].transform, model.world);
}

TEST_F(ModelDrawingTest, TheCollisionObjectIsNeverDrawn) {
    AddObject("body", {1});
    AddObject("collision", {1});
    AddObject("head", {1});
    model.collisionObject = 1;
    D3DXMatrixTranslation(&model.world, 5.0f, 0.0f, 0.0f);

    DrawModel(model, &device);

    const std::vector<DeviceCall> streams = device.CallsOf(DeviceOp::SetStreamSource);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0].object, model.objects[0].vertexBuffer);
    EXPECT_EQ(streams[1].object, model.objects[2].vertexBuffer);
    EXPECT_EQ(model.objects[1].transform, IdentityMatrix());
    EXPECT_EQ(model.objects[2].transform, model.world);
}

TEST_F(ModelDrawingTest, DrawingAllocatesNothing) {
    if (!AllocationCountingActive()) {
        GTEST_SKIP() << "allocations are not counted in this build";
    }
    AddObject("body", {2, 0, 1, 3});
    AddObject("collision", {1});
    model.collisionObject = 1;
    model.objects[0].animations = {{IdentityMatrix(), IdentityMatrix()}};
    device.recordCalls = false;
    const AllocationScope scope;
    for (int tick = 0; tick < 10; ++tick) {
        DrawModel(model, &device);
    }
    EXPECT_EQ(scope.Allocations(), 0u);
    EXPECT_EQ(device.drawCalls, 30);
}

} // namespace
