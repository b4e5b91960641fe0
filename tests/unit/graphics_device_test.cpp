#include "platform/devices/graphics_device.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3dx/d3dx_math.h"
#include "platform/devices/device_window.h"
#include "tests/support/recording_device.h"

namespace {

class GraphicsDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordingSystem::Reset();
        mainWindow = reinterpret_cast<HWND>(0x1234);
    }
    void TearDown() override {
        mainWindow = nullptr;
        RecordingSystem::Reset();
    }

    static RecordingDevice& DeviceOf(const GraphicsDevice& graphics) {
        return *static_cast<RecordingDevice*>(graphics.device);
    }
};

} // namespace

TEST_F(GraphicsDeviceTest, CreatesAWindowedHardwareDeviceOnTheMainWindow) {
    RecordingSystem::settings.displayFormat = D3DFMT_X8R8G8B8;
    GraphicsDevice* graphics = new GraphicsDevice();

    EXPECT_EQ(RecordingSystem::lastSdkVersion, 32u);
    ASSERT_NE(graphics->device, nullptr);
    RecordingDirect3D& direct3D = *RecordingSystem::LastDirect3D();
    ASSERT_EQ(direct3D.requests.size(), 1u);
    const CreateDeviceRequest& request = direct3D.requests[0];
    EXPECT_EQ(request.adapter, 0u);
    EXPECT_EQ(request.deviceType, D3DDEVTYPE_HAL);
    EXPECT_EQ(request.focusWindow, mainWindow);
    EXPECT_EQ(request.behaviorFlags, static_cast<DWORD>(D3DCREATE_HARDWARE_VERTEXPROCESSING));

    D3DPRESENT_PARAMETERS expected{};
    expected.BackBufferWidth = 640;
    expected.BackBufferHeight = 480;
    expected.BackBufferFormat = D3DFMT_X8R8G8B8;
    expected.SwapEffect = D3DSWAPEFFECT_FLIP;
    expected.Windowed = TRUE;
    expected.EnableAutoDepthStencil = TRUE;
    expected.AutoDepthStencilFormat = D3DFMT_D16;
    // Every member, the zeroed ones included: one back buffer, no multisampling,
    // the focus window, the default interval.
    EXPECT_EQ(std::memcmp(&request.presentParams, &expected, sizeof expected), 0);

    EXPECT_EQ(graphics->clearColor, 0xFF1E415Au);
    EXPECT_EQ(graphics->viewWidth, 640.0f);
    EXPECT_EQ(graphics->viewHeight, 480.0f);
    EXPECT_NE(graphics->sprite, nullptr);

    GraphicsDevice::Destroy(graphics);
}

