#include "shape_builder.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace assetgen {

namespace {

struct Corner {
    int vertex = 0; // index into the object's vertices
    Vec2 uv;
};

using ShapeFace = std::vector<Corner>;

// Signed volume of the closed surface, as the game cuts its faces into triangles.
float SignedVolume(const std::vector<ShapeFace>& faces, const std::vector<Vec3>& vertices) {
    float volume = 0.0f;
    for (const ShapeFace& face : faces) {
        for (std::size_t k = 1; k + 1 < face.size(); ++k) {
            const Vec3 a = vertices[static_cast<std::size_t>(face[0].vertex)];
            const Vec3 b = vertices[static_cast<std::size_t>(face[k].vertex)];
            const Vec3 c = vertices[static_cast<std::size_t>(face[k + 1].vertex)];
            volume += Dot(a, Cross(b, c)) / 6.0f;
        }
    }
    return volume;
}

// Planar mapping of a cap over the two longest sides of its bounding box;
// images stay upright on caps that stand vertically.
Vec2 CapUv(const Ring& ring, Vec3 point) {
    Vec3 low = ring[0];
    Vec3 high = ring[0];
    for (const Vec3& p : ring) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    const Vec3 size = high - low;
    auto fraction = [](float value, float from, float extent) {
        return extent > 1e-4f ? (value - from) / extent : 0.0f;
    };
    if (size.y <= std::min(size.x, size.z)) {
        return {fraction(point.x, low.x, size.x), fraction(point.z, low.z, size.z)};
    }
    const float v = 1.0f - fraction(point.y, low.y, size.y);
    if (size.z <= size.x) {
        return {fraction(point.x, low.x, size.x), v};
    }
    return {fraction(point.z, low.z, size.z), v};
}

} // namespace

Ring EllipseRing(float y, float rx, float rz, int segments) {
    Ring ring;
    for (int i = 0; i < segments; ++i) {
        const float angle = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(segments);
        // Turning from +x towards -z keeps u running left to right seen from outside.
        ring.push_back({rx * std::cos(angle), y, -rz * std::sin(angle)});
    }
    return ring;
}

Ring RectangleRing(float y, float hx, float hz, float dz) {
    return {{-hx, y, hz + dz}, {hx, y, hz + dz}, {hx, y, -hz + dz}, {-hx, y, -hz + dz}};
}

Ring ChamferedRing(float y, float hx, float hz, float chamfer, float dz) {
    const float c = std::min({chamfer, hx, hz});
    return {{-hx + c, y, hz + dz},  {hx - c, y, hz + dz},  {hx, y, hz - c + dz},
            {hx, y, -hz + c + dz},  {hx - c, y, -hz + dz}, {-hx + c, y, -hz + dz},
            {-hx, y, -hz + c + dz}, {-hx, y, hz - c + dz}};
}

void ShapeBuilder::AddLoft(const std::vector<Ring>& rings, LoftUv uv) {
    if (rings.size() < 2) {
        throw std::logic_error("a loft needs at least two rings");
    }
    std::vector<Vec3>& vertices = object->vertices;
    std::vector<std::vector<int>> ringVertices;
    std::size_t loopSize = 0;
    for (const Ring& ring : rings) {
        if (ring.size() != 1) {
            if (loopSize != 0 && ring.size() != loopSize) {
                throw std::logic_error("loft rings must have equal point counts");
            }
            loopSize = ring.size();
        }
        std::vector<int> indices;
        for (const Vec3& point : ring) {
            indices.push_back(static_cast<int>(vertices.size()));
            vertices.push_back(TransformPoint(place, point));
        }
        ringVertices.push_back(std::move(indices));
    }
    if (loopSize < 3) {
        throw std::logic_error("a loft needs rings of at least three points");
    }

    const int n = static_cast<int>(loopSize);
    const bool wrapped = uv == LoftUv::Wrapped;
    std::vector<ShapeFace> faces;
    std::vector<int> faceMaterials;
    const float lastRing = static_cast<float>(rings.size() - 1);
    for (std::size_t j = 0; j + 1 < rings.size(); ++j) {
        // v runs from 0 at the last ring to 1 at the first, so textures stand upright.
        const float va = 1.0f - static_cast<float>(j) / lastRing;
        const float vb = 1.0f - static_cast<float>(j + 1) / lastRing;
        const std::vector<int>& a = ringVertices[j];
        const std::vector<int>& b = ringVertices[j + 1];
        for (int i = 0; i < n; ++i) {
            const int next = (i + 1) % n;
            const float u0 = wrapped ? static_cast<float>(i) / static_cast<float>(n) : 0.0f;
            const float u1 = wrapped ? static_cast<float>(i + 1) / static_cast<float>(n) : 1.0f;
            const float uMid = (u0 + u1) * 0.5f;
            ShapeFace face;
            if (a.size() == 1 && b.size() == 1) {
                throw std::logic_error("two tips in a row");
            } else if (a.size() == 1) {
                face = {{a[0], {uMid, va}}, {b[next], {u1, vb}}, {b[i], {u0, vb}}};
            } else if (b.size() == 1) {
                face = {{a[i], {u0, va}}, {a[next], {u1, va}}, {b[0], {uMid, vb}}};
            } else {
                face = {
                    {a[i], {u0, va}}, {a[next], {u1, va}}, {b[next], {u1, vb}}, {b[i], {u0, vb}}};
            }
            faces.push_back(std::move(face));
            faceMaterials.push_back(material);
        }
    }

    // End caps, wound to match the side faces that share their edges.
    auto addCap = [&](std::size_t ringIndex, bool reversed, int capMaterial) {
        const int cap = capMaterial >= 0 ? capMaterial : material;
        const Ring& ring = rings[ringIndex];
        const std::vector<int>& loop = ringVertices[ringIndex];
        if (loop.size() == 1) {
            return;
        }
        std::vector<Corner> corners;
        for (int i = 0; i < n; ++i) {
            const int k = reversed ? n - 1 - i : i;
            corners.push_back({loop[static_cast<std::size_t>(k)],
                               CapUv(ring, ring[static_cast<std::size_t>(k)])});
        }
        if (n <= 4) {
            faces.push_back(corners);
            faceMaterials.push_back(cap);
            return;
        }
        Vec3 centre;
        for (const Vec3& p : ring) {
            centre = centre + p * (1.0f / static_cast<float>(n));
        }
        const int centreIndex = static_cast<int>(vertices.size());
        vertices.push_back(TransformPoint(place, centre));
        const Corner middle{centreIndex, CapUv(ring, centre)};
        for (int i = 0; i < n; ++i) {
            faces.push_back({middle, corners[static_cast<std::size_t>(i)],
                             corners[static_cast<std::size_t>((i + 1) % n)]});
            faceMaterials.push_back(cap);
        }
    };
    addCap(0, true, startCapMaterial);
    addCap(rings.size() - 1, false, endCapMaterial);

    // The faces above share one consistent winding; make it the drawn one.
    const bool flip = SignedVolume(faces, vertices) > 0.0f;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        ShapeFace& face = faces[f];
        if (flip) {
            std::reverse(face.begin(), face.end());
        }
        DocumentFace written;
        for (const Corner& corner : face) {
            written.indices.push_back(corner.vertex);
            written.uvs.push_back(corner.uv);
        }
        written.material = faceMaterials[f];
        object->faces.push_back(std::move(written));
    }
}

