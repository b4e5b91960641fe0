#include "platform/native/native_device.h"

#include <algorithm>
#include <cstdio>

#include "platform/native/native_resources.h"
#include "platform/native/native_window.h"
#include "platform/native/presentation.h"
#include "platform/native/texture_layout.h"
#include "platform/native/vertex_layout.h"

namespace {

constexpr DWORD kMostLights = 4096;    // light indices the device keeps
constexpr UINT kVertexStreams = 16;    // streams Direct3D 9 numbers
constexpr UINT kLargestTexture = 8192; // per side, if the context allows that much

// Binds `resource` in `slot` with a reference of its own. The slot is
// updated before the previous resource is released, which may end it.
template <typename Resource> void Rebind(Resource*& slot, Resource* resource) {
    if (resource != nullptr) {
        resource->AddRef();
    }
    Resource* previous = slot;
    slot = resource;
    if (previous != nullptr) {
        previous->Release();
    }
}

} // namespace

HRESULT NativeDevice::Create(SDL_Window* window, D3DPRESENT_PARAMETERS& params,
                             D3DFORMAT desktopFormat, NativeDevice** device) {
    *device = nullptr;
    int clientWidth = 0;
    int clientHeight = 0;
    SDL_GetWindowSize(window, &clientWidth, &clientHeight);
    D3DPRESENT_PARAMETERS resolved = params;
    BackBufferFormat format;
    const HRESULT result =
        ResolvePresentParameters(resolved, static_cast<UINT>(clientWidth),
                                 static_cast<UINT>(clientHeight), desktopFormat, format);
    if (FAILED(result)) {
        return result;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        std::fprintf(stderr, "korvane: no OpenGL 3.3 core context: %s\n", SDL_GetError());
        return D3DERR_NOTAVAILABLE;
    }
    auto* made = new NativeDevice(window, context);
    if (!made->SetUp(format)) {
        made->Release();
        return D3DERR_NOTAVAILABLE;
    }
    params = resolved;
    *device = made;
    return S_OK;
}

NativeDevice::NativeDevice(SDL_Window* window, SDL_GLContext context)
    : window_(window), windowHandle_(WindowHandleOf(window)), context_(context) {}

bool NativeDevice::SetUp(const BackBufferFormat& format) {
    SDL_GL_MakeCurrent(window_, context_);
    std::string problem;
    if (!LoadGlFunctions(gl_, problem)) {
        std::fprintf(stderr, "korvane: the OpenGL context lacks %s\n", problem.c_str());
        gl_ = GlFunctions{};
        return false;
    }
    if (!program_.Create(gl_, problem)) {
        std::fprintf(stderr, "korvane: the fixed-function shader failed: %s\n", problem.c_str());
        return false;
    }
    if (!backBuffer_.Create(gl_, format)) {
        std::fprintf(stderr, "korvane: no %u x %u back buffer\n", format.width, format.height);
        return false;
    }
    SDL_GL_SetSwapInterval(format.swapInterval);
    gl_.glGenVertexArrays(1, &vertexArray_);
    gl_.glBindVertexArray(vertexArray_);
    gl_.glGenSamplers(1, &sampler_);
    gl_.glBindSampler(0, sampler_);
    RestoreDefaultState();
    return true;
}

NativeDevice::~NativeDevice() {
    SDL_GL_MakeCurrent(window_, context_);
    if (gl_.glDeleteSamplers != nullptr) {
        program_.Destroy(gl_);
        backBuffer_.Destroy(gl_);
        gl_.glDeleteSamplers(1, &sampler_);
        gl_.glDeleteVertexArrays(1, &vertexArray_);
    }
    SDL_GL_DeleteContext(context_);
}

HRESULT NativeDevice::QueryInterface(REFIID, void** object) {
    if (object != nullptr) {
        *object = nullptr;
    }
    return E_NOINTERFACE;
}

ULONG NativeDevice::AddRef() {
    return ++references_;
}

