#include "tests/support/recording_device.h"

#include <algorithm>
#include <cstdio>

#include "platform/d3dx/mip_chain.h"

ULONG ReferenceCount::Release() {
    if (references == 0) {
        ++overReleases;
        return 0;
    }
    if (--references == 0) {
        ++releasesToZero;
    }
    return references;
}

// ---- vertex buffer ----

RecordingVertexBuffer::RecordingVertexBuffer(UINT bufferLength, DWORD bufferUsage, DWORD bufferFvf,
                                             D3DPOOL bufferPool)
    : length(bufferLength), usage(bufferUsage), fvf(bufferFvf), pool(bufferPool),
      bytes(bufferLength, 0xCD) {}

HRESULT RecordingVertexBuffer::QueryInterface(REFIID, void** object) {
    if (object != nullptr) {
        *object = nullptr;
    }
    return E_NOINTERFACE;
}

HRESULT RecordingVertexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, void** data, DWORD flags) {
    ++lockCalls;
    lastLockOffset = offsetToLock;
    lastLockSize = sizeToLock;
    lastLockFlags = flags;
    if (data == nullptr || FAILED(lockResult) || locked || offsetToLock > length) {
        if (data != nullptr) {
            *data = nullptr;
        }
        return FAILED(lockResult) ? lockResult : D3DERR_INVALIDCALL;
    }
    locked = true;
    *data = bytes.data() + offsetToLock;
    return S_OK;
}

HRESULT RecordingVertexBuffer::Unlock() {
    ++unlockCalls;
    if (!locked) {
        return D3DERR_INVALIDCALL;
    }
    locked = false;
    return S_OK;
}

// ---- texture ----

RecordingTexture::RecordingTexture(UINT textureWidth, UINT textureHeight, UINT requestedLevels,
                                   DWORD textureUsage, D3DFORMAT textureFormat, D3DPOOL texturePool,
                                   UINT textureRowPadding)
    : width(textureWidth), height(textureHeight),
      levelCount(requestedLevels == 0
                     ? FullMipChainLength(textureWidth, textureHeight)
                     : std::min(requestedLevels, FullMipChainLength(textureWidth, textureHeight))),
      usage(textureUsage), format(textureFormat), pool(texturePool), rowPadding(textureRowPadding) {
    for (UINT level = 0; level < levelCount; ++level) {
        levels.emplace_back(static_cast<size_t>(RowStride(level)) * LevelHeight(level),
                            0xCDCDCDCDu);
    }
}

HRESULT RecordingTexture::QueryInterface(REFIID, void** object) {
    if (object != nullptr) {
        *object = nullptr;
    }
    return E_NOINTERFACE;
}

DWORD RecordingTexture::GetLevelCount() {
    return levelCount;
}

UINT RecordingTexture::LevelWidth(UINT level) const {
    return LevelExtent(width, level);
}
UINT RecordingTexture::LevelHeight(UINT level) const {
    return LevelExtent(height, level);
}

std::uint32_t RecordingTexture::Texel(UINT level, UINT x, UINT y) const {
    return levels[level][static_cast<size_t>(y) * RowStride(level) + x];
}

HRESULT RecordingTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (desc == nullptr || level >= levelCount) {
        return D3DERR_INVALIDCALL;
    }
    *desc = D3DSURFACE_DESC{};
    desc->Format = format;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = usage;
    desc->Pool = pool;
    desc->Width = LevelWidth(level);
    desc->Height = LevelHeight(level);
    return S_OK;
}