void ShapeBuilder::AddBox(Vec3 low, Vec3 high) {
    const Vec3 centre = (low + high) * 0.5f;
    const Vec3 half = (high - low) * 0.5f;
    const Matrix outer = place;
    place = Translation({centre.x, low.y, centre.z}) * outer;
    AddLoft({RectangleRing(0.0f, half.x, half.z), RectangleRing(high.y - low.y, half.x, half.z)},
            LoftUv::PerSide);
    place = outer;
}

void ShapeBuilder::AddTaperedBox(float height, Vec2 bottomHalf, Vec2 topHalf) {
    AddLoft({RectangleRing(0.0f, bottomHalf.x, bottomHalf.y),
             RectangleRing(height, topHalf.x, topHalf.y)},
            LoftUv::PerSide);
}

void ShapeBuilder::AddCylinder(float bottomRadius, float topRadius, float height, int segments) {
    auto ring = [&](float y, float radius) {
        return radius > 0.0f ? EllipseRing(y, radius, radius, segments) : Ring{{0.0f, y, 0.0f}};
    };
    AddLoft({ring(0.0f, bottomRadius), ring(height, topRadius)}, LoftUv::Wrapped);
}

void ShapeBuilder::AddEllipsoid(Vec3 radii, int segments, int rings, float fromLatitude,
                                float toLatitude) {
    std::vector<Ring> loft;
    for (int j = 0; j <= rings; ++j) {
        const float latitude = fromLatitude + (toLatitude - fromLatitude) * static_cast<float>(j) /
                                                  static_cast<float>(rings);
        const float angle = latitude * kRadiansPerDegree;
        const float y = radii.y * std::sin(angle);
        const float scale = std::cos(angle);
        if (scale < 1e-4f) {
            loft.push_back({{0.0f, y, 0.0f}});
        } else {
            loft.push_back(EllipseRing(y, radii.x * scale, radii.z * scale, segments));
        }
    }
    AddLoft(loft, LoftUv::Wrapped);
}

void ShapeBuilder::AddTube(const std::vector<Vec3>& path, const std::vector<Vec2>& radii, Vec3 side,
                           int segments) {
    if (path.size() < 2 || radii.size() != path.size()) {
        throw std::logic_error("a tube needs a radius for each of at least two points");
    }
    std::vector<Ring> rings;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const Vec3 before = path[i == 0 ? 0 : i - 1];
        const Vec3 after = path[i + 1 == path.size() ? i : i + 1];
        const Vec3 tangent = Normalize(after - before);
        const Vec3 across = Normalize(Cross(tangent, side));
        const Vec3 along = Cross(across, tangent);
        if (radii[i].x <= 0.0f || radii[i].y <= 0.0f) {
            rings.push_back({path[i]});
            continue;
        }
        Ring ring;
        for (int k = 0; k < segments; ++k) {
            const float angle = 2.0f * kPi * static_cast<float>(k) / static_cast<float>(segments);
            ring.push_back(path[i] + along * (radii[i].x * std::cos(angle)) +
                           across * (radii[i].y * std::sin(angle)));
        }
        rings.push_back(std::move(ring));
    }
    AddLoft(rings, LoftUv::Wrapped);
}

} // namespace assetgen
