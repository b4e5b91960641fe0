#include "platform/opengl/gl_device.h"

#include <algorithm>
#include <cstdio>

#include "platform/opengl/gl_resources.h"
#include "platform/opengl/presentation.h"
#include "platform/opengl/texture_layout.h"
#include "platform/opengl/vertex_layout.h"

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

HRESULT GlDevice::Create(std::shared_ptr<GlContext> context, D3DPRESENT_PARAMETERS& params,
                         D3DFORMAT desktopFormat, GlDevice** device) {
    *device = nullptr;
    const SurfaceSize client = context->Surface().ClientSize();
    D3DPRESENT_PARAMETERS resolved = params;
    BackBufferFormat format;
    const HRESULT result =
        ResolvePresentParameters(resolved, static_cast<UINT>(client.width),
                                 static_cast<UINT>(client.height), desktopFormat, format);
    if (FAILED(result)) {
        return result;
    }
    auto* made = new GlDevice(std::move(context));
    if (!made->SetUp(format)) {
        made->Release();
        return D3DERR_NOTAVAILABLE;
    }
    params = resolved;
    *device = made;
    return S_OK;
}

GlDevice::GlDevice(std::shared_ptr<GlContext> context) : context_(std::move(context)) {}

bool GlDevice::SetUp(const BackBufferFormat& format) {
    const GlFunctions& gl = context_->MakeCurrent();
    std::string problem;
    if (!program_.Create(gl, problem)) {
        std::fprintf(stderr, "korvane: the fixed-function shader failed: %s\n", problem.c_str());
        return false;
    }
    if (!backBuffer_.Create(gl, format, context_->Surface().DrawableSize())) {
        std::fprintf(stderr, "korvane: no %u x %u back buffer\n", format.width, format.height);
        return false;
    }
    context_->Surface().SetSwapInterval(format.swapInterval);
    gl.glGenVertexArrays(1, &vertexArray_);
    gl.glBindVertexArray(vertexArray_);
    gl.glGenSamplers(1, &sampler_);
    gl.glBindSampler(0, sampler_);
    RestoreDefaultState();
    return true;
}

GlDevice::~GlDevice() {
    const GlFunctions& gl = context_->MakeCurrent();
    program_.Destroy(gl);
    backBuffer_.Destroy(gl);
    if (sampler_ != 0) {
        gl.glDeleteSamplers(1, &sampler_);
    }
    if (vertexArray_ != 0) {
        gl.glDeleteVertexArrays(1, &vertexArray_);
    }
}

HRESULT GlDevice::QueryInterface(REFIID, void** object) {
    if (object != nullptr) {
        *object = nullptr;
    }
    return E_NOINTERFACE;
}

ULONG GlDevice::AddRef() {
    return ++references_;
}

ULONG GlDevice::Release() {
    const ULONG remaining = --references_;
    if (remaining == 0) {
        // The device's own hold on bound objects ends with its last reference;
        // the context lives on in the resources still held elsewhere.
        UnbindAll();
        delete this;
    }
    return remaining;
}

void GlDevice::UnbindAll() {
    for (GlTexture*& texture : textures_) {
        Rebind<GlTexture>(texture, nullptr);
    }
    Rebind<GlVertexBuffer>(streamBuffer_, nullptr);
}