HRESULT RecordingTexture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                   DWORD) {
    ++lockCalls;
    if (FAILED(lockResult)) {
        return lockResult;
    }
    if (lockedRect == nullptr || level >= levelCount || rect != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    lockedRect->Pitch = static_cast<INT>(RowStride(level) * 4);
    lockedRect->pBits = levels[level].data();
    return S_OK;
}

HRESULT RecordingTexture::UnlockRect(UINT level) {
    ++unlockCalls;
    return level < levelCount ? S_OK : D3DERR_INVALIDCALL;
}

// ---- device ----

std::string Describe(const DeviceCall& call) {
    char text[160] = {};
    const DWORD* a = call.args;
    switch (call.op) {
    case DeviceOp::Clear:
        std::snprintf(text, sizeof text, "Clear(%u, %u, 0x%08X, %g, %u)", a[0], a[1], a[2],
                      static_cast<double>(call.value), a[3]);
        break;
    case DeviceOp::BeginScene:
        return "BeginScene()";
    case DeviceOp::EndScene:
        return "EndScene()";
    case DeviceOp::Present:
        return "Present()";
    case DeviceOp::Reset:
        return "Reset()";
    case DeviceOp::SetRenderState:
        std::snprintf(text, sizeof text, "SetRenderState(%u, %u)", a[0], a[1]);
        break;
    case DeviceOp::SetTextureStageState:
        std::snprintf(text, sizeof text, "SetTextureStageState(%u, %u, %u)", a[0], a[1], a[2]);
        break;
    case DeviceOp::SetSamplerState:
        std::snprintf(text, sizeof text, "SetSamplerState(%u, %u, %u)", a[0], a[1], a[2]);
        break;
    case DeviceOp::LightEnable:
        std::snprintf(text, sizeof text, "LightEnable(%u, %u)", a[0], a[1]);
        break;
    case DeviceOp::SetLight:
        std::snprintf(text, sizeof text, "SetLight(%u)", a[0]);
        break;
    case DeviceOp::SetFVF:
        std::snprintf(text, sizeof text, "SetFVF(0x%X)", a[0]);
        break;
    case DeviceOp::SetTransform:
        std::snprintf(text, sizeof text, "SetTransform(%u)", a[0]);
        break;
    case DeviceOp::GetTransform:
        std::snprintf(text, sizeof text, "GetTransform(%u)", a[0]);
        break;
    case DeviceOp::SetTexture:
        std::snprintf(text, sizeof text, "SetTexture(%u, %s)", a[0],
                      call.object != nullptr ? "texture" : "null");
        break;
    case DeviceOp::SetStreamSource:
        std::snprintf(text, sizeof text, "SetStreamSource(%u, %s, %u, %u)", a[0],
                      call.object != nullptr ? "buffer" : "null", a[1], a[2]);
        break;
    case DeviceOp::SetMaterial:
        return "SetMaterial()";
    case DeviceOp::DrawPrimitive:
        std::snprintf(text, sizeof text, "DrawPrimitive(%u, %u, %u)", a[0], a[1], a[2]);
        break;
    case DeviceOp::CreateVertexBuffer:
        std::snprintf(text, sizeof text, "CreateVertexBuffer(%u, %u, 0x%X, %u)", a[0], a[1], a[2],
                      a[3]);
        break;
    case DeviceOp::CreateTexture:
        std::snprintf(text, sizeof text, "CreateTexture(%u, %u, %u, %u)", a[0], a[1], a[2], a[3]);
        break;
    }
    return text;
}

DeviceCall& RecordingDevice::Record(DeviceOp op) {
    if (!recordCalls) {
        scratch_ = DeviceCall{};
        scratch_.op = op;
        return scratch_;
    }
    calls.push_back(DeviceCall{});
    calls.back().op = op;
    return calls.back();
}

HRESULT RecordingDevice::QueryInterface(REFIID, void** object) {
    if (object != nullptr) {
        *object = nullptr;
    }
    return E_NOINTERFACE;
}

HRESULT RecordingDevice::Reset(D3DPRESENT_PARAMETERS*) {
    Record(DeviceOp::Reset);
    return resetResult;
}

HRESULT RecordingDevice::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
    Record(DeviceOp::Present);
    if (presentResults.empty()) {
        return S_OK;
    }
    const HRESULT result = presentResults.front();
    presentResults.pop_front();
    return result;
}

HRESULT RecordingDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                       D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture,
                                       HANDLE*) {
    DeviceCall& call = Record(DeviceOp::CreateTexture);
    call.args[0] = width;
    call.args[1] = height;
    call.args[2] = levels;
    call.args[3] = format;
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    if (FAILED(createTextureResult)) {
        return createTextureResult;
    }
    if (width == 0 || height == 0) {
        return D3DERR_INVALIDCALL;
    }
    textures.push_back(std::make_unique<RecordingTexture>(width, height, levels, usage, format,
                                                          pool, texturePitchPadding));
    textures.back()->lockResult = textureLockResult;
    *texture = textures.back().get();
    return S_OK;
}

