#include "app/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/app_window.h"
#include "app/scene_objects.h"
#include "app/startup_failure.h"
#include "model/model.h"
#include "platform/devices/graphics_device.h"
#include "platform/devices/keyboard_input.h"
#include "platform/devices/sound_system.h"
#include "tests/support/recording_device.h"
#include "tests/support/recording_input.h"
#include "tests/support/recording_message_box.h"
#include "tests/support/recording_sound.h"
#include "tests/support/recording_window.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

// The game's data laid out beside the test executable, as beside Korvane.exe.
// Copied through a temporary name and renamed, so test processes running at
// the same time never see a half-written file; never removed, so they never
// pull a file from under each other.
void PlaceGameDataBesideExecutable() {
    const fs::path source = fs::path(KORVANE_SOURCE_DIR) / "assets";
    const fs::path target = TestExecutableDirectory();
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(source)) {
        if (!entry.is_regular_file() || entry.path().filename() == "CMakeLists.txt") {
            continue;
        }
        const fs::path destination = target / fs::relative(entry.path(), source);
        fs::create_directories(destination.parent_path());
        const fs::path temporary = destination.string() + ".part" + std::to_string(::getpid());
        fs::copy_file(entry.path(), temporary, fs::copy_options::overwrite_existing);
        fs::rename(temporary, destination);
    }
}

std::vector<float> StageHeights() {
    std::ifstream file(fs::path(KORVANE_SOURCE_DIR) / "assets" / "Stage1.vtm");
    std::vector<float> heights;
    float value = 0.0f;
    while (file >> value) {
        heights.push_back(value);
    }
    return heights;
}

class SceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PlaceGameDataBesideExecutable();
        mainWindow = reinterpret_cast<HWND>(0x1234);
        saved_ = {keyboardInput, soundSystem, unitModel};
        StartAgain();
    }

    // Default doubles, nothing recorded, and fresh scene objects as static
    // construction leaves them (after a tear-down has released the last ones).
    static void StartAgain() {
        RecordingSystem::Reset();
        RecordingInputSystem::Reset();
        RecordingSoundSystem::Reset();
        RecordedMessageBoxes().clear();
        KilledTimers().clear();
        keyboardInput = new KeyboardInput();
        soundSystem = new SoundSystem();
        unitModel = new Model();
    }

    void TearDown() override {
        WhileMessageBoxIsOpen() = nullptr;
        TearDownScene();
        keyboardInput = saved_.keyboard;
        soundSystem = saved_.sound;
        unitModel = saved_.unit;
        mainWindow = nullptr;
        RecordingSoundSystem::Reset();
        RecordingInputSystem::Reset();
        RecordingSystem::Reset();
    }

    static RecordingDevice& Device() { return *RecordingSystem::LastDirect3D()->devices.back(); }

    struct SavedObjects {
        KeyboardInput* keyboard = nullptr;
        SoundSystem* sound = nullptr;
        Model* unit = nullptr;
    } saved_;
};

} // namespace

TEST_F(SceneTest, SetUpLoadsTheUnitAndOneTileAndCopiesItOverTheBoard) {
    ASSERT_EQ(SetUpScene(), 1);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
    EXPECT_EQ(graphicsDevice->clearColor, 0xFFB4DCFFu);

    ASSERT_FALSE(unitModel->objects.empty());
    EXPECT_NE(unitModel->collisionObject, -1);
    ASSERT_NE(tileModels[0], nullptr);
    ASSERT_FALSE(tileModels[0]->objects.empty());

    // 100 distinct models; only the loaded tile created device objects, the
    // copies borrow the very same ones.
    std::set<Model*> distinct(std::begin(tileModels), std::end(tileModels));
    EXPECT_EQ(distinct.size(), 100u);
    distinct.insert(unitModel);
    EXPECT_EQ(distinct.size(), 101u);
    for (int index = 1; index < kTileCount; ++index) {
        ASSERT_EQ(tileModels[index]->objects.size(), tileModels[0]->objects.size());
        EXPECT_EQ(tileModels[index]->objects[0].vertexBuffer,
                  tileModels[0]->objects[0].vertexBuffer);
        EXPECT_EQ(tileModels[index]->materials[0].texture, tileModels[0]->materials[0].texture);
        EXPECT_EQ(tileModels[index]->collisionObject, -1);
    }
    const size_t loadedObjects = unitModel->objects.size() + tileModels[0]->objects.size();
    EXPECT_EQ(Device().vertexBuffers.size(), loadedObjects);

    const std::vector<float> heights = StageHeights();
    ASSERT_EQ(heights.size(), 100u);
    for (int index = 0; index < kTileCount; ++index) {
        const D3DXVECTOR3 scale = tileModels[index]->scale;
        EXPECT_TRUE(scale.x == 1.0f && scale.y == heights[index] && scale.z == 1.0f)
            << "tile " << index;
    }

    ASSERT_NE(keyboardInput->keyboardDevice, nullptr);
    EXPECT_NE(soundSystem->directSound, nullptr);
    EXPECT_NE(soundSystem->primaryBuffer, nullptr);
}

