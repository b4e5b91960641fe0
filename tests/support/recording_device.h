// A Direct3D 9 stand-in for host tests and benchmarks: records every device
// call in order, keeps vertex buffers and textures in memory, counts
// references, and can be told to fail chosen calls.
//
// Objects are never freed by Release: their owner (the device, or the
// registry behind Direct3DCreate9) keeps them so a test can check afterwards
// that each reached zero references exactly once.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdk/direct3d.h"

class RecordingDevice;

// Reference counting shared by every recording object.
struct ReferenceCount {
    ULONG references = 1;   // starts at one: the creator's reference
    int overReleases = 0;   // Release calls made after the count reached zero
    int releasesToZero = 0; // how often the count reached zero (must end as 1)

    ULONG AddRef() { return ++references; }
    ULONG Release();
};

class RecordingVertexBuffer final : public IDirect3DVertexBuffer9 {
  public:
    RecordingVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return count.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return count.Release(); }
    HRESULT STDMETHODCALLTYPE Lock(UINT offsetToLock, UINT sizeToLock, void** data,
                                   DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;

    // The buffer's contents viewed as an array of records.
    template <typename Record> const Record* As() const {
        return reinterpret_cast<const Record*>(bytes.data());
    }

    ReferenceCount count;
    UINT length;
    DWORD usage;
    DWORD fvf;
    D3DPOOL pool;
    std::vector<std::uint8_t> bytes; // the buffer's memory, length bytes
    HRESULT lockResult = S_OK;       // what Lock answers
    int lockCalls = 0;
    int unlockCalls = 0;
    bool locked = false;
    UINT lastLockOffset = 0;
    UINT lastLockSize = 0;
    DWORD lastLockFlags = 0;
};

class RecordingTexture final : public IDirect3DTexture9 {
  public:
    // rowPadding texels are added to every row, so the pitch is wider than
    // the level: writers must step rows by the pitch they are given.
    RecordingTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                     D3DPOOL pool, UINT rowPadding = 0);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return count.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return count.Release(); }
    DWORD STDMETHODCALLTYPE GetLevelCount() override;
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                       DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override;

    UINT LevelWidth(UINT level) const;
    UINT LevelHeight(UINT level) const;
    // Texels from one row to the next in a level's storage.
    UINT RowStride(UINT level) const { return LevelWidth(level) + rowPadding; }
    // The texel of a level as A8R8G8B8.
    std::uint32_t Texel(UINT level, UINT x, UINT y) const;

    ReferenceCount count;
    UINT width;
    UINT height;
    UINT levelCount; // the chain actually made (0 asked = full chain)
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
    UINT rowPadding;                                // unused texels after each row
    std::vector<std::vector<std::uint32_t>> levels; // texels of each level, RowStride apart
    HRESULT lockResult = S_OK;                      // what LockRect answers
    int lockCalls = 0;
    int unlockCalls = 0;
};

enum class DeviceOp {
    Clear,
    BeginScene,
    EndScene,
    Present,
    Reset,
    SetRenderState,
    SetTextureStageState,
    SetSamplerState,
    LightEnable,
    SetLight,
    SetFVF,
    SetTransform,
    GetTransform,
    SetTexture,
    SetStreamSource,
    SetMaterial,
    DrawPrimitive,
    CreateVertexBuffer,
    CreateTexture,
};

// One recorded device call. Integer arguments are kept in call order.
struct DeviceCall {
    DeviceOp op = DeviceOp::Clear;
    DWORD args[4] = {0, 0, 0, 0};
    float value = 0.0f;           // Clear's depth
    const void* object = nullptr; // texture or vertex buffer passed in
    D3DMATRIX matrix{};           // SetTransform's and GetTransform's matrix
    D3DMATERIAL9 material{};      // SetMaterial's record
    D3DLIGHT9 light{};            // SetLight's record
};

// A readable one-line form, for comparing call sequences in tests
// (for example "SetRenderState(7, 1)").
std::string Describe(const DeviceCall& call);

