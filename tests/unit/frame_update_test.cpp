#include "app/frame_update.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "app/app_window.h"
#include "app/scene_objects.h"
#include "model/model.h"
#include "platform/d3dx/d3dx_math.h"
#include "platform/devices/graphics_device.h"
#include "render/mesh_builder.h"
#include "tests/support/recording_device.h"
#include "tests/support/recording_input.h"

namespace {

constexpr int kLeft = 203;
constexpr int kRight = 205;
constexpr int kUp = 200;
constexpr int kDown = 208;

// A scene of recording devices and one-triangle models, swapped in for the
// process-wide scene objects for the length of a test.
class FrameUpdateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordingSystem::Reset();
        RecordingInputSystem::Reset();
        mainWindow = reinterpret_cast<HWND>(0x1234);

        savedUnit_ = unitModel;
        savedKeyboard_ = keyboardInput;
        graphicsDevice = new GraphicsDevice();
        graphicsDevice->clearColor = 0xFFB4DCFF;
        keyboardInput = new KeyboardInput();
        ASSERT_EQ(keyboardInput->Initialize(), 0);
        keyboard_ = RecordingInputSystem::LastKeyboard();

        unitModel = MakeTriangleModel();
        for (Model*& tile : tileModels) {
            tile = MakeTriangleModel();
        }
        arrowKeyStates = ArrowKeyStates{};
        Device().ClearCalls();
    }

    void TearDown() override {
        delete unitModel;
        for (Model*& tile : tileModels) {
            delete tile;
            tile = nullptr;
        }
        GraphicsDevice::Destroy(graphicsDevice);
        graphicsDevice = nullptr;
        KeyboardInput::Destroy(keyboardInput);
        unitModel = savedUnit_;
        keyboardInput = savedKeyboard_;
        mainWindow = nullptr;
        RecordingInputSystem::Reset();
        RecordingSystem::Reset();
    }

    static RecordingDevice& Device() {
        return *static_cast<RecordingDevice*>(graphicsDevice->device);
    }

    static Model* MakeTriangleModel() {
        Model* model = new Model();
        model->materials.emplace_back();
        ModelObject& object = model->objects.emplace_back();
        object.vertices = {{0.0f, 0.0f, 0.0f}, {10.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 10.0f}};
        Face& face = object.faces.emplace_back();
        face.material = 0;
        face.indices = {0, 1, 2};
        BuildMesh(object, graphicsDevice->device, model->materials);
        return model;
    }

    // One tick with exactly these keys held down.
    void Tick(std::vector<int> keysDown = {}) {
        for (const int key : {kLeft, kRight, kUp, kDown}) {
            keyboard_->SetKeyDown(key, false);
        }
        for (const int key : keysDown) {
            keyboard_->SetKeyDown(key, true);
        }
        UpdateFrame();
    }

    // One press: the key goes down for a tick and stays up for two, since a
    // key found down right after it went up counts as held, not pressed.
    void Press(int key) {
        Tick({key});
        Tick();
        Tick();
    }

    static float UnitX() { return unitModel->world._41; }
    static float UnitY() { return unitModel->world._42; }
    static float UnitZ() { return unitModel->world._43; }

    static D3DXMATRIX ExpectedUnitWorld(float facingDegrees, float x, float y, float z) {
        D3DXMATRIX rotation;
        D3DXMATRIX translation;
        D3DXMatrixRotationY(&rotation, facingDegrees * 0.017453292f);
        D3DXMatrixTranslation(&translation, x, y, z);
        return *D3DXMatrixMultiply(&rotation, &rotation, &translation);
    }

    // The view of the last frame looks from eye to target, up along +y.
    static void ExpectView(const D3DXVECTOR3& eye, const D3DXVECTOR3& target) {
        const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
        D3DXMATRIX expected;
        D3DXMatrixLookAtRH(&expected, &eye, &target, &up);
        EXPECT_EQ(D3DXMATRIX(Device().CallsOf(DeviceOp::SetTransform)[1].matrix), expected);
    }

    RecordingKeyboard* keyboard_ = nullptr;

  private:
    Model* savedUnit_ = nullptr;
    KeyboardInput* savedKeyboard_ = nullptr;
};

} // namespace