ULONG NativeDevice::Release() {
    const ULONG remaining = --references_;
    if (remaining == 0) {
        // The device's own hold on bound objects ends with the last outside
        // reference. They may be the last resources keeping it, so it holds
        // itself as one of them until it has let go of them all.
        AttachResource();
        UnbindAll();
        DetachResource();
    }
    return remaining;
}

void NativeDevice::DetachResource() {
    --resources_;
    DestroyIfUnused();
}

void NativeDevice::DestroyIfUnused() {
    if (references_ == 0 && resources_ == 0) {
        delete this;
    }
}

const GlFunctions& NativeDevice::Gl() {
    if (SDL_GL_GetCurrentContext() != context_) {
        SDL_GL_MakeCurrent(window_, context_);
    }
    return gl_;
}

void NativeDevice::UnbindAll() {
    for (NativeTexture*& texture : textures_) {
        Rebind<NativeTexture>(texture, nullptr);
    }
    Rebind<NativeVertexBuffer>(streamBuffer_, nullptr);
}

void NativeDevice::RestoreDefaultState() {
    UnbindAll();
    states_ = DefaultDeviceStates(backBuffer_.HasDepth());
    world_ = IdentityMatrix();
    view_ = IdentityMatrix();
    projection_ = IdentityMatrix();
    material_ = D3DMATERIAL9{};
    lights_.clear();
    streamOffset_ = 0;
    streamStride_ = 0;
    fvf_ = 0;
    inScene_ = false;
}

HRESULT NativeDevice::Reset(D3DPRESENT_PARAMETERS* presentationParameters) {
    if (presentationParameters == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    int clientWidth = 0;
    int clientHeight = 0;
    SDL_GetWindowSize(window_, &clientWidth, &clientHeight);
    D3DPRESENT_PARAMETERS resolved = *presentationParameters;
    BackBufferFormat format;
    const HRESULT result = ResolvePresentParameters(
        resolved, static_cast<UINT>(clientWidth), static_cast<UINT>(clientHeight),
        backBuffer_.Format().hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8, format);
    if (FAILED(result)) {
        return result;
    }
    const GlFunctions& gl = Gl();
    const BackBufferFormat previous = backBuffer_.Format();
    backBuffer_.Destroy(gl);
    if (!backBuffer_.Create(gl, format)) {
        backBuffer_.Create(gl, previous);
        return D3DERR_NOTAVAILABLE;
    }
    SDL_GL_SetSwapInterval(format.swapInterval);
    *presentationParameters = resolved;
    RestoreDefaultState();
    return S_OK;
}

HRESULT NativeDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                    D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture,
                                    HANDLE* sharedHandle) {
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    GLint largest = 0;
    Gl().glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    const UINT largestSide = std::min(static_cast<UINT>(std::max(largest, 1)), kLargestTexture);
    // Plain textures only: no render targets, depth textures or shared handles.
    if (sharedHandle != nullptr || usage != 0 || width == 0 || height == 0 || width > largestSide ||
        height > largestSide || pool == D3DPOOL_SCRATCH || !TexelFormatOf(format).supported) {
        return D3DERR_INVALIDCALL;
    }
    const UINT fullChain = FullMipChainLength(width, height);
    if (levels > fullChain) {
        return D3DERR_INVALIDCALL;
    }
    *texture =
        new NativeTexture(*this, width, height, levels == 0 ? fullChain : levels, format, pool);
    return S_OK;
}

