#include "tests/native/offscreen_device.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/app_window.h"
#include "platform/sdl/sdl_window.h"

void OffscreenVideo::SetUpTestSuite() {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL's offscreen video: %s\n", SDL_GetError());
    }
}

void OffscreenVideo::TearDownTestSuite() {
    SDL_Quit();
}

void OffscreenWindow::SetUp() {
    ASSERT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "no offscreen video";
    window = SDL_CreateWindow("test", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    mainWindow = WindowHandleOf(window);
}

void OffscreenWindow::TearDown() {
    mainWindow = nullptr;
    if (window != nullptr) {
        SDL_DestroyWindow(window);
    }
}

void OffscreenDevice::SetUp() {
    ASSERT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "no offscreen video";
    RequestOpenGlWindow();
    window = SDL_CreateWindow("test", 0, 0, 640, 480, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    mainWindow = WindowHandleOf(window);
    graphics = new GraphicsDevice();
    device = graphics->device;
    ASSERT_NE(device, nullptr) << "no OpenGL 3.3 core context on the offscreen driver";
}

void OffscreenDevice::TearDown() {
    for (IDirect3DVertexBuffer9* buffer : buffers) {
        buffer->Release();
    }
    buffers.clear();
    GraphicsDevice::Destroy(graphics);
    graphics = nullptr;
    device = nullptr;
    if (window != nullptr) {
        SDL_DestroyWindow(window);
    }
    mainWindow = nullptr;
}

IDirect3DVertexBuffer9* OffscreenDevice::Buffer(const std::vector<MeshVertex>& vertices) {
    const UINT length = static_cast<UINT>(vertices.size() * sizeof(MeshVertex));
    IDirect3DVertexBuffer9* buffer = nullptr;
    EXPECT_EQ(
        device->CreateVertexBuffer(length, 0, kMeshVertexFormat, D3DPOOL_MANAGED, &buffer, nullptr),
        S_OK);
    if (buffer == nullptr) {
        return nullptr;
    }
    buffers.push_back(buffer);
    void* data = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &data, 0), S_OK);
    std::memcpy(data, vertices.data(), length);
    EXPECT_EQ(buffer->Unlock(), S_OK);
    return buffer;
}

HRESULT OffscreenDevice::Draw(const std::vector<MeshVertex>& vertices) {
    IDirect3DVertexBuffer9* buffer = Buffer(vertices);
    device->SetFVF(kMeshVertexFormat);
    device->SetStreamSource(0, buffer, 0, sizeof(MeshVertex));
    device->BeginScene();
    const HRESULT result =
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(vertices.size() / 3));
    device->EndScene();
    return result;
}

Rgb OffscreenDevice::Pixel(int x, int y) {
    const FramePixels frame = Native().ReadFrame(FrameRegion::Presentation);
    return frame.pixels.at(static_cast<std::size_t>(y * frame.width + x)) & 0xFFFFFFu;
}

std::vector<MeshVertex> OffscreenDevice::PixelQuad(float left, float top, float right, float bottom,
                                                   float z) {
    const MeshVertex topLeft{left, top, z, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
    const MeshVertex topRight{right, top, z, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f};
    const MeshVertex bottomLeft{left, bottom, z, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f};
    const MeshVertex bottomRight{right, bottom, z, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f};
    return {topLeft, topRight, bottomRight, topLeft, bottomRight, bottomLeft};
}

void OffscreenDevice::UsePixelProjection() {
    const D3DXMATRIX identity = IdentityMatrix();
    const float width = static_cast<float>(Native().Presentation().width);
    const float height = static_cast<float>(Native().Presentation().height);
    // x' = 2x/W - 1, y' = 1 - 2y/H, z' = z, w' = 1.
    const D3DXMATRIX pixels(2.0f / width, 0.0f, 0.0f, 0.0f,   //
                            0.0f, -2.0f / height, 0.0f, 0.0f, //
                            0.0f, 0.0f, 1.0f, 0.0f,           //
                            -1.0f, 1.0f, 0.0f, 1.0f);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    device->SetTransform(D3DTS_PROJECTION, &pixels);
}

void OffscreenDevice::UsePlainStates() {
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTexture(0, nullptr);
}

int Red(Rgb colour) {
    return static_cast<int>((colour >> 16) & 0xFF);
}
int Green(Rgb colour) {
    return static_cast<int>((colour >> 8) & 0xFF);
}
int Blue(Rgb colour) {
    return static_cast<int>(colour & 0xFF);
}

::testing::AssertionResult ColourNear(Rgb actual, Rgb expected, int tolerance) {
    if (std::abs(Red(actual) - Red(expected)) <= tolerance &&
        std::abs(Green(actual) - Green(expected)) <= tolerance &&
        std::abs(Blue(actual) - Blue(expected)) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    char message[96];
    std::snprintf(message, sizeof(message), "colour %06X is not within %d of %06X", actual,
                  tolerance, expected);
    return ::testing::AssertionFailure() << message;
}

Rgb ColourOf(float r, float g, float b) {
    const auto channel = [](float value) {
        return static_cast<Rgb>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
    };
    return channel(r) << 16 | channel(g) << 8 | channel(b);
}