TEST_F(FrameUpdateTest, FirstTickStandsTheUnitOnTileZeroAndLooksAtItFromTheCameraOffset) {
    tileModels[0]->scale.y = 1.5f;
    Tick();

    EXPECT_EQ(unitModel->world, ExpectedUnitWorld(0.0f, 0.0f, 75.0f, 0.0f));
    EXPECT_EQ(unitModel->rotation.y, 0.0f);

    ExpectView({2000.0f, 1075.0f, 2000.0f}, {0.0f, 75.0f, 0.0f});

    const std::vector<DeviceCall> lights = Device().CallsOf(DeviceOp::SetLight);
    ASSERT_EQ(lights.size(), 1u);
    const D3DVECTOR direction = lights[0].light.Direction;
    EXPECT_TRUE(direction.x == 2000.0f && direction.y == 1000.0f && direction.z == 2000.0f);
}

TEST_F(FrameUpdateTest, FrameRunsBeginLightViewUnitTilesEndWithEachTileStretchedByItsHeight) {
    tileModels[37]->scale.y = 3.0f;
    Tick();
    const std::vector<std::string> calls = Device().Described();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "Clear(0, 3, 0xFFB4DCFF, 1, 0)");
    EXPECT_EQ(calls[calls.size() - 2], "EndScene()");
    EXPECT_EQ(calls.back(), "Present()");

    // Projection from BeginFrame, then the view, then one world per model.
    const std::vector<DeviceCall> transforms = Device().CallsOf(DeviceOp::SetTransform);
    ASSERT_EQ(transforms.size(), 2u + 1u + kTileCount);
    EXPECT_EQ(transforms[0].args[0], static_cast<DWORD>(D3DTS_PROJECTION));
    EXPECT_EQ(transforms[1].args[0], static_cast<DWORD>(D3DTS_VIEW));
    EXPECT_EQ(D3DXMATRIX(transforms[2].matrix), unitModel->world);
    for (int index = 0; index < kTileCount; ++index) {
        // Each tile stands on its cell, stretched up from its base by its height.
        D3DXMATRIX expected;
        D3DXMATRIX translation;
        D3DXMatrixScaling(&expected, 1.0f, index == 37 ? 3.0f : 1.0f, 1.0f);
        D3DXMatrixTranslation(&translation, 100.0f * static_cast<float>(index % 10), 0.0f,
                              100.0f * static_cast<float>(index / 10));
        D3DXMatrixMultiply(&expected, &expected, &translation);
        EXPECT_EQ(D3DXMATRIX(transforms[3 + index].matrix), expected) << "tile " << index;
    }
    EXPECT_EQ(Device().drawCalls, 1 + kTileCount);

    // The light is set after the frame's states and right before the view.
    const auto light = std::find(calls.begin(), calls.end(), "SetLight(0)");
    EXPECT_GT(light - calls.begin(), 30);
    ASSERT_LT(light + 1, calls.end());
    EXPECT_EQ(light[1], "SetTransform(2)");
}

TEST_F(FrameUpdateTest, EachPressMovesOneCellAndTurnsTheUnit) {
    struct Step {
        int key;
        float x, z, facing;
    };
    const Step steps[] = {
        {kRight, 100.0f, 0.0f, 90.0f}, {kDown, 100.0f, 100.0f, 0.0f}, {kDown, 100.0f, 200.0f, 0.0f},
        {kLeft, 0.0f, 200.0f, -90.0f}, {kUp, 0.0f, 100.0f, 180.0f},
    };
    for (const Step& step : steps) {
        Press(step.key);
        const D3DXVECTOR3 turn = unitModel->rotation;
        EXPECT_TRUE(turn.x == 0.0f && turn.y == step.facing && turn.z == 0.0f) << step.key;
        EXPECT_EQ(unitModel->world, ExpectedUnitWorld(step.facing, step.x, 50.0f, step.z))
            << "after key " << step.key;
    }
}

