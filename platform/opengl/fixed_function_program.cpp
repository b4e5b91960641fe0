#include "platform/opengl/fixed_function_program.h"

#include <iterator>

namespace {

// Names in the order of FixedFunctionProgram::Uniform.
constexpr const char* kUniformNames[] = {
    "clipFromObject", "viewFromObject",  "normalFromObject", "lighting",       "normalizeNormals",
    "localViewer",    "specularEnabled", "baseColour",       "diffuseAlpha",   "power",
    "lightCount",     "toLight",         "lightDiffuse",     "lightSpecular",  "stageTexture",
    "colorOperation", "colorFirst",      "colorSecond",      "alphaOperation", "alphaFirst",
    "alphaSecond",
};

// The version line and the number of lights come first (see VertexShaderSource).
// The shaders are written in what GLSL 3.30 core and GLSL ES 3.00 share.
constexpr const char* kVertexShaderBody = R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texCoord;

uniform mat4 clipFromObject;
uniform mat4 viewFromObject;
uniform mat3 normalFromObject;
uniform bool lighting;
uniform bool normalizeNormals;
uniform bool localViewer;
uniform bool specularEnabled;
uniform vec3 baseColour;
uniform float diffuseAlpha;
uniform float power;
uniform int lightCount;
uniform vec3 toLight[MAX_LIGHTS];
uniform vec3 lightDiffuse[MAX_LIGHTS];
uniform vec3 lightSpecular[MAX_LIGHTS];

out vec4 litDiffuse;
out vec3 litSpecular;
out vec2 stageTexCoord;

void main() {
    gl_Position = clipFromObject * vec4(position, 1.0);
    stageTexCoord = texCoord;
    if (!lighting) {
        litDiffuse = vec4(1.0);
        litSpecular = vec3(0.0);
        return;
    }
    vec3 n = normalFromObject * normal;
    if (normalizeNormals && dot(n, n) > 0.0) {
        n = normalize(n);
    }
    vec3 viewPosition = (viewFromObject * vec4(position, 1.0)).xyz;
    vec3 toViewer = vec3(0.0, 0.0, 1.0);
    if (localViewer) {
        toViewer = dot(viewPosition, viewPosition) > 0.0 ? normalize(-viewPosition) : vec3(0.0);
    }
    vec3 colour = baseColour;
    vec3 specular = vec3(0.0);
    for (int i = 0; i < lightCount; ++i) {
        float nDotL = dot(n, toLight[i]);
        if (nDotL <= 0.0) {
            continue;
        }
        colour += lightDiffuse[i] * nDotL;
        vec3 halfway = toViewer + toLight[i];
        if (specularEnabled && dot(halfway, halfway) > 0.0) {
            float nDotH = dot(n, normalize(halfway));
            if (nDotH > 0.0) {
                specular += lightSpecular[i] * pow(nDotH, power);
            }
        }
    }
    litDiffuse = clamp(vec4(colour, diffuseAlpha), 0.0, 1.0);
    litSpecular = clamp(specular, 0.0, 1.0);
}
)";

constexpr const char* kFragmentShaderBody = R"(
in vec4 litDiffuse;
in vec3 litSpecular;
in vec2 stageTexCoord;

uniform sampler2D stageTexture;
uniform bool specularEnabled;
uniform int colorOperation;
uniform int colorFirst;
uniform int colorSecond;
uniform int alphaOperation;
uniform int alphaFirst;
uniform int alphaSecond;

out vec4 fragmentColour;

vec4 texel;

vec4 Argument(int source) {
    return source == 1 ? texel : litDiffuse;
}

vec4 Combine(int operation, vec4 first, vec4 second) {
    if (operation == 0) {
        return first;
    }
    if (operation == 1) {
        return second;
    }
    return first * second;
}

void main() {
    texel = texture(stageTexture, stageTexCoord);
    vec3 colour = Combine(colorOperation, Argument(colorFirst), Argument(colorSecond)).rgb;
    float alpha = Combine(alphaOperation, Argument(alphaFirst), Argument(alphaSecond)).a;
    if (specularEnabled) {
        colour += litSpecular;
    }
    fragmentColour = vec4(clamp(colour, 0.0, 1.0), clamp(alpha, 0.0, 1.0));
}
)";

std::string VertexShaderSource() {
    return KORVANE_GLSL_PROLOGUE "#define MAX_LIGHTS " + std::to_string(kMaxActiveLights) +
           kVertexShaderBody;
}

std::string FragmentShaderSource() {
    return std::string(KORVANE_GLSL_PROLOGUE) + kFragmentShaderBody;
}

GLuint CompileShader(const GlFunctions& gl, GLenum kind, const char* source, std::string& log) {
    const GLuint shader = gl.glCreateShader(kind);
    gl.glShaderSource(shader, 1, &source, nullptr);
    gl.glCompileShader(shader);
    GLint compiled = GL_FALSE;
    gl.glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == GL_TRUE) {
        return shader;
    }
    char message[1024] = {};
    gl.glGetShaderInfoLog(shader, sizeof(message), nullptr, message);
    log = message;
    gl.glDeleteShader(shader);
    return 0;
}