TEST_F(SceneTest, TearDownStopsTheTimerAndReleasesEveryObjectOnce) {
    ASSERT_EQ(SetUpScene(), 1);
    RecordingDevice& device = Device();
    RecordingDirect3D& direct3D = *RecordingSystem::LastDirect3D();
    RecordingKeyboard& keyboard = *RecordingInputSystem::LastKeyboard();
    RecordingDirectSound& sound = *RecordingSoundSystem::LastDirectSound();

    TearDownScene();

    ASSERT_EQ(KilledTimers().size(), 1u);
    EXPECT_EQ(KilledTimers()[0].window, mainWindow);
    EXPECT_EQ(KilledTimers()[0].timerId, 1u);
    EXPECT_EQ(device.LiveVertexBuffers(), 0);
    EXPECT_EQ(device.LiveTextures(), 0);
    EXPECT_EQ(device.OverReleases(), 0);
    for (const auto& buffer : device.vertexBuffers) {
        EXPECT_EQ(buffer->count.releasesToZero, 1);
    }
    for (const auto& texture : device.textures) {
        EXPECT_EQ(texture->count.releasesToZero, 1);
    }
    EXPECT_EQ(device.count.references, 0u);
    EXPECT_EQ(direct3D.count.references, 0u);
    EXPECT_EQ(keyboard.count.references, 0u);
    EXPECT_EQ(keyboard.count.overReleases, 0);
    EXPECT_EQ(sound.count.references, 0u);
    EXPECT_EQ(sound.OverReleases(), 0);
    // The sound goes first, the graphics device last.
    EXPECT_EQ(sound.calls.back(), "Release(device)");

    EXPECT_TRUE(graphicsDevice == nullptr && keyboardInput == nullptr && soundSystem == nullptr &&
                unitModel == nullptr);
    EXPECT_EQ(std::count(std::begin(tileModels), std::end(tileModels), nullptr), kTileCount);

    // A second tear-down has nothing left to release.
    TearDownScene();
    EXPECT_EQ(device.OverReleases(), 0);
}

TEST_F(SceneTest, NoGraphicsDeviceStopsStartUpWithAMessage) {
    RecordingSystem::settings.hardwareProcessingResult = D3DERR_NOTAVAILABLE;
    RecordingSystem::settings.softwareProcessingResult = D3DERR_NOTAVAILABLE;

    EXPECT_EQ(SetUpScene(), 0);
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(RecordedMessageBoxes()[0].text, kNoGraphicsDeviceMessage);
    EXPECT_TRUE(unitModel->objects.empty()) << "nothing is loaded without a device";
    EXPECT_EQ(tileModels[0], nullptr);
}

TEST_F(SceneTest, AFailedKeyboardStopsStartUpWithAMessage) {
    RecordingInputSystem::settings.createDeviceResult = E_FAIL;
    EXPECT_EQ(SetUpScene(), 0);
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(RecordedMessageBoxes()[0].text, kNoKeyboardMessage);
    EXPECT_EQ(RecordedMessageBoxes()[0].caption, kStartupFailureCaption);
}

TEST_F(SceneTest, MissingSoundNeverStopsStartUp) {
    RecordingSoundSystem::libraryMissing = true;
    EXPECT_EQ(SetUpScene(), 1);
    EXPECT_EQ(soundSystem->directSound, nullptr);

    TearDownScene();
    StartAgain();
    RecordingSoundSystem::settings.createResult = E_FAIL;
    EXPECT_EQ(SetUpScene(), 1);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(SceneTest, ClosingTheWindowDuringAStartUpMessageStopsSetUpCleanly) {
    struct Case {
        const char* box;
        void (*arrange)();
    };
    const Case cases[] = {
        {"no graphics device",
         [] {
             RecordingSystem::settings.hardwareProcessingResult = D3DERR_NOTAVAILABLE;
             RecordingSystem::settings.softwareProcessingResult = D3DERR_NOTAVAILABLE;
         }},
        {"no keyboard", [] { RecordingInputSystem::settings.createDeviceResult = E_FAIL; }},
        // The one box after which set-up goes on.
        {"keyboard without cooperative level",
         [] { RecordingInputSystem::settings.keyboard.setCooperativeLevelResult = E_NOTIMPL; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        c.arrange();
        // The box's own message loop dispatches the window's destruction.
        WhileMessageBoxIsOpen() = [] { TearDownScene(); };

        EXPECT_EQ(SetUpScene(), 0);
        EXPECT_EQ(RecordedMessageBoxes().size(), 1u);
        EXPECT_EQ(KilledTimers().size(), 1u);
        // Nothing was made after tear-down, and everything made before it is gone once.
        EXPECT_EQ(RecordingSoundSystem::createCalls, 0);
        EXPECT_TRUE(graphicsDevice == nullptr && keyboardInput == nullptr &&
                    soundSystem == nullptr && unitModel == nullptr && tileModels[0] == nullptr);
        const RecordingDirect3D& direct3D = *RecordingSystem::LastDirect3D();
        EXPECT_EQ(direct3D.count.references, 0u);
        for (const auto& device : direct3D.devices) {
            EXPECT_EQ(device->count.references, 0u);
            EXPECT_EQ(device->LiveVertexBuffers() + device->LiveTextures(), 0);
            EXPECT_EQ(device->OverReleases(), 0);
        }
        if (const RecordingKeyboard* keyboard = RecordingInputSystem::LastKeyboard()) {
            EXPECT_EQ(keyboard->count.references, 0u);
        }

        WhileMessageBoxIsOpen() = nullptr;
        TearDownScene(); // releases nothing more unless set-up went on
        StartAgain();
    }
}