HRESULT NativeDevice::CreateVertexBuffer(UINT length, DWORD, DWORD fvf, D3DPOOL pool,
                                         IDirect3DVertexBuffer9** vertexBuffer,
                                         HANDLE* sharedHandle) {
    if (vertexBuffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *vertexBuffer = nullptr;
    if (sharedHandle != nullptr || length == 0 || pool == D3DPOOL_SCRATCH) {
        return D3DERR_INVALIDCALL;
    }
    // A buffer made for a vertex format holds at least one such vertex.
    const VertexLayout layout = VertexLayoutOf(fvf);
    if (fvf != 0 && layout.valid && length < layout.size) {
        return D3DERR_INVALIDCALL;
    }
    *vertexBuffer = new NativeVertexBuffer(*this, length);
    return S_OK;
}

HRESULT NativeDevice::BeginScene() {
    if (inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = true;
    return S_OK;
}

HRESULT NativeDevice::EndScene() {
    if (!inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = false;
    return S_OK;
}

HRESULT NativeDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    if (matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    switch (state) {
    case D3DTS_WORLD:
        world_ = D3DXMATRIX(*matrix);
        return S_OK;
    case D3DTS_VIEW:
        view_ = D3DXMATRIX(*matrix);
        return S_OK;
    case D3DTS_PROJECTION:
        projection_ = D3DXMATRIX(*matrix);
        return S_OK;
    default:
        return D3DERR_INVALIDCALL; // texture and further world matrices are not used here
    }
}

HRESULT NativeDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    if (matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    switch (state) {
    case D3DTS_WORLD:
        *matrix = world_;
        return S_OK;
    case D3DTS_VIEW:
        *matrix = view_;
        return S_OK;
    case D3DTS_PROJECTION:
        *matrix = projection_;
        return S_OK;
    default:
        return D3DERR_INVALIDCALL;
    }
}

HRESULT NativeDevice::SetMaterial(const D3DMATERIAL9* material) {
    if (material == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    material_ = *material;
    return S_OK;
}

HRESULT NativeDevice::SetLight(DWORD index, const D3DLIGHT9* light) {
    if (light == nullptr || index >= kMostLights || FAILED(ValidateLight(*light))) {
        return D3DERR_INVALIDCALL;
    }
    if (index >= lights_.size()) {
        lights_.resize(index + 1, LightSlot{DefaultLight(), false});
    }
    lights_[index].light = *light;
    return S_OK;
}

HRESULT NativeDevice::LightEnable(DWORD index, BOOL enable) {
    if (index >= kMostLights) {
        return D3DERR_INVALIDCALL;
    }
    // A light enabled before it was set is the default light.
    if (index >= lights_.size()) {
        lights_.resize(index + 1, LightSlot{DefaultLight(), false});
    }
    lights_[index].enabled = enable != FALSE;
    return S_OK;
}

HRESULT NativeDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (!IsRenderState(state)) {
        return D3DERR_INVALIDCALL;
    }
    states_.render[state] = value;
    return S_OK;
}

HRESULT NativeDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    if (stage >= kTextureStageCount) {
        return D3DERR_INVALIDCALL;
    }
    // Every texture in this process is one of ours: the device makes them all.
    auto* native = static_cast<NativeTexture*>(static_cast<IDirect3DTexture9*>(texture));
    if (native != nullptr && &native->Device() != this) {
        return D3DERR_INVALIDCALL;
    }
    Rebind(textures_[stage], native);
    return S_OK;
}

HRESULT NativeDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                           DWORD value) {
    if (!IsStageState(stage, type)) {
        return D3DERR_INVALIDCALL;
    }
    states_.stage[stage][type] = value;
    return S_OK;
}

HRESULT NativeDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    if (!IsSamplerState(sampler, type)) {
        return D3DERR_INVALIDCALL;
    }
    states_.sampler[sampler][type] = value;
    return S_OK;
}

HRESULT NativeDevice::SetFVF(DWORD fvf) {
    fvf_ = fvf;
    return S_OK;
}

HRESULT NativeDevice::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* streamData,
                                      UINT offsetInBytes, UINT stride) {
    if (streamNumber >= kVertexStreams) {
        return D3DERR_INVALIDCALL;
    }
    auto* native = static_cast<NativeVertexBuffer*>(streamData);
    if (native != nullptr && &native->Device() != this) {
        return D3DERR_INVALIDCALL;
    }
    if (streamNumber != 0) {
        return S_OK; // vertices of a flexible format come from stream 0 alone
    }
    Rebind(streamBuffer_, native);
    streamOffset_ = offsetInBytes;
    streamStride_ = stride;
    return S_OK;
}

std::vector<std::uint32_t> NativeDevice::ReadBackBuffer() {
    return backBuffer_.ReadPixels(Gl());
}
