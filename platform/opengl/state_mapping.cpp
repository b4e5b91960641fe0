#include "platform/opengl/state_mapping.h"

namespace {

StageSource SourceOf(DWORD argument) {
    return argument == D3DTA_TEXTURE ? StageSource::Texture : StageSource::Diffuse;
}

StageOperation OperationOf(DWORD operation) {
    switch (operation) {
    case D3DTOP_SELECTARG1:
        return StageOperation::SelectFirst;
    case D3DTOP_SELECTARG2:
        return StageOperation::SelectSecond;
    default:
        return StageOperation::Modulate;
    }
}

// An operation that reads a texture that is not there selects the lit value instead.
void PassLitWhereTextureRead(StageOperation& operation, StageSource& first, StageSource& second) {
    const bool readsFirst = operation != StageOperation::SelectSecond;
    const bool readsSecond = operation != StageOperation::SelectFirst;
    if ((readsFirst && first == StageSource::Texture) ||
        (readsSecond && second == StageSource::Texture)) {
        operation = StageOperation::SelectFirst;
        first = StageSource::Diffuse;
    }
}

GLenum MinFilterFor(DWORD minFilter, DWORD mipFilter) {
    const bool linear = minFilter == D3DTEXF_LINEAR;
    switch (mipFilter) {
    case D3DTEXF_POINT:
        return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    case D3DTEXF_LINEAR:
        return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    default: // D3DTEXF_NONE: the top level only
        return linear ? GL_LINEAR : GL_NEAREST;
    }
}

GLenum WrapFor(DWORD address) {
    switch (address) {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    default:
        return GL_REPEAT;
    }
}

} // namespace

GLenum BlendFactorFor(DWORD blend) {
    switch (blend) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    default:
        return GL_ONE;
    }
}

GLenum DepthFunctionFor(DWORD comparison) {
    switch (comparison) {
    case D3DCMP_NEVER:
        return GL_NEVER;
    case D3DCMP_LESS:
        return GL_LESS;
    case D3DCMP_EQUAL:
        return GL_EQUAL;
    case D3DCMP_GREATER:
        return GL_GREATER;
    case D3DCMP_NOTEQUAL:
        return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
        return GL_GEQUAL;
    case D3DCMP_ALWAYS:
        return GL_ALWAYS;
    default:
        return GL_LEQUAL;
    }
}

BlendSettings BlendSettingsFor(const DeviceStates& states) {
    BlendSettings blend;
    blend.enabled = states.Render(D3DRS_ALPHABLENDENABLE) != FALSE;
    const DWORD source = states.Render(D3DRS_SRCBLEND);
    // The two "both" factors set the source and the destination at once and
    // override D3DRS_DESTBLEND.
    if (source == D3DBLEND_BOTHSRCALPHA) {
        blend.source = GL_SRC_ALPHA;
        blend.destination = GL_ONE_MINUS_SRC_ALPHA;
    } else if (source == D3DBLEND_BOTHINVSRCALPHA) {
        blend.source = GL_ONE_MINUS_SRC_ALPHA;
        blend.destination = GL_SRC_ALPHA;
    } else {
        blend.source = BlendFactorFor(source);
        blend.destination = BlendFactorFor(states.Render(D3DRS_DESTBLEND));
    }
    return blend;
}

CullSettings CullSettingsFor(DWORD cullMode) {
    switch (cullMode) {
    case D3DCULL_NONE:
        return CullSettings{false, GL_CCW};
    case D3DCULL_CW:
        return CullSettings{true, GL_CW};
    default: // D3DCULL_CCW, the default
        return CullSettings{true, GL_CCW};
    }
}

DepthSettings DepthSettingsFor(const DeviceStates& states, bool hasDepthBuffer) {
    DepthSettings depth;
    depth.test = hasDepthBuffer && states.Render(D3DRS_ZENABLE) != D3DZB_FALSE;
    depth.write = depth.test && states.Render(D3DRS_ZWRITEENABLE) != FALSE;
    depth.function = DepthFunctionFor(states.Render(D3DRS_ZFUNC));
    return depth;
}

SamplerSettings SamplerSettingsFor(const DeviceStates& states, DWORD sampler) {
    SamplerSettings settings;
    settings.minFilter = MinFilterFor(states.Sampler(sampler, D3DSAMP_MINFILTER),
                                      states.Sampler(sampler, D3DSAMP_MIPFILTER));
    settings.magFilter =
        states.Sampler(sampler, D3DSAMP_MAGFILTER) == D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST;
    settings.wrapS = WrapFor(states.Sampler(sampler, D3DSAMP_ADDRESSU));
    settings.wrapT = WrapFor(states.Sampler(sampler, D3DSAMP_ADDRESSV));
    return settings;
}

StageCombiner StageCombinerFor(const DeviceStates& states, bool textureBound) {
    StageCombiner combiner;
    const DWORD colorOperation = states.Stage(0, D3DTSS_COLOROP);
    if (colorOperation == D3DTOP_DISABLE) {
        // A disabled stage 0 passes the lit colour and its alpha through untextured.
        combiner.colorOperation = StageOperation::SelectFirst;
        combiner.colorFirst = StageSource::Diffuse;
        combiner.alphaOperation = StageOperation::SelectFirst;
        combiner.alphaFirst = StageSource::Diffuse;
        return combiner;
    }
    combiner.colorOperation = OperationOf(colorOperation);
    combiner.colorFirst = SourceOf(states.Stage(0, D3DTSS_COLORARG1));
    combiner.colorSecond = SourceOf(states.Stage(0, D3DTSS_COLORARG2));
    const DWORD alphaOperation = states.Stage(0, D3DTSS_ALPHAOP);
    if (alphaOperation == D3DTOP_DISABLE) {
        // Not allowed while the colour is combined; the lit alpha is the safe reading.
        combiner.alphaOperation = StageOperation::SelectFirst;
        combiner.alphaFirst = StageSource::Diffuse;
    } else {
        combiner.alphaOperation = OperationOf(alphaOperation);
        combiner.alphaFirst = SourceOf(states.Stage(0, D3DTSS_ALPHAARG1));
        combiner.alphaSecond = SourceOf(states.Stage(0, D3DTSS_ALPHAARG2));
    }
    if (!textureBound) {
        PassLitWhereTextureRead(combiner.colorOperation, combiner.colorFirst, combiner.colorSecond);
        PassLitWhereTextureRead(combiner.alphaOperation, combiner.alphaFirst, combiner.alphaSecond);
    }
    return combiner;
}