class RecordingDevice final : public IDirect3DDevice9 {
  public:
    RecordingDevice() = default;
    RecordingDevice(const RecordingDevice&) = delete;
    RecordingDevice& operator=(const RecordingDevice&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return count.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return count.Release(); }

    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* presentationParameters) override;
    HRESULT STDMETHODCALLTYPE Present(const RECT* sourceRect, const RECT* destRect,
                                      HWND destWindowOverride, const RGNDATA* dirtyRegion) override;
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DTexture9** texture,
                                            HANDLE* sharedHandle) override;
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                 IDirect3DVertexBuffer9** vertexBuffer,
                                                 HANDLE* sharedHandle) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags,
                                    D3DCOLOR color, float z, DWORD stencil) override;
    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state,
                                           const D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT STDMETHODCALLTYPE SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT STDMETHODCALLTYPE LightEnable(DWORD index, BOOL enable) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                   DWORD value) override;
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type,
                                              DWORD value) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                                            UINT primitiveCount) override;
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD fvf) override;
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* streamData,
                                              UINT offsetInBytes, UINT stride) override;

    // The recorded calls as readable lines; with `op` only those of that kind.
    std::vector<std::string> Described() const;
    std::vector<std::string> Described(DeviceOp op) const;
    std::vector<DeviceCall> CallsOf(DeviceOp op) const;
    void ClearCalls() { calls.clear(); }

    // Objects alive (not yet released to zero) and misuse counters over every
    // object this device created.
    int LiveVertexBuffers() const;
    int LiveTextures() const;
    int OverReleases() const;

    ReferenceCount count;
    bool recordCalls = true;       // off for benchmarks: no allocation per call
    std::vector<DeviceCall> calls; // every call, in order, while recordCalls is set
    long long drawCalls = 0;       // DrawPrimitive calls, counted even when not recording

    // Failure injection.
    HRESULT createVertexBufferResult = S_OK; // forced result for every CreateVertexBuffer
    HRESULT vertexBufferLockResult = S_OK;   // given to each new vertex buffer
    HRESULT createTextureResult = S_OK;
    HRESULT textureLockResult = S_OK;   // given to each new texture
    UINT texturePitchPadding = 0;       // row padding of each new texture, in texels
    std::deque<HRESULT> presentResults; // consumed one per Present; S_OK when empty
    HRESULT resetResult = S_OK;

    // What the device made, in creation order; kept after release for checks.
    std::vector<std::unique_ptr<RecordingVertexBuffer>> vertexBuffers;
    std::vector<std::unique_ptr<RecordingTexture>> textures;

    D3DMATRIX worldTransform{}; // current D3DTS_WORLD, for GetTransform
    D3DMATRIX viewTransform{};
    D3DMATRIX projectionTransform{};

  private:
    DeviceCall& Record(DeviceOp op);
    DeviceCall scratch_; // target of Record while not recording
};

// What CreateDevice was asked.
struct CreateDeviceRequest {
    UINT adapter = 0;
    D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
    HWND focusWindow = nullptr;
    DWORD behaviorFlags = 0;
    D3DPRESENT_PARAMETERS presentParams{};
};

// How a recording Direct3D object answers.
struct Direct3DSettings {
    HRESULT displayModeResult = S_OK;
    D3DFORMAT displayFormat = D3DFMT_X8R8G8B8;
    HRESULT hardwareProcessingResult = S_OK; // CreateDevice with hardware vertex processing
    HRESULT softwareProcessingResult = S_OK; // CreateDevice with software vertex processing
};

class RecordingDirect3D final : public IDirect3D9 {
  public:
    RecordingDirect3D() = default;
    explicit RecordingDirect3D(const Direct3DSettings& chosen) : settings(chosen) {}
    RecordingDirect3D(const RecordingDirect3D&) = delete;
    RecordingDirect3D& operator=(const RecordingDirect3D&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return count.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return count.Release(); }
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                           DWORD behaviorFlags,
                                           D3DPRESENT_PARAMETERS* presentationParameters,
                                           IDirect3DDevice9** device) override;

    ReferenceCount count;
    Direct3DSettings settings;
    std::vector<CreateDeviceRequest> requests;
    std::vector<std::unique_ptr<RecordingDevice>> devices;
};

// Controls what the host Direct3DCreate9 hands out. Every object it made is
// kept until Reset, so tests can inspect it after the code under test released it.
struct RecordingSystem {
    // Forget every object made so far and restore the defaults.
    static void Reset();
    // The Direct3D object of the last Direct3DCreate9 call, or null.
    static RecordingDirect3D* LastDirect3D();

    static bool failDirect3DCreate;   // Direct3DCreate9 returns null
    static Direct3DSettings settings; // given to each new Direct3D object
    static UINT lastSdkVersion;
};