void GlDevice::RestoreDefaultState() {
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

HRESULT GlDevice::Reset(D3DPRESENT_PARAMETERS* presentationParameters) {
    if (presentationParameters == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const SurfaceSize client = context_->Surface().ClientSize();
    D3DPRESENT_PARAMETERS resolved = *presentationParameters;
    BackBufferFormat format;
    const HRESULT result = ResolvePresentParameters(
        resolved, static_cast<UINT>(client.width), static_cast<UINT>(client.height),
        backBuffer_.Format().hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8, format);
    if (FAILED(result)) {
        return result;
    }
    const GlFunctions& gl = context_->MakeCurrent();
    const BackBufferFormat previous = backBuffer_.Format();
    const SurfaceSize drawable = context_->Surface().DrawableSize();
    backBuffer_.Destroy(gl);
    if (!backBuffer_.Create(gl, format, drawable)) {
        backBuffer_.Create(gl, previous, drawable);
        return D3DERR_NOTAVAILABLE;
    }
    context_->Surface().SetSwapInterval(format.swapInterval);
    *presentationParameters = resolved;
    RestoreDefaultState();
    return S_OK;
}

HRESULT GlDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* sharedHandle) {
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    GLint largest = 0;
    context_->MakeCurrent().glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
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
        new GlTexture(context_, width, height, levels == 0 ? fullChain : levels, format, pool);
    return S_OK;
}

HRESULT GlDevice::CreateVertexBuffer(UINT length, DWORD, DWORD fvf, D3DPOOL pool,
                                     IDirect3DVertexBuffer9** vertexBuffer, HANDLE* sharedHandle) {
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
    *vertexBuffer = new GlVertexBuffer(context_, length);
    return S_OK;
}

HRESULT GlDevice::BeginScene() {
    if (inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = true;
    return S_OK;
}

HRESULT GlDevice::EndScene() {
    if (!inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = false;
    return S_OK;
}

HRESULT GlDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
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

HRESULT GlDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
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

HRESULT GlDevice::SetMaterial(const D3DMATERIAL9* material) {
    if (material == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    material_ = *material;
    return S_OK;
}

HRESULT GlDevice::SetLight(DWORD index, const D3DLIGHT9* light) {
    if (light == nullptr || index >= kMostLights || FAILED(ValidateLight(*light))) {
        return D3DERR_INVALIDCALL;
    }
    if (index >= lights_.size()) {
        lights_.resize(index + 1, LightSlot{DefaultLight(), false});
    }
    lights_[index].light = *light;
    return S_OK;
}

HRESULT GlDevice::LightEnable(DWORD index, BOOL enable) {
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

HRESULT GlDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (!IsRenderState(state)) {
        return D3DERR_INVALIDCALL;
    }
    states_.render[state] = value;
    return S_OK;
}

HRESULT GlDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    if (stage >= kTextureStageCount) {
        return D3DERR_INVALIDCALL;
    }
    // Every texture in this process is one of ours: the device makes them all.
    auto* ours = static_cast<GlTexture*>(static_cast<IDirect3DTexture9*>(texture));
    if (ours != nullptr && ours->Context() != context_.get()) {
        return D3DERR_INVALIDCALL;
    }
    Rebind(textures_[stage], ours);
    return S_OK;
}

HRESULT GlDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (!IsStageState(stage, type)) {
        return D3DERR_INVALIDCALL;
    }
    states_.stage[stage][type] = value;
    return S_OK;
}

HRESULT GlDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    if (!IsSamplerState(sampler, type)) {
        return D3DERR_INVALIDCALL;
    }
    states_.sampler[sampler][type] = value;
    return S_OK;
}

HRESULT GlDevice::SetFVF(DWORD fvf) {
    fvf_ = fvf;
    return S_OK;
}

HRESULT GlDevice::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* streamData,
                                  UINT offsetInBytes, UINT stride) {
    if (streamNumber >= kVertexStreams) {
        return D3DERR_INVALIDCALL;
    }
    auto* ours = static_cast<GlVertexBuffer*>(streamData);
    if (ours != nullptr && ours->Context() != context_.get()) {
        return D3DERR_INVALIDCALL;
    }
    if (streamNumber != 0) {
        return S_OK; // vertices of a flexible format come from stream 0 alone
    }
    Rebind(streamBuffer_, ours);
    streamOffset_ = offsetInBytes;
    streamStride_ = stride;
    return S_OK;
}

void GlDevice::FollowTheDrawable(const GlFunctions& gl) {
    if (followDrawable_) {
        backBuffer_.Follow(gl, context_->Surface().DrawableSize());
        followDrawable_ = false;
    }
}

FramePixels GlDevice::ReadFrame(FrameRegion region) {
    return backBuffer_.Read(context_->MakeCurrent(), region);
}
