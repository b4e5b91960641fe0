// The native Direct3D object and device as the core calls them: creation and
// its checks, what they refuse, resources and their locks, Reset, and
// reference counting that keeps the device alive for its resources.
#include "tests/native/offscreen_device.h"

#include "app/app_window.h"
#include "platform/sdl/sdl_window.h"

namespace {

using NativeDevices = OffscreenDevice;

} // namespace

TEST_F(NativeDevices, TheGamesDeviceHasItsWindowedBufferAndWritesItsParametersBack) {
    EXPECT_NE(graphics->direct3D, nullptr);
    EXPECT_EQ(Native().Presentation().width, 640u);
    EXPECT_EQ(Native().Presentation().height, 480u);
    EXPECT_NE(Native().Presentation().depthFormat, GLenum{0});
    EXPECT_EQ(graphics->presentParams.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(graphics->presentParams.BackBufferCount, 1u);
    EXPECT_NE(graphics->sprite, nullptr);

    D3DDISPLAYMODE mode{};
    ASSERT_EQ(graphics->direct3D->GetAdapterDisplayMode(0, &mode), S_OK);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(graphics->direct3D->GetAdapterDisplayMode(1, &mode), D3DERR_INVALIDCALL);
}

TEST_F(NativeDevices, CreationRefusesWhatTheDeviceCannotBe) {
    IDirect3D9* direct3D = graphics->direct3D;
    const auto create = [&](UINT adapter, D3DDEVTYPE type, HWND focus, DWORD flags,
                            D3DPRESENT_PARAMETERS params) {
        IDirect3DDevice9* made = reinterpret_cast<IDirect3DDevice9*>(&params); // not left as is
        const HRESULT result = direct3D->CreateDevice(adapter, type, focus, flags, &params, &made);
        EXPECT_EQ(made, nullptr);
        return result;
    };
    const D3DPRESENT_PARAMETERS params = WindowedPresentParameters(D3DFMT_UNKNOWN);
    const DWORD hardware = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    D3DPRESENT_PARAMETERS fullScreen = params;
    fullScreen.Windowed = FALSE;
    EXPECT_EQ(create(0, D3DDEVTYPE_REF, mainWindow, hardware, params), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(create(1, D3DDEVTYPE_HAL, mainWindow, hardware, params), D3DERR_INVALIDCALL);
    EXPECT_EQ(create(0, D3DDEVTYPE_HAL, nullptr, hardware, params), D3DERR_INVALIDCALL);
    EXPECT_EQ(create(0, D3DDEVTYPE_HAL, reinterpret_cast<HWND>(999), hardware, params),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(create(0, D3DDEVTYPE_HAL, mainWindow, 0, params), D3DERR_INVALIDCALL);
    EXPECT_EQ(create(0, D3DDEVTYPE_HAL, mainWindow, hardware | D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                     params),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(create(0, D3DDEVTYPE_HAL, mainWindow, hardware, fullScreen), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(direct3D->CreateDevice(0, D3DDEVTYPE_HAL, mainWindow, hardware, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    // A program built for another runtime gets no Direct3D at all.
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION + 1), nullptr);
}

TEST_F(NativeDevices, CallsTheDeviceRefusesChangeNothing) {
    const D3DMATRIX* noMatrix = nullptr;
    EXPECT_EQ(device->SetTransform(D3DTS_WORLD, noMatrix), D3DERR_INVALIDCALL);
    const D3DXMATRIX identity = IdentityMatrix();
    EXPECT_EQ(device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(16), &identity),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(kRenderStateCount), 1),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(kTextureStageCount, D3DTSS_COLOROP, 1),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetSamplerState(kSamplerCount, D3DSAMP_MINFILTER, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTexture(kTextureStageCount, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetMaterial(nullptr), D3DERR_INVALIDCALL);
    D3DLIGHT9 noDirection = {};
    noDirection.Type = D3DLIGHT_DIRECTIONAL;
    EXPECT_EQ(device->SetLight(0, &noDirection), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetLight(0, nullptr), D3DERR_INVALIDCALL);
    // Light indices up to 4095, so a stray index costs no more than that.
    const D3DLIGHT9 light = DefaultLight();
    EXPECT_EQ(device->SetLight(4095, &light), S_OK);
    EXPECT_EQ(device->SetLight(4096, &light), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->LightEnable(4095, TRUE), S_OK);
    EXPECT_EQ(device->LightEnable(4096, TRUE), D3DERR_INVALIDCALL);
    D3DMATRIX matrix{};
    EXPECT_EQ(device->GetTransform(D3DTS_WORLD, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->GetTransform(static_cast<D3DTRANSFORMSTATETYPE>(16), &matrix),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->BeginScene(), S_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), S_OK);
    const RECT part{0, 0, 10, 10};
    EXPECT_EQ(device->Present(&part, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
}

TEST_F(NativeDevices, DrawsReadOnlyFromInsideTheBoundBuffer) {
    UsePixelProjection();
    UsePlainStates();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    IDirect3DVertexBuffer9* quad = Buffer(PixelQuad(0.0f, 0.0f, 40.0f, 40.0f));
    device->SetStreamSource(0, quad, 0, sizeof(MeshVertex));
    device->SetFVF(kMeshVertexFormat);

    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL); // no scene
    device->BeginScene();
    struct Case {
        const char* what;
        DWORD fvf;
        UINT stride;
        UINT start;
        UINT count;
        HRESULT result;
    };
    const Case cases[] = {
        {"past the end", kMeshVertexFormat, 32, 0, 3, D3DERR_INVALIDCALL},
        {"starting inside, ending outside", kMeshVertexFormat, 32, 4, 1, D3DERR_INVALIDCALL},
        {"a stride shorter than the vertex", kMeshVertexFormat, 24, 0, 1, D3DERR_INVALIDCALL},
        {"a format with colours", kMeshVertexFormat | 0x40, 32, 0, 1, D3DERR_INVALIDCALL},
        {"nothing to draw", kMeshVertexFormat, 32, 0, 0, S_OK},
        {"the second triangle", kMeshVertexFormat, 32, 3, 1, S_OK},
    };
    for (const Case& c : cases) {
        device->SetFVF(c.fvf);
        device->SetStreamSource(0, quad, 0, c.stride);
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, c.start, c.count), c.result) << c.what;
    }
    // Triangle lists only, as the game's meshes are.
    for (const D3DPRIMITIVETYPE type :
         {D3DPT_POINTLIST, D3DPT_LINELIST, static_cast<D3DPRIMITIVETYPE>(5)}) {
        EXPECT_EQ(device->DrawPrimitive(type, 0, 1), D3DERR_INVALIDCALL) << type;
    }
    // Streams beyond the first are accepted and not read; there are sixteen.
    EXPECT_EQ(device->SetStreamSource(1, nullptr, 0, 0), S_OK);
    EXPECT_EQ(device->SetStreamSource(15, quad, 0, 0), S_OK);
    EXPECT_EQ(device->SetStreamSource(16, quad, 0, 32), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 3, 1), S_OK);
    device->SetStreamSource(0, nullptr, 0, 0);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    device->EndScene();
    // Only the second triangle (top right, bottom right, bottom left... its half) was drawn.
    EXPECT_EQ(Pixel(5, 35), Rgb{0xFFFFFF});
    EXPECT_EQ(Pixel(35, 5), Rgb{0x000000});
}

TEST_F(NativeDevices, VertexBufferLocksStayInsideTheBuffer) {
    IDirect3DVertexBuffer9* buffer = nullptr;
    EXPECT_EQ(
        device->CreateVertexBuffer(0, 0, kMeshVertexFormat, D3DPOOL_MANAGED, &buffer, nullptr),
        D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer, nullptr);
    struct Refused {
        const char* what;
        UINT length;
        D3DPOOL pool;
        bool shared;
    };
    for (const Refused& r : {Refused{"less than one vertex", 31, D3DPOOL_MANAGED, false},
                             Refused{"scratch memory", 96, D3DPOOL_SCRATCH, false},
                             Refused{"a shared buffer", 96, D3DPOOL_MANAGED, true}}) {
        HANDLE handle = nullptr;
        buffer = reinterpret_cast<IDirect3DVertexBuffer9*>(this);
        EXPECT_EQ(device->CreateVertexBuffer(r.length, 0, kMeshVertexFormat, r.pool, &buffer,
                                             r.shared ? &handle : nullptr),
                  D3DERR_INVALIDCALL)
            << r.what;
        EXPECT_EQ(buffer, nullptr) << r.what;
    }
    ASSERT_EQ(
        device->CreateVertexBuffer(32, 0, kMeshVertexFormat, D3DPOOL_MANAGED, &buffer, nullptr),
        S_OK); // one vertex
    EXPECT_EQ(buffer->Release(), 0u);
    ASSERT_EQ(
        device->CreateVertexBuffer(96, 0, kMeshVertexFormat, D3DPOOL_MANAGED, &buffer, nullptr),
        S_OK);
    void* data = nullptr;
    EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Lock(97, 0, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(buffer->Lock(64, 64, &data, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(buffer->Lock(64, 0, &data, 0), S_OK); // the rest of the buffer
    EXPECT_NE(data, nullptr);
    void* inner = nullptr;
    ASSERT_EQ(buffer->Lock(0, 32, &inner, 0), S_OK); // locks nest
    EXPECT_EQ(static_cast<std::uint8_t*>(data) - static_cast<std::uint8_t*>(inner), 64);
    EXPECT_EQ(buffer->Unlock(), S_OK);
    EXPECT_EQ(buffer->Unlock(), S_OK);
    EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Release(), 0u);
}

TEST_F(NativeDevices, TexturesHaveTheirChainsAndLockOneLevelAtATime) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(
        device->CreateTexture(64, 16, 8, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3DERR_INVALIDCALL); // more levels than the chain has
    EXPECT_EQ(
        device->CreateTexture(0, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3DERR_INVALIDCALL);
    EXPECT_EQ(
        device->CreateTexture(16, 16, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture, nullptr),
        D3DERR_INVALIDCALL);
    // Plain textures up to 8192 texels a side; no render targets, scratch or shared ones.
    struct Request {
        const char* what;
        UINT width;
        UINT height;
        DWORD usage;
        D3DPOOL pool;
        bool shared;
        HRESULT result;
    };
    const DWORD renderTarget = 1; // D3DUSAGE_RENDERTARGET
    for (const Request& r :
         {Request{"widest", 8192, 1, 0, D3DPOOL_MANAGED, false, S_OK},
          Request{"tallest", 1, 8192, 0, D3DPOOL_MANAGED, false, S_OK},
          Request{"too wide", 8193, 1, 0, D3DPOOL_MANAGED, false, D3DERR_INVALIDCALL},
          Request{"too tall", 1, 8193, 0, D3DPOOL_MANAGED, false, D3DERR_INVALIDCALL},
          Request{"no height", 16, 0, 0, D3DPOOL_MANAGED, false, D3DERR_INVALIDCALL},
          Request{"a render target", 16, 16, renderTarget, D3DPOOL_DEFAULT, false,
                  D3DERR_INVALIDCALL},
          Request{"scratch memory", 16, 16, 0, D3DPOOL_SCRATCH, false, D3DERR_INVALIDCALL},
          Request{"a shared texture", 16, 16, 0, D3DPOOL_MANAGED, true, D3DERR_INVALIDCALL}}) {
        HANDLE handle = nullptr;
        texture = reinterpret_cast<IDirect3DTexture9*>(this);
        EXPECT_EQ(device->CreateTexture(r.width, r.height, 1, r.usage, D3DFMT_A8R8G8B8, r.pool,
                                        &texture, r.shared ? &handle : nullptr),
                  r.result)
            << r.what;
        EXPECT_EQ(texture != nullptr, r.result == S_OK) << r.what;
        if (texture != nullptr) {
            EXPECT_EQ(texture->Release(), 0u) << r.what;
        }
    }
    ASSERT_EQ(
        device->CreateTexture(64, 16, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        S_OK);
    ASSERT_EQ(texture->GetLevelCount(), 7u);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(2, &desc), S_OK);
    EXPECT_EQ(std::tie(desc.Width, desc.Height, desc.Format, desc.Pool),
              std::make_tuple(16u, 4u, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED));
    EXPECT_EQ(texture->GetLevelDesc(7, &desc), D3DERR_INVALIDCALL);

    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(1, &locked, nullptr, 0), S_OK);
    EXPECT_GE(locked.Pitch, 32 * 4);
    EXPECT_EQ(texture->LockRect(1, &locked, nullptr, 0), D3DERR_INVALIDCALL); // already locked
    EXPECT_EQ(texture->UnlockRect(1), S_OK);
    EXPECT_EQ(texture->UnlockRect(1), D3DERR_INVALIDCALL);
    const RECT part{0, 0, 4, 4}; // whole levels only, as the loader fills them
    EXPECT_EQ(texture->LockRect(1, &locked, &part, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->LockRect(7, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(NativeDevices, ResetRestoresDirect3DsDefaultState) {
    D3DXMATRIX moved;
    D3DXMatrixTranslation(&moved, 1.0f, 2.0f, 3.0f);
    device->SetTransform(D3DTS_WORLD, &moved);
    D3DPRESENT_PARAMETERS fullScreen = graphics->presentParams;
    fullScreen.Windowed = FALSE;
    EXPECT_EQ(device->Reset(&fullScreen), D3DERR_NOTAVAILABLE);
    D3DMATRIX world{};
    device->GetTransform(D3DTS_WORLD, &world);
    EXPECT_EQ(D3DXMATRIX(world), moved); // a refused Reset changes nothing

    ASSERT_EQ(device->Reset(&graphics->presentParams), S_OK);
    device->GetTransform(D3DTS_WORLD, &world);
    EXPECT_EQ(D3DXMATRIX(world), IdentityMatrix());
    // Lighting is on again and nothing lights: an untextured quad comes out black.
    UsePixelProjection();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    Draw(PixelQuad(0.0f, 0.0f, 20.0f, 20.0f));
    EXPECT_EQ(Pixel(10, 10), Rgb{0x000000});
}

TEST_F(NativeDevices, ResourcesKeepTheirDeviceUntilTheyAreReleased) {
    // A device of its own, outside the game's record.
    IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3D, nullptr);
    D3DPRESENT_PARAMETERS params = WindowedPresentParameters(D3DFMT_UNKNOWN);
    IDirect3DDevice9* own = nullptr;
    ASSERT_EQ(direct3D->CreateDevice(0, D3DDEVTYPE_HAL, mainWindow,
                                     D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &own),
              S_OK);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(own->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              S_OK);
    ASSERT_EQ(own->SetTexture(0, texture), S_OK);
    // The device holds the bound texture: two references now.
    EXPECT_EQ(texture->AddRef(), 3u);
    EXPECT_EQ(texture->Release(), 2u);
    // The game's device refuses a texture of another device.
    EXPECT_EQ(device->SetTexture(0, texture), D3DERR_INVALIDCALL);

    // The device's last reference goes first: it lets go of the binding, and
    // its context stays for the texture.
    EXPECT_EQ(own->Release(), 0u);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
    static_cast<std::uint32_t*>(locked.pBits)[0] = 0xFF123456;
    EXPECT_EQ(texture->UnlockRect(0), S_OK);
    EXPECT_EQ(texture->Release(), 0u); // and now the device goes with it
    EXPECT_EQ(direct3D->Release(), 0u);
}
