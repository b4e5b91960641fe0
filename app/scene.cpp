// The scene for now: the graphics device alone, so the window shows the clear
// colour under the game's light, view and projection.
#include "app/scene.h"

#include "app/app_window.h"
#include "app/message_box.h"
#include "platform/d3dx_math.h"
#include "platform/graphics_device.h"

GraphicsDevice* graphicsDevice = nullptr;

namespace {

constexpr UINT_PTR kFrameTimerId = 1;
constexpr D3DCOLOR kSkyColour = 0xFFB4DCFF;

// Set when set-up completed: a message box shown during set-up runs a message
// loop of its own that delivers timer ticks before the scene exists.
bool sceneIsSetUp = false;

} // namespace

int SetUpScene() {
    graphicsDevice = new GraphicsDevice();
    if (graphicsDevice->device == nullptr) {
        ShowMessageBox("Direct3D 9 のグラフィックデバイスを作成できませんでした", nullptr);
        return 0;
    }
    graphicsDevice->clearColor = kSkyColour;
    sceneIsSetUp = true;
    return 1;
}

void UpdateFrame() {
    if (!sceneIsSetUp) {
        return;
    }
    graphicsDevice->BeginFrame(100.0f, 10000.0f, 10.0f);

    const D3DXVECTOR3 eye(2000.0f, 1000.0f, 2000.0f);
    const D3DXVECTOR3 target(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    graphicsDevice->SetDirectionalLight(target.x - eye.x, target.y - eye.y, target.z - eye.z);
    D3DXMATRIX view;
    D3DXMatrixLookAtRH(&view, &eye, &target, &up);
    graphicsDevice->device->SetTransform(D3DTS_VIEW, &view);

    graphicsDevice->EndFrame();
}

void TearDownScene() {
    KillTimer(mainWindow, kFrameTimerId);
    sceneIsSetUp = false;
    GraphicsDevice::Destroy(graphicsDevice);
    graphicsDevice = nullptr;
}
