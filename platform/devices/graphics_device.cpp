#include "platform/devices/graphics_device.h"

#include "platform/sdk/com_release.h"
#include "platform/d3dx/d3dx_math.h"
#include "platform/devices/device_window.h"
#include "platform/devices/view_size.h"

D3DPRESENT_PARAMETERS WindowedPresentParameters(D3DFORMAT backBufferFormat) {
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = static_cast<UINT>(kViewWidth);
    params.BackBufferHeight = static_cast<UINT>(kViewHeight);
    params.BackBufferFormat = backBufferFormat;
    params.BackBufferCount = 0;
    params.MultiSampleType = D3DMULTISAMPLE_NONE;
    params.MultiSampleQuality = 0;
    params.SwapEffect = D3DSWAPEFFECT_FLIP;
    params.hDeviceWindow = nullptr;
    params.Windowed = TRUE;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D16;
    params.Flags = 0;
    params.FullScreen_RefreshRateInHz = 0;
    params.PresentationInterval = 0;
    return params;
}

GraphicsDevice::GraphicsDevice() {
    direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (direct3D == nullptr) {
        return;
    }
    adapter = 0;
    D3DDISPLAYMODE displayMode{};
    // Windowed mode accepts an unknown format: it then takes the desktop's.
    const D3DFORMAT backBufferFormat =
        SUCCEEDED(direct3D->GetAdapterDisplayMode(adapter, &displayMode)) ? displayMode.Format
                                                                          : D3DFMT_UNKNOWN;
    viewWidth = static_cast<float>(kViewWidth);
    viewHeight = static_cast<float>(kViewHeight);
    presentParams = WindowedPresentParameters(backBufferFormat);

    if (FAILED(direct3D->CreateDevice(adapter, D3DDEVTYPE_HAL, mainWindow,
                                      D3DCREATE_HARDWARE_VERTEXPROCESSING, &presentParams,
                                      &device))) {
        device = nullptr;
        if (FAILED(direct3D->CreateDevice(adapter, D3DDEVTYPE_HAL, mainWindow,
                                          D3DCREATE_SOFTWARE_VERTEXPROCESSING, &presentParams,
                                          &device))) {
            device = nullptr;
            return;
        }
    }
    clearColor = 0xFF1E415A;
    D3DXCreateSprite(device, &sprite);
}

void GraphicsDevice::BeginFrame(float nearZ, float farZ, float fovDegrees) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clearColor, 1.0f, 0);
    device->BeginScene();

    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);

    // The colour operation and its second argument are set twice on purpose:
    // the sequence is kept exactly as the frame has always set it.
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);

    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);

    device->LightEnable(0, TRUE);

    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetRenderState(D3DRS_COLORVERTEX, FALSE);

    device->SetFVF(kMeshVertexFormat);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);

    const float fov = D3DXToRadian(fovDegrees);
    const float aspect = viewWidth / viewHeight;
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovRH(&projection, fov, aspect, nearZ, farZ);
    device->SetTransform(D3DTS_PROJECTION, &projection);
}

void GraphicsDevice::SetDirectionalLight(float x, float y, float z) {
    light = D3DLIGHT9{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
    light.Specular = {0.8f, 0.8f, 0.8f, 1.0f};
    light.Ambient = {0.2f, 0.2f, 0.2f, 1.0f};
    light.Position = {0.0f, 0.0f, 0.0f};
    light.Direction = {-x, -y, -z};
    light.Range = 10000.0f;
    light.Falloff = 1.0f;
    light.Attenuation0 = 0.0f;
    light.Attenuation1 = 0.0f;
    light.Attenuation2 = 0.0f;
    light.Theta = 0.0f;
    light.Phi = D3DX_PI;
    device->SetLight(0, &light);
}

void GraphicsDevice::EndFrame() {
    device->EndScene();
    // Everything the game creates lives in the managed pool, so a Reset is the
    // whole recovery from a lost device; it is simply retried next frame.
    if (FAILED(device->Present(nullptr, nullptr, nullptr, nullptr))) {
        device->Reset(&presentParams);
    }
}

void GraphicsDevice::Destroy(GraphicsDevice* record) {
    if (record == nullptr) {
        return;
    }
    ReleaseAndClear(record->sprite);
    ReleaseAndClear(record->device);
    ReleaseAndClear(record->direct3D);
    delete record;
}