HRESULT RecordingDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                            IDirect3DVertexBuffer9** vertexBuffer, HANDLE*) {
    DeviceCall& call = Record(DeviceOp::CreateVertexBuffer);
    call.args[0] = length;
    call.args[1] = usage;
    call.args[2] = fvf;
    call.args[3] = pool;
    if (vertexBuffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *vertexBuffer = nullptr;
    if (FAILED(createVertexBufferResult)) {
        return createVertexBufferResult;
    }
    // Like the real runtime, a zero-length buffer is refused.
    if (length == 0) {
        return D3DERR_INVALIDCALL;
    }
    vertexBuffers.push_back(std::make_unique<RecordingVertexBuffer>(length, usage, fvf, pool));
    vertexBuffers.back()->lockResult = vertexBufferLockResult;
    *vertexBuffer = vertexBuffers.back().get();
    return S_OK;
}

HRESULT RecordingDevice::BeginScene() {
    Record(DeviceOp::BeginScene);
    return S_OK;
}

HRESULT RecordingDevice::EndScene() {
    Record(DeviceOp::EndScene);
    return S_OK;
}

HRESULT RecordingDevice::Clear(DWORD rectCount, const D3DRECT*, DWORD flags, D3DCOLOR color,
                               float z, DWORD stencil) {
    DeviceCall& call = Record(DeviceOp::Clear);
    call.args[0] = rectCount;
    call.args[1] = flags;
    call.args[2] = color;
    call.args[3] = stencil;
    call.value = z;
    return S_OK;
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    DeviceCall& call = Record(DeviceOp::SetTransform);
    call.args[0] = state;
    if (matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    call.matrix = *matrix;
    switch (state) {
    case D3DTS_WORLD:
        worldTransform = *matrix;
        break;
    case D3DTS_VIEW:
        viewTransform = *matrix;
        break;
    case D3DTS_PROJECTION:
        projectionTransform = *matrix;
        break;
    }
    return S_OK;
}

HRESULT RecordingDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    DeviceCall& call = Record(DeviceOp::GetTransform);
    call.args[0] = state;
    if (matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    switch (state) {
    case D3DTS_WORLD:
        *matrix = worldTransform;
        break;
    case D3DTS_VIEW:
        *matrix = viewTransform;
        break;
    case D3DTS_PROJECTION:
        *matrix = projectionTransform;
        break;
    }
    call.matrix = *matrix;
    return S_OK;
}

HRESULT RecordingDevice::SetMaterial(const D3DMATERIAL9* material) {
    DeviceCall& call = Record(DeviceOp::SetMaterial);
    if (material == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    call.material = *material;
    return S_OK;
}

HRESULT RecordingDevice::SetLight(DWORD index, const D3DLIGHT9* light) {
    DeviceCall& call = Record(DeviceOp::SetLight);
    call.args[0] = index;
    if (light == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    call.light = *light;
    return S_OK;
}

HRESULT RecordingDevice::LightEnable(DWORD index, BOOL enable) {
    DeviceCall& call = Record(DeviceOp::LightEnable);
    call.args[0] = index;
    call.args[1] = static_cast<DWORD>(enable);
    return S_OK;
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    DeviceCall& call = Record(DeviceOp::SetRenderState);
    call.args[0] = state;
    call.args[1] = value;
    return S_OK;
}

HRESULT RecordingDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    DeviceCall& call = Record(DeviceOp::SetTexture);
    call.args[0] = stage;
    call.object = texture;
    return S_OK;
}

HRESULT RecordingDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                              DWORD value) {
    DeviceCall& call = Record(DeviceOp::SetTextureStageState);
    call.args[0] = stage;
    call.args[1] = type;
    call.args[2] = value;
    return S_OK;
}

HRESULT RecordingDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    DeviceCall& call = Record(DeviceOp::SetSamplerState);
    call.args[0] = sampler;
    call.args[1] = type;
    call.args[2] = value;
    return S_OK;
}

HRESULT RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                                       UINT primitiveCount) {
    ++drawCalls;
    DeviceCall& call = Record(DeviceOp::DrawPrimitive);
    call.args[0] = primitiveType;
    call.args[1] = startVertex;
    call.args[2] = primitiveCount;
    return S_OK;
}

HRESULT RecordingDevice::SetFVF(DWORD fvf) {
    DeviceCall& call = Record(DeviceOp::SetFVF);
    call.args[0] = fvf;
    return S_OK;
}

