#include "app/scene_objects.h"

#include "model/model.h"
#include "platform/devices/graphics_device.h"
#include "platform/devices/keyboard_input.h"
#include "platform/devices/sound_system.h"

// The keyboard, the sound system and the unit exist before WinMain, with no
// device interfaces yet, so the window procedure can look at them at once.
GraphicsDevice* graphicsDevice = nullptr;
KeyboardInput* keyboardInput = new KeyboardInput();
SoundSystem* soundSystem = new SoundSystem();
Model* unitModel = new Model();
Model* tileModels[kTileCount] = {};

void SetUnitRotation(float x, float y, float z) {
    if (unitModel == nullptr) {
        return;
    }
    unitModel->rotation.x = x;
    unitModel->rotation.y = y;
    unitModel->rotation.z = z;
}
