#include "platform/opengl/device_states.h"

DeviceStates DefaultDeviceStates(bool hasDepthBuffer) {
    DeviceStates states;
    auto& render = states.render;
    render[D3DRS_ZENABLE] = hasDepthBuffer ? D3DZB_TRUE : D3DZB_FALSE;
    render[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    render[D3DRS_ZWRITEENABLE] = TRUE;
    render[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    render[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    render[D3DRS_CULLMODE] = D3DCULL_CCW;
    render[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    render[D3DRS_ALPHABLENDENABLE] = FALSE;
    render[D3DRS_SPECULARENABLE] = FALSE;
    render[D3DRS_LIGHTING] = TRUE;
    render[D3DRS_AMBIENT] = 0;
    render[D3DRS_COLORVERTEX] = TRUE;
    render[D3DRS_LOCALVIEWER] = TRUE;
    render[D3DRS_NORMALIZENORMALS] = FALSE;
    render[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    render[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    render[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    render[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;

    for (DWORD index = 0; index < kTextureStageCount; ++index) {
        auto& stage = states.stage[index];
        // Stage 0 modulates the texture with the lit colour; every later stage is off.
        stage[D3DTSS_COLOROP] = index == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        stage[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        stage[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        stage[D3DTSS_ALPHAOP] = index == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        stage[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        stage[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    }
    for (auto& sampler : states.sampler) {
        sampler[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        sampler[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        sampler[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    }
    return states;
}

bool IsRenderState(DWORD state) {
    return state < kRenderStateCount;
}

bool IsStageState(DWORD stage, DWORD state) {
    return stage < kTextureStageCount && state < kStageStateCount;
}

bool IsSamplerState(DWORD sampler, DWORD state) {
    return sampler < kSamplerCount && state < kSamplerStateCount;
}