TEST_F(GraphicsDeviceTest, FallsBackToSoftwareVertexProcessing) {
    RecordingSystem::settings.hardwareProcessingResult = D3DERR_NOTAVAILABLE;
    GraphicsDevice* graphics = new GraphicsDevice();

    RecordingDirect3D& direct3D = *RecordingSystem::LastDirect3D();
    ASSERT_EQ(direct3D.requests.size(), 2u);
    EXPECT_EQ(direct3D.requests[1].behaviorFlags,
              static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
    EXPECT_NE(graphics->device, nullptr);
    EXPECT_NE(graphics->sprite, nullptr);
    GraphicsDevice::Destroy(graphics);
}

TEST_F(GraphicsDeviceTest, WithoutAnyDeviceKeepsNullInterfacesAndNoSprite) {
    RecordingSystem::settings.hardwareProcessingResult = D3DERR_NOTAVAILABLE;
    RecordingSystem::settings.softwareProcessingResult = D3DERR_NOTAVAILABLE;
    GraphicsDevice* graphics = new GraphicsDevice();
    EXPECT_EQ(graphics->device, nullptr);
    EXPECT_EQ(graphics->sprite, nullptr);
    EXPECT_NE(graphics->direct3D, nullptr);
    EXPECT_EQ(graphics->clearColor, 0u);
    GraphicsDevice::Destroy(graphics);
    EXPECT_EQ(RecordingSystem::LastDirect3D()->count.references, 0u);

    RecordingSystem::failDirect3DCreate = true;
    graphics = new GraphicsDevice();
    EXPECT_EQ(graphics->direct3D, nullptr);
    EXPECT_EQ(graphics->device, nullptr);
    GraphicsDevice::Destroy(graphics);
}

TEST_F(GraphicsDeviceTest, UnknownDisplayModeGivesAnUnknownBackBufferFormat) {
    RecordingSystem::settings.displayModeResult = D3DERR_NOTAVAILABLE;
    GraphicsDevice* graphics = new GraphicsDevice();
    EXPECT_EQ(RecordingSystem::LastDirect3D()->requests[0].presentParams.BackBufferFormat,
              D3DFMT_UNKNOWN);
    EXPECT_EQ(graphics->presentParams.BackBufferFormat, D3DFMT_UNKNOWN);
    GraphicsDevice::Destroy(graphics);
}

TEST_F(GraphicsDeviceTest, DestroyReleasesSpriteDeviceAndDirect3DExactlyOnce) {
    GraphicsDevice* graphics = new GraphicsDevice();
    RecordingDevice& device = DeviceOf(*graphics);
    RecordingDirect3D& direct3D = *RecordingSystem::LastDirect3D();
    // The sprite holds its own reference to the device.
    EXPECT_EQ(device.count.references, 2u);

    GraphicsDevice::Destroy(graphics);
    EXPECT_EQ(device.count.references, 0u);
    EXPECT_EQ(device.count.releasesToZero, 1);
    EXPECT_EQ(device.count.overReleases, 0);
    EXPECT_EQ(direct3D.count.references, 0u);
    EXPECT_EQ(direct3D.count.overReleases, 0);
}

TEST_F(GraphicsDeviceTest, BeginFrameSetsEveryStateInOrder) {
    GraphicsDevice* graphics = new GraphicsDevice();
    graphics->clearColor = 0xFFB4DCFF;
    RecordingDevice& device = DeviceOf(*graphics);
    device.ClearCalls();

    graphics->BeginFrame(100.0f, 10000.0f, 10.0f);

    const std::vector<std::string> expected = {
        "Clear(0, 3, 0xFFB4DCFF, 1, 0)",
        "BeginScene()",
        "SetRenderState(7, 1)",          // ZENABLE TRUE
        "SetRenderState(143, 1)",        // NORMALIZENORMALS
        "SetRenderState(27, 1)",         // ALPHABLENDENABLE
        "SetRenderState(20, 6)",         // DESTBLEND INVSRCALPHA
        "SetRenderState(19, 5)",         // SRCBLEND SRCALPHA
        "SetRenderState(22, 3)",         // CULLMODE CCW
        "SetTextureStageState(0, 1, 4)", // COLOROP MODULATE
        "SetTextureStageState(0, 3, 0)", // COLORARG2 DIFFUSE
        "SetTextureStageState(0, 6, 0)", // ALPHAARG2 DIFFUSE
        "SetTextureStageState(0, 1, 4)",
        "SetTextureStageState(0, 2, 2)", // COLORARG1 TEXTURE
        "SetTextureStageState(0, 3, 0)",
        "SetTextureStageState(0, 4, 4)", // ALPHAOP MODULATE
        "SetTextureStageState(0, 5, 2)", // ALPHAARG1 TEXTURE
        "SetTextureStageState(0, 6, 0)",
        "SetSamplerState(0, 6, 2)", // MINFILTER LINEAR
        "SetSamplerState(0, 5, 2)", // MAGFILTER LINEAR
        "LightEnable(0, 1)",
        "SetRenderState(137, 1)",          // LIGHTING
        "SetRenderState(139, 4294967295)", // AMBIENT white
        "SetRenderState(29, 1)",           // SPECULARENABLE
        "SetRenderState(145, 0)",          // material sources
        "SetRenderState(146, 0)",
        "SetRenderState(147, 0)",
        "SetRenderState(148, 0)",
        "SetRenderState(141, 0)", // COLORVERTEX FALSE
        "SetFVF(0x112)",
        "SetRenderState(9, 2)", // SHADEMODE GOURAUD
        "SetTransform(3)",      // projection
    };
    EXPECT_EQ(device.Described(), expected);

    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovRH(&projection, 10.0f * 0.017453292f, 640.0f / 480.0f, 100.0f,
                               10000.0f);
    EXPECT_EQ(D3DXMATRIX(device.calls.back().matrix), projection);
    GraphicsDevice::Destroy(graphics);
}

TEST_F(GraphicsDeviceTest, DirectionalLightTravelsAlongTheNegatedTriple) {
    GraphicsDevice* graphics = new GraphicsDevice();
    RecordingDevice& device = DeviceOf(*graphics);
    device.ClearCalls();

    graphics->SetDirectionalLight(-2000.0f, -1000.0f, -2000.0f);

    ASSERT_EQ(device.Described(), std::vector<std::string>{"SetLight(0)"});
    D3DLIGHT9 expected{};
    expected.Type = D3DLIGHT_DIRECTIONAL;
    expected.Diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
    expected.Specular = {0.8f, 0.8f, 0.8f, 1.0f};
    expected.Ambient = {0.2f, 0.2f, 0.2f, 1.0f};
    expected.Direction = {2000.0f, 1000.0f, 2000.0f};
    expected.Range = 10000.0f;
    expected.Falloff = 1.0f;
    expected.Phi = 3.1415927f;
    // Every member, the zeroed ones included (the record has no padding).
    EXPECT_EQ(std::memcmp(&device.calls[0].light, &expected, sizeof expected), 0);
    EXPECT_EQ(std::memcmp(&graphics->light, &expected, sizeof expected), 0);
    GraphicsDevice::Destroy(graphics);
}

TEST_F(GraphicsDeviceTest, EndFrameResetsOncePerFailedPresentUntilItSucceeds) {
    GraphicsDevice* graphics = new GraphicsDevice();
    RecordingDevice& device = DeviceOf(*graphics);
    device.ClearCalls();
    device.presentResults = {S_OK, D3DERR_DEVICELOST, D3DERR_DEVICELOST, S_OK};
    device.resetResult = D3DERR_DEVICELOST;

    for (int frame = 0; frame < 4; ++frame) {
        graphics->EndFrame();
    }
    const std::vector<std::string> expected = {
        "EndScene()", "Present()", "EndScene()", "Present()",  "Reset()",
        "EndScene()", "Present()", "Reset()",    "EndScene()", "Present()",
    };
    EXPECT_EQ(device.Described(), expected);
    GraphicsDevice::Destroy(graphics);
}