HRESULT RecordingDevice::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* streamData,
                                         UINT offsetInBytes, UINT stride) {
    DeviceCall& call = Record(DeviceOp::SetStreamSource);
    call.args[0] = streamNumber;
    call.args[1] = offsetInBytes;
    call.args[2] = stride;
    call.object = streamData;
    return S_OK;
}

std::vector<std::string> RecordingDevice::Described() const {
    std::vector<std::string> lines;
    for (const DeviceCall& call : calls) {
        lines.push_back(Describe(call));
    }
    return lines;
}

std::vector<std::string> RecordingDevice::Described(DeviceOp op) const {
    std::vector<std::string> lines;
    for (const DeviceCall& call : calls) {
        if (call.op == op) {
            lines.push_back(Describe(call));
        }
    }
    return lines;
}

std::vector<DeviceCall> RecordingDevice::CallsOf(DeviceOp op) const {
    std::vector<DeviceCall> matching;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(matching),
                 [op](const DeviceCall& call) { return call.op == op; });
    return matching;
}

int RecordingDevice::LiveVertexBuffers() const {
    return static_cast<int>(std::count_if(vertexBuffers.begin(), vertexBuffers.end(),
                                          [](const auto& b) { return b->count.references > 0; }));
}

int RecordingDevice::LiveTextures() const {
    return static_cast<int>(std::count_if(textures.begin(), textures.end(),
                                          [](const auto& t) { return t->count.references > 0; }));
}

int RecordingDevice::OverReleases() const {
    int total = count.overReleases;
    for (const auto& buffer : vertexBuffers) {
        total += buffer->count.overReleases;
    }
    for (const auto& texture : textures) {
        total += texture->count.overReleases;
    }
    return total;
}

// ---- Direct3D object ----

HRESULT RecordingDirect3D::QueryInterface(REFIID, void** object) {
    if (object != nullptr) {
        *object = nullptr;
    }
    return E_NOINTERFACE;
}

HRESULT RecordingDirect3D::GetAdapterDisplayMode(UINT, D3DDISPLAYMODE* mode) {
    if (mode == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (FAILED(settings.displayModeResult)) {
        return settings.displayModeResult;
    }
    *mode = D3DDISPLAYMODE{1024, 768, 60, settings.displayFormat};
    return S_OK;
}

HRESULT RecordingDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                        DWORD behaviorFlags,
                                        D3DPRESENT_PARAMETERS* presentationParameters,
                                        IDirect3DDevice9** device) {
    CreateDeviceRequest request;
    request.adapter = adapter;
    request.deviceType = deviceType;
    request.focusWindow = focusWindow;
    request.behaviorFlags = behaviorFlags;
    if (presentationParameters != nullptr) {
        request.presentParams = *presentationParameters;
    }
    requests.push_back(request);
    if (device == nullptr || presentationParameters == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *device = nullptr;
    const HRESULT result = (behaviorFlags & D3DCREATE_HARDWARE_VERTEXPROCESSING) != 0
                               ? settings.hardwareProcessingResult
                               : settings.softwareProcessingResult;
    if (FAILED(result)) {
        return result;
    }
    devices.push_back(std::make_unique<RecordingDevice>());
    *device = devices.back().get();
    return S_OK;
}

// ---- the host's Direct3DCreate9 ----

namespace {

std::vector<std::unique_ptr<RecordingDirect3D>>& CreatedDirect3DObjects() {
    static std::vector<std::unique_ptr<RecordingDirect3D>> created;
    return created;
}

} // namespace

bool RecordingSystem::failDirect3DCreate = false;
Direct3DSettings RecordingSystem::settings;
UINT RecordingSystem::lastSdkVersion = 0;

void RecordingSystem::Reset() {
    CreatedDirect3DObjects().clear();
    failDirect3DCreate = false;
    settings = Direct3DSettings{};
    lastSdkVersion = 0;
}

RecordingDirect3D* RecordingSystem::LastDirect3D() {
    auto& created = CreatedDirect3DObjects();
    return created.empty() ? nullptr : created.back().get();
}

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    RecordingSystem::lastSdkVersion = sdkVersion;
    if (RecordingSystem::failDirect3DCreate) {
        return nullptr;
    }
    auto& created = CreatedDirect3DObjects();
    created.push_back(std::make_unique<RecordingDirect3D>(RecordingSystem::settings));
    return created.back().get();
}
