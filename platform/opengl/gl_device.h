// IDirect3DDevice9 on OpenGL: Direct3D 9's fixed-function pipeline, as far as
// the game uses it, on an OpenGL 3.3 core or OpenGL ES 3.0 context. States,
// transforms, the material and the lights are kept as Direct3D keeps them and
// turned into OpenGL state and shader constants at each draw.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3dx_math.h"
#include "platform/opengl/back_buffer.h"
#include "platform/opengl/device_states.h"
#include "platform/opengl/fixed_function_lighting.h"
#include "platform/opengl/fixed_function_program.h"
#include "platform/opengl/gl_context.h"

class GlTexture;
class GlVertexBuffer;
struct VertexLayout;

class GlDevice final : public IDirect3DDevice9 {
  public:
    // A device drawing into the surface of `context`, with `params` completed
    // as Direct3D writes them back. D3DERR_NOTAVAILABLE when the context
    // cannot draw as the device does or `params` ask for what it does not offer.
    static HRESULT Create(std::shared_ptr<GlContext> context, D3DPRESENT_PARAMETERS& params,
                          D3DFORMAT desktopFormat, GlDevice** device);
    GlDevice(const GlDevice&) = delete;
    GlDevice& operator=(const GlDevice&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

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

    // The back buffer as 0xAARRGGBB, rows from the top: the whole of what
    // Present shows, its picture, or the picture at the presentation size.
    FramePixels ReadFrame(FrameRegion region);
    const BackBufferFormat& Presentation() const { return backBuffer_.Format(); }

  private:
    explicit GlDevice(std::shared_ptr<GlContext> context);
    ~GlDevice();

    // Compiles the program and makes the back buffer; false when the context cannot.
    bool SetUp(const BackBufferFormat& format);
    // Direct3D's state after creation or Reset: defaults, identity
    // transforms, no lights, nothing bound.
    void RestoreDefaultState();
    void UnbindAll();
    // The first clear or draw after a Present takes the drawable's size, so
    // a window that changed size gets frames drawn at its new resolution.
    void FollowTheDrawable(const GlFunctions& gl);

    // The set-up of a draw, in four parts: where and how fragments are
    // written; the program and its constants; the stage's texture and
    // sampler; the vertex stream.
    void ApplyOutputStates(const GlFunctions& gl);
    void ApplyProgram(const GlFunctions& gl);
    void BindStageTexture(const GlFunctions& gl);
    void BindVertexStream(const GlFunctions& gl, const VertexLayout& layout);

    std::shared_ptr<GlContext> context_;
    FixedFunctionProgram program_;
    BackBuffer backBuffer_;
    GLuint vertexArray_ = 0;
    GLuint sampler_ = 0;

    DeviceStates states_;
    D3DXMATRIX world_;
    D3DXMATRIX view_;
    D3DXMATRIX projection_;
    D3DMATERIAL9 material_{};
    std::vector<LightSlot> lights_;
    std::array<GlTexture*, kTextureStageCount> textures_{}; // each holds a reference
    GlVertexBuffer* streamBuffer_ = nullptr;                // stream 0, with a reference
    UINT streamOffset_ = 0;
    UINT streamStride_ = 0;
    DWORD fvf_ = 0;
    bool inScene_ = false;
    bool followDrawable_ = true;

    ULONG references_ = 1;
};
