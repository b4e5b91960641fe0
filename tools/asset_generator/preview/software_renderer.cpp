#include "software_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "model/loader_mqa.h"
#include "render/animation.h"
#include "render/mesh_builder.h"

namespace preview {

namespace {

// What the game's frame sets: light colours and projection planes.
constexpr float kLightDiffuse = 0.8f;
constexpr float kLightSpecular = 0.8f;
constexpr float kLightAmbient = 0.2f;
constexpr float kGlobalAmbient = 1.0f;
constexpr float kNear = 100.0f;
constexpr float kFar = 10000.0f;

struct Vector4 {
    float x, y, z, w;
};

Vector4 Transform4(const D3DXVECTOR3& p, const D3DXMATRIX& m) {
    return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41,
            p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
            p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43,
            p.x * m._14 + p.y * m._24 + p.z * m._34 + m._44};
}

D3DXVECTOR3 Normalized(D3DXVECTOR3 v) {
    NormalizeOrUp(v);
    return v;
}

// Normals move with the inverse transpose; the cofactors are proportional to it.
D3DXVECTOR3 TransformNormal(const D3DXVECTOR3& n, const D3DXMATRIX& m) {
    const auto& a = m.m;
    const float c[3][3] = {
        {a[1][1] * a[2][2] - a[1][2] * a[2][1], -(a[1][0] * a[2][2] - a[1][2] * a[2][0]),
         a[1][0] * a[2][1] - a[1][1] * a[2][0]},
        {-(a[0][1] * a[2][2] - a[0][2] * a[2][1]), a[0][0] * a[2][2] - a[0][2] * a[2][0],
         -(a[0][0] * a[2][1] - a[0][1] * a[2][0])},
        {a[0][1] * a[1][2] - a[0][2] * a[1][1], -(a[0][0] * a[1][2] - a[0][2] * a[1][0]),
         a[0][0] * a[1][1] - a[0][1] * a[1][0]}};
    return Normalized({n.x * c[0][0] + n.y * c[1][0] + n.z * c[2][0],
                       n.x * c[0][1] + n.y * c[1][1] + n.z * c[2][1],
                       n.x * c[0][2] + n.y * c[1][2] + n.z * c[2][2]});
}

void Sample(const Texture& texture, float u, float v, float rgb[3]) {
    const float x = u * static_cast<float>(texture.width) - 0.5f;
    const float y = v * static_cast<float>(texture.height) - 0.5f;
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const float tx = x - fx;
    const float ty = y - fy;
    auto texel = [&](int ix, int iy, int channel) {
        const int wx = ((ix % texture.width) + texture.width) % texture.width;
        const int wy = ((iy % texture.height) + texture.height) % texture.height;
        const std::size_t at =
            (static_cast<std::size_t>(wy) * static_cast<std::size_t>(texture.width) +
             static_cast<std::size_t>(wx)) *
                3 +
            static_cast<std::size_t>(channel);
        return static_cast<float>(texture.rgb[at]) / 255.0f;
    };
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    for (int channel = 0; channel < 3; ++channel) {
        const float top = texel(ix, iy, channel) * (1.0f - tx) + texel(ix + 1, iy, channel) * tx;
        const float bottom =
            texel(ix, iy + 1, channel) * (1.0f - tx) + texel(ix + 1, iy + 1, channel) * tx;
        rgb[channel] = top * (1.0f - ty) + bottom * ty;
    }
}

} // namespace

Canvas::Canvas(int width, int height, std::uint32_t clearRgb)
    : width_(width), height_(height),
      rgb_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3),
      depth_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 1.0f) {
    for (std::size_t i = 0; i < depth_.size(); ++i) {
        rgb_[i * 3 + 0] = static_cast<std::uint8_t>(clearRgb >> 16);
        rgb_[i * 3 + 1] = static_cast<std::uint8_t>(clearRgb >> 8);
        rgb_[i * 3 + 2] = static_cast<std::uint8_t>(clearRgb);
    }
}

void Canvas::SetCamera(const Camera& camera) {
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    D3DXMatrixLookAtRH(&view, &camera.eye, &camera.target, &up);
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovRH(&projection, D3DXToRadian(camera.fovDegrees),
                               static_cast<float>(width_) / static_cast<float>(height_), kNear,
                               kFar);
    D3DXMatrixMultiply(&viewProjection_, &view, &projection);
    eye_ = camera.eye;
    // The game's light direction is the eye minus the target; lighting uses its opposite.
    toLight_ = Normalized({camera.target.x - camera.eye.x, camera.target.y - camera.eye.y,
                           camera.target.z - camera.eye.z});
}