int AsInt(bool value) {
    return value ? 1 : 0;
}

} // namespace

bool FixedFunctionProgram::Create(const GlFunctions& gl, std::string& log) {
    static_assert(std::size(kUniformNames) == kUniformCount, "a name for every uniform");
    const std::string vertexSource = VertexShaderSource();
    const GLuint vertex = CompileShader(gl, GL_VERTEX_SHADER, vertexSource.c_str(), log);
    if (vertex == 0) {
        return false;
    }
    const std::string fragmentSource = FragmentShaderSource();
    const GLuint fragment = CompileShader(gl, GL_FRAGMENT_SHADER, fragmentSource.c_str(), log);
    if (fragment == 0) {
        gl.glDeleteShader(vertex);
        return false;
    }
    program_ = gl.glCreateProgram();
    gl.glAttachShader(program_, vertex);
    gl.glAttachShader(program_, fragment);
    gl.glLinkProgram(program_);
    // The program keeps what it needs of attached shaders once linked.
    gl.glDeleteShader(vertex);
    gl.glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    gl.glGetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        char message[1024] = {};
        gl.glGetProgramInfoLog(program_, sizeof(message), nullptr, message);
        log = message;
        Destroy(gl);
        return false;
    }
    for (int uniform = 0; uniform < kUniformCount; ++uniform) {
        locations_[uniform] = gl.glGetUniformLocation(program_, kUniformNames[uniform]);
    }
    gl.glUseProgram(program_);
    gl.glUniform1i(locations_[kStageTexture], 0);
    return true;
}

void FixedFunctionProgram::Destroy(const GlFunctions& gl) {
    if (program_ != 0) {
        gl.glUseProgram(0);
        gl.glDeleteProgram(program_);
        program_ = 0;
    }
}

void FixedFunctionProgram::Use(const GlFunctions& gl) const {
    gl.glUseProgram(program_);
}

void FixedFunctionProgram::SetTransforms(const GlFunctions& gl, const D3DXMATRIX& clipFromObject,
                                         const D3DXMATRIX& viewFromObject,
                                         const std::array<float, 9>& normalFromObject) const {
    // OpenGL reads the rows of Direct3D's layout as columns: exactly the
    // transposition that turns v x M into M applied to a column vector.
    gl.glUniformMatrix4fv(locations_[kClipFromObject], 1, GL_FALSE, &clipFromObject.m[0][0]);
    gl.glUniformMatrix4fv(locations_[kViewFromObject], 1, GL_FALSE, &viewFromObject.m[0][0]);
    gl.glUniformMatrix3fv(locations_[kNormalFromObject], 1, GL_FALSE, normalFromObject.data());
}

void FixedFunctionProgram::SetLighting(const GlFunctions& gl,
                                       const VertexLighting& lighting) const {
    gl.glUniform1i(locations_[kLighting], AsInt(lighting.lighting));
    gl.glUniform1i(locations_[kNormalizeNormals], AsInt(lighting.normalizeNormals));
    gl.glUniform1i(locations_[kLocalViewer], AsInt(lighting.localViewer));
    gl.glUniform1i(locations_[kSpecularEnabled], AsInt(lighting.specular));
    gl.glUniform3fv(locations_[kBaseColour], 1, lighting.base);
    gl.glUniform1f(locations_[kDiffuseAlpha], lighting.diffuseAlpha);
    gl.glUniform1f(locations_[kPower], lighting.power);
    gl.glUniform1i(locations_[kLightCount], lighting.lightCount);
    float toLight[3 * kMaxActiveLights] = {};
    float diffuse[3 * kMaxActiveLights] = {};
    float specular[3 * kMaxActiveLights] = {};
    for (int light = 0; light < lighting.lightCount; ++light) {
        for (int channel = 0; channel < 3; ++channel) {
            toLight[3 * light + channel] = lighting.lights[light].toLight[channel];
            diffuse[3 * light + channel] = lighting.lights[light].diffuse[channel];
            specular[3 * light + channel] = lighting.lights[light].specular[channel];
        }
    }
    gl.glUniform3fv(locations_[kToLight], kMaxActiveLights, toLight);
    gl.glUniform3fv(locations_[kLightDiffuse], kMaxActiveLights, diffuse);
    gl.glUniform3fv(locations_[kLightSpecular], kMaxActiveLights, specular);
}

void FixedFunctionProgram::SetStage(const GlFunctions& gl, const StageCombiner& combiner) const {
    gl.glUniform1i(locations_[kColorOperation], static_cast<int>(combiner.colorOperation));
    gl.glUniform1i(locations_[kColorFirst], static_cast<int>(combiner.colorFirst));
    gl.glUniform1i(locations_[kColorSecond], static_cast<int>(combiner.colorSecond));
    gl.glUniform1i(locations_[kAlphaOperation], static_cast<int>(combiner.alphaOperation));
    gl.glUniform1i(locations_[kAlphaFirst], static_cast<int>(combiner.alphaFirst));
    gl.glUniform1i(locations_[kAlphaSecond], static_cast<int>(combiner.alphaSecond));
}
