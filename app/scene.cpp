#include "app/scene.h"

#include <string>

#include "app/app_window.h"
#include "app/scene_objects.h"
#include "app/shell_constants.h"
#include "app/stage.h"
#include "app/startup_failure.h"
#include "model/model.h"
#include "model/module_directory.h"
#include "platform/devices/graphics_device.h"
#include "platform/devices/keyboard_input.h"
#include "platform/services/message_box.h"
#include "platform/devices/sound_system.h"

namespace {

constexpr D3DCOLOR kSkyColor = 0xFFB4DCFF;
constexpr const char* kUnitModelName = "MQA\\BlueKnight.mqa";
constexpr const char* kTileModelName = "MQO\\Korvane.mqo";
constexpr const char* kStageFileName = "Stage1.vtm";

// Set by tear-down. A start-up message box runs a message loop of its own, in
// which closing the window tears the scene down under set-up's feet.
bool sceneTornDown = false;

bool LoadModelOrReport(Model& model, const char* relativeName, IDirect3DDevice9* device) {
    if (model.LoadFromFile(relativeName, device)) {
        return true;
    }
    const std::string message =
        DescribeModelLoadFailure(GetModuleDirectory(), relativeName, model.loadOutcome);
    ShowMessageBox(message.c_str(), kStartupFailureCaption);
    return false;
}

// A copy only borrows the loaded tile's vertex buffers and textures: it lets
// go of them before its memory is freed, so they are released once, by the owner.
void FreeTileCopy(Model* copy) {
    for (ModelObject& object : copy->objects) {
        object.vertexBuffer = nullptr;
    }
    for (Material& material : copy->materials) {
        material.texture = nullptr;
    }
    delete copy;
}

} // namespace

int SetUpScene() {
    sceneTornDown = false;
    graphicsDevice = new GraphicsDevice();
    if (graphicsDevice->device == nullptr) {
        // Every load and every frame needs the device.
        ShowMessageBox(kNoGraphicsDeviceMessage, kStartupFailureCaption);
        return 0;
    }
    graphicsDevice->clearColor = kSkyColor;
    IDirect3DDevice9* device = graphicsDevice->device;

    if (!LoadModelOrReport(*unitModel, kUnitModelName, device)) {
        return 0;
    }

    tileModels[0] = new Model();
    if (!LoadModelOrReport(*tileModels[0], kTileModelName, device)) {
        return 0;
    }
    for (int index = 1; index < kTileCount; ++index) {
        tileModels[index] = new Model();
        tileModels[index]->CopyContentFrom(*tileModels[0]);
    }

    // A missing or short stage file leaves the board flat or repeats its last value.
    LoadStage(std::string(GetModuleDirectory()) + kStageFileName);

    if (keyboardInput->Initialize() != 0) {
        ShowMessageBox(kNoKeyboardMessage, kStartupFailureCaption);
        return 0;
    }
    // The keyboard may have shown a box and gone on: if the window was closed
    // meanwhile, everything set-up made is released and nothing more is made.
    if (sceneTornDown) {
        return 0;
    }

    // Sound never stops start-up: without a device the game runs silent.
    StartSound(*soundSystem, SystemDirectSoundCreate8());
    return 1;
}

void TearDownScene() {
    sceneTornDown = true;
    KillTimer(mainWindow, kFrameTimerId);

    if (soundSystem != nullptr) {
        soundSystem->ReleaseAll();
        delete soundSystem;
        soundSystem = nullptr;
    }
    if (keyboardInput != nullptr) {
        KeyboardInput::Destroy(keyboardInput);
        keyboardInput = nullptr;
    }
    if (tileModels[0] != nullptr) {
        delete tileModels[0]; // releases the board's shared device objects once
        tileModels[0] = nullptr;
    }
    for (int index = 1; index < kTileCount; ++index) {
        if (tileModels[index] != nullptr) {
            FreeTileCopy(tileModels[index]);
            tileModels[index] = nullptr;
        }
    }
    if (unitModel != nullptr) {
        delete unitModel;
        unitModel = nullptr;
    }
    if (graphicsDevice != nullptr) {
        GraphicsDevice::Destroy(graphicsDevice);
        graphicsDevice = nullptr;
    }
}