void Canvas::DrawModel(const Model& model, const D3DXMATRIX& world, int frame,
                       const TextureSet& textures) {
    for (std::size_t i = 0; i < model.objects.size(); ++i) {
        if (static_cast<int>(i) == model.collisionObject) {
            continue;
        }
        const ModelObject& object = model.objects[i];
        const D3DXMATRIX key = GetKeyMatrix(object, 0, frame);
        D3DXMATRIX placement;
        D3DXMatrixMultiply(&placement, &key, &world);
        for (const Face& face : object.faces) {
            if (face.material < 0 ||
                static_cast<std::size_t>(face.material) >= model.materials.size() ||
                (face.indices.size() != 3 && face.indices.size() != 4) ||
                object.CornersOf(face).size() != face.indices.size()) {
                continue;
            }
            const Material& material = model.materials[static_cast<std::size_t>(face.material)];
            const D3DMATERIAL9& lit = material.deviceMaterial;
            const auto found = textures.find(material.textureName);
            const Texture* texture = found == textures.end() ? nullptr : &found->second;
            ScreenVertex corners[4] = {};
            bool visible = true;
            for (std::size_t c = 0; c < face.indices.size(); ++c) {
                const D3DXVECTOR3& p = object.vertices[static_cast<std::size_t>(face.indices[c])];
                const Vector4 w = Transform4(p, placement);
                const D3DXVECTOR3 position(w.x, w.y, w.z);
                const D3DXVECTOR3 normal =
                    TransformNormal(object.CornersOf(face)[c].normal, placement);
                const float diffuse = std::max(0.0f, D3DXVec3Dot(&normal, &toLight_));
                float specular = 0.0f;
                if (diffuse > 0.0f && lit.Power > 0.0f) {
                    const D3DXVECTOR3 toEye =
                        Normalized({eye_.x - position.x, eye_.y - position.y, eye_.z - position.z});
                    const D3DXVECTOR3 half = Normalized(
                        {toEye.x + toLight_.x, toEye.y + toLight_.y, toEye.z + toLight_.z});
                    specular = std::pow(std::max(0.0f, D3DXVec3Dot(&normal, &half)), lit.Power);
                }
                auto channel = [&](float emissive, float ambient, float diffuseColour) {
                    return std::clamp(emissive + ambient * (kGlobalAmbient + kLightAmbient) +
                                          diffuseColour * kLightDiffuse * diffuse,
                                      0.0f, 1.0f);
                };
                const Vector4 clip = Transform4(position, viewProjection_);
                if (clip.w < 1.0f) {
                    visible = false;
                    break;
                }
                ScreenVertex& s = corners[c];
                s.inverseW = 1.0f / clip.w;
                s.x = (clip.x * s.inverseW * 0.5f + 0.5f) * static_cast<float>(width_);
                s.y = (0.5f - clip.y * s.inverseW * 0.5f) * static_cast<float>(height_);
                s.depth = clip.z * s.inverseW;
                s.r = channel(lit.Emissive.r, lit.Ambient.r, lit.Diffuse.r);
                s.g = channel(lit.Emissive.g, lit.Ambient.g, lit.Diffuse.g);
                s.b = channel(lit.Emissive.b, lit.Ambient.b, lit.Diffuse.b);
                s.sr = lit.Specular.r * kLightSpecular * specular;
                s.sg = lit.Specular.g * kLightSpecular * specular;
                s.sb = lit.Specular.b * kLightSpecular * specular;
                s.u = c < face.uvs.size() ? face.uvs[c].u : 0.0f;
                s.v = c < face.uvs.size() ? face.uvs[c].v : 0.0f;
            }
            if (!visible) {
                continue;
            }
            DrawTriangle(corners[0], corners[1], corners[2], texture);
            if (face.indices.size() == 4) {
                DrawTriangle(corners[2], corners[3], corners[0], texture);
            }
        }
    }
}