TEST_F(FrameUpdateTest, HoldingAKeyMovesOnce) {
    for (int tick = 0; tick < 30; ++tick) {
        Tick({kDown});
    }
    EXPECT_EQ(UnitZ(), 100.0f);
    EXPECT_EQ(UnitX(), 0.0f);

    // Let go for one tick only and press again: still the same press.
    Tick();
    Tick({kDown});
    EXPECT_EQ(UnitZ(), 100.0f);
}

TEST_F(FrameUpdateTest, OnlyTheFirstRuleTakesEffectWhenKeysGoDownTogether) {
    Press(kRight);
    Tick({kLeft, kDown});
    EXPECT_EQ(UnitX(), 0.0f);
    EXPECT_EQ(UnitZ(), 0.0f);
    EXPECT_EQ(unitModel->rotation.y, -90.0f);

    // Left against the edge gives way to right.
    Tick();
    Tick();
    Tick({kLeft, kRight});
    EXPECT_EQ(UnitX(), 100.0f);
    EXPECT_EQ(unitModel->rotation.y, 90.0f);
}

TEST_F(FrameUpdateTest, TheBoardEdgeStopsTheUnitAndKeepsItsFacing) {
    for (int press = 0; press < 9; ++press) {
        Press(kRight);
    }
    EXPECT_EQ(UnitX(), 900.0f);
    Press(kDown);
    Press(kRight);
    EXPECT_EQ(UnitX(), 900.0f);
    EXPECT_EQ(unitModel->rotation.y, 0.0f) << "the tenth right press must not turn the unit";

    // At the start, up and left do nothing at all.
    unitModel->world = IdentityMatrix();
    unitModel->rotation = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    Press(kUp);
    Press(kLeft);
    EXPECT_EQ(unitModel->world, ExpectedUnitWorld(0.0f, 0.0f, 50.0f, 0.0f));
}

TEST_F(FrameUpdateTest, TheUnitRisesWithTheTileItStepsOntoAndTheCameraFollows) {
    tileModels[1]->scale.y = 3.0f;
    Press(kRight);
    EXPECT_EQ(UnitY(), 150.0f);

    Device().ClearCalls();
    Tick();
    ExpectView({2100.0f, 1150.0f, 2000.0f}, {100.0f, 150.0f, 0.0f});
}

TEST_F(FrameUpdateTest, AnInactiveWindowStopsMovementUntilItIsActiveAgain) {
    keyboard_->LoseAcquisition();
    Press(kRight);
    Press(kDown);
    EXPECT_EQ(UnitX(), 0.0f);
    EXPECT_EQ(UnitZ(), 0.0f);

    OnMainWindowActivate(keyboardInput, 1);
    Press(kRight);
    EXPECT_EQ(UnitX(), 100.0f);
}

TEST_F(FrameUpdateTest, AnimationAdvancesOneKeyPerTick) {
    KeyList keys(3, IdentityMatrix());
    for (int k = 0; k < 3; ++k) {
        keys[k]._42 = static_cast<float>(k);
    }
    unitModel->objects[0].animations.push_back(keys);
    for (int tick = 0; tick < 4; ++tick) {
        Device().ClearCalls();
        Tick();
        const float keyLift = Device().CallsOf(DeviceOp::SetTransform)[2].matrix._42 - UnitY();
        EXPECT_EQ(keyLift, static_cast<float>(tick % 3)) << "tick " << tick;
    }
}

TEST(SetUnitRotationTest, TurnsTheUnitModel) {
    Model* const staticUnit = unitModel;
    Model unit;
    unitModel = &unit;
    SetUnitRotation(1.0f, 90.0f, -3.0f);
    EXPECT_EQ(std::tuple(unit.rotation.x, unit.rotation.y, unit.rotation.z),
              std::tuple(1.0f, 90.0f, -3.0f));
    EXPECT_EQ(unit.world, IdentityMatrix()); // the frame update builds the matrix
    unitModel = nullptr;
    SetUnitRotation(0.0f, 0.0f, 0.0f); // without a unit there is nothing to turn
    unitModel = staticUnit;
}