void Canvas::DrawTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                          const Texture* texture) {
    // Screen y runs down: a positive area is clockwise on screen, the winding
    // the game's counter-clockwise culling keeps.
    const float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    if (area <= 0.0f) {
        return;
    }
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min({a.x, b.x, c.x}))));
    const int x1 = std::min(width_ - 1, static_cast<int>(std::ceil(std::max({a.x, b.x, c.x}))));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min({a.y, b.y, c.y}))));
    const int y1 = std::min(height_ - 1, static_cast<int>(std::ceil(std::max({a.y, b.y, c.y}))));
    auto edge = [](const ScreenVertex& p, const ScreenVertex& q, float x, float y) {
        return (q.x - p.x) * (y - p.y) - (q.y - p.y) * (x - p.x);
    };
    for (int py = y0; py <= y1; ++py) {
        for (int px = x0; px <= x1; ++px) {
            const float x = static_cast<float>(px) + 0.5f;
            const float y = static_cast<float>(py) + 0.5f;
            const float wa = edge(b, c, x, y) / area;
            const float wb = edge(c, a, x, y) / area;
            const float wc = edge(a, b, x, y) / area;
            if (wa < 0.0f || wb < 0.0f || wc < 0.0f) {
                continue;
            }
            const std::size_t at = static_cast<std::size_t>(py) * static_cast<std::size_t>(width_) +
                                   static_cast<std::size_t>(px);
            const float depth = wa * a.depth + wb * b.depth + wc * c.depth;
            if (depth < 0.0f || depth > depth_[at]) {
                continue;
            }
            depth_[at] = depth;
            const float inverseW = wa * a.inverseW + wb * b.inverseW + wc * c.inverseW;
            auto attribute = [&](float ScreenVertex::*field) {
                return (wa * a.*field * a.inverseW + wb * b.*field * b.inverseW +
                        wc * c.*field * c.inverseW) /
                       inverseW;
            };
            float colour[3] = {attribute(&ScreenVertex::r), attribute(&ScreenVertex::g),
                               attribute(&ScreenVertex::b)};
            if (texture != nullptr) {
                float texel[3] = {};
                Sample(*texture, attribute(&ScreenVertex::u), attribute(&ScreenVertex::v), texel);
                for (int k = 0; k < 3; ++k) {
                    colour[k] *= texel[k];
                }
            }
            colour[0] += attribute(&ScreenVertex::sr);
            colour[1] += attribute(&ScreenVertex::sg);
            colour[2] += attribute(&ScreenVertex::sb);
            for (int k = 0; k < 3; ++k) {
                rgb_[at * 3 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(
                    std::lround(std::clamp(colour[k], 0.0f, 1.0f) * 255.0f));
            }
        }
    }
}

void Canvas::PasteInto(Canvas& target, int x, int y) const {
    for (int row = 0; row < height_; ++row) {
        for (int column = 0; column < width_; ++column) {
            const int tx = x + column;
            const int ty = y + row;
            if (tx < 0 || ty < 0 || tx >= target.width_ || ty >= target.height_) {
                continue;
            }
            for (int k = 0; k < 3; ++k) {
                target
                    .rgb_[(static_cast<std::size_t>(ty) * static_cast<std::size_t>(target.width_) +
                           static_cast<std::size_t>(tx)) *
                              3 +
                          static_cast<std::size_t>(k)] =
                    rgb_[(static_cast<std::size_t>(row) * static_cast<std::size_t>(width_) +
                          static_cast<std::size_t>(column)) *
                             3 +
                         static_cast<std::size_t>(k)];
            }
        }
    }
}

bool LoadModel(const std::string& path, Model& model) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    int result = 0;
    {
        LoaderMQA loader(file, &model);
        result = loader.Load();
    }
    std::fclose(file);
    model.FindCollisionObject();
    for (ModelObject& object : model.objects) {
        CollectSmoothingFaces(object);
        ComputeCornerNormals(object);
    }
    return result == kLoadOk;
}

void LoadTextures(const Model& model, const std::string& textureFolder, TextureSet& textures) {
    for (const Material& material : model.materials) {
        if (material.textureName.empty() || textures.count(material.textureName) != 0) {
            continue;
        }
        std::string name = material.textureName;
        std::replace(name.begin(), name.end(), '\\', '/');
        int width = 0;
        int height = 0;
        int channels = 0;
        stbi_uc* pixels =
            stbi_load((textureFolder + "/" + name).c_str(), &width, &height, &channels, 3);
        if (pixels == nullptr) {
            std::fprintf(stderr, "cannot decode texture %s\n", name.c_str());
            continue;
        }
        Texture& texture = textures[material.textureName];
        texture.width = width;
        texture.height = height;
        texture.rgb.assign(pixels, pixels + static_cast<std::size_t>(width) *
                                                static_cast<std::size_t>(height) * 3);
        stbi_image_free(pixels);
    }
}

bool WritePng(const std::string& path, const Canvas& canvas) {
    return stbi_write_png(path.c_str(), canvas.Width(), canvas.Height(), 3, canvas.Rgb().data(),
                          canvas.Width() * 3) != 0;
}

} // namespace preview
