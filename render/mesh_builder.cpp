#include "render/mesh_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "model/inline_always.h"
#include "platform/sdk/com_release.h"
#include "platform/services/large_pages.h"
#include "render/smoothing_limit.h"

namespace {

// The face lists are sized for at most this many entries per corner ahead
// of need; longer ones grow as they are filled.
constexpr std::size_t kListsPerCornerReserved = 8;

// NormalizeOrUp, inlined into the loops over every face and every corner.
KORVANE_INLINE_ALWAYS void NormalizeInPlace(D3DXVECTOR3& v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length != 0.0f) {
        const float s = 1.0f / length;
        v.x *= s;
        v.y *= s;
        v.z *= s;
    } else {
        v = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    }
}

// Triangles a face gives: a triangle one, a quad two, anything else none.
std::size_t TrianglesOf(const Face& face) {
    switch (face.indices.size()) {
    case 3:
        return 1;
    case 4:
        return 2;
    default:
        return 0;
    }
}

// For every vertex, the faces that reference it, once per reference and in
// ascending face order, stored as one flat list: the faces of vertex v are
// faces[first[v]] up to faces[first[v + 1]].
struct VertexFaceTable {
    std::vector<std::uint32_t> first;
    std::vector<std::uint32_t> faces;
};

// ComputeFaceNormals, with IsReadableFace of every face known.
void ComputeFaceNormals(ModelObject& object, const std::vector<std::uint8_t>& readable) {
    const std::vector<D3DXVECTOR3>& p = object.vertices;
    for (std::size_t i = 0; i < object.faces.size(); ++i) {
        Face& face = object.faces[i];
        if (readable[i] == 0) {
            face.normal = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
            continue;
        }
        // A corner the face lacks repeats its last index.
        const std::size_t last = face.indices.size() - 1;
        const std::size_t i0 = static_cast<std::size_t>(face.indices[0]);
        const std::size_t i1 =
            static_cast<std::size_t>(face.indices[std::min<std::size_t>(1, last)]);
        const std::size_t i2 =
            static_cast<std::size_t>(face.indices[std::min<std::size_t>(2, last)]);
        const D3DXVECTOR3 a(p[i0].x - p[i1].x, p[i0].y - p[i1].y, p[i0].z - p[i1].z);
        const D3DXVECTOR3 b(p[i0].x - p[i2].x, p[i0].y - p[i2].y, p[i0].z - p[i2].z);
        face.normal =
            D3DXVECTOR3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    }
    // Apart, so that the square roots and divisions of many faces overlap;
    // (0, 1, 0) is its own normal.
    for (Face& face : object.faces) {
        NormalizeInPlace(face.normal);
    }
}

// What one look at every face finds, so that later passes need not look again.
struct FaceSurvey {
    std::vector<std::uint8_t> readable; // per face: IsReadableFace holds
    VertexFaceTable table;
    std::size_t cornerCount = 0; // indices of all faces
    std::size_t listBound = 0;   // entries that all corners' face lists can have at most
};

// Surveys the faces, computes every face normal and builds the vertex face table.
FaceSurvey SurveyFaces(ModelObject& object) {
    const std::size_t vertexCount = object.vertices.size();
    FaceSurvey survey;
    survey.readable.resize(object.faces.size());
    VertexFaceTable& table = survey.table;
    // The vertex face table and the corners' lists are the load's largest
    // blocks after the records: each is taken in large pages where offered.
    ReserveInLargePages(table.first, vertexCount + 1);
    table.first.assign(vertexCount + 1, 0);
    std::size_t references = 0;
    std::size_t unreadableCorners = 0;
    for (std::size_t i = 0; i < object.faces.size(); ++i) {
        const Face& face = object.faces[i];
        survey.cornerCount += face.indices.size();
        const bool readable = IsReadableFace(face, vertexCount);
        survey.readable[i] = readable ? 1 : 0;
        if (!readable) {
            unreadableCorners += face.indices.size();
            continue;
        }
        for (const int index : face.indices) {
            ++table.first[static_cast<std::size_t>(index)];
        }
        references += face.indices.size();
    }
    ComputeFaceNormals(object, survey.readable);
    // Every corner lists at most the faces of its vertex, so a vertex of k
    // faces adds at most k entries for each of its k references.
    survey.listBound = unreadableCorners;
    for (std::size_t v = 0; v < vertexCount; ++v) {
        survey.listBound += std::size_t{table.first[v]} * table.first[v];
    }
    // first[v] becomes the end of v's slot; the fill below, back to front,
    // moves it down to the start and leaves every list in ascending order.
    for (std::size_t v = 1; v < vertexCount; ++v) {
        table.first[v] += table.first[v - 1];
    }
    table.first[vertexCount] = static_cast<std::uint32_t>(references);
    ReserveInLargePages(table.faces, references);
    table.faces.resize(references);
    for (std::size_t i = object.faces.size(); i-- > 0;) {
        if (survey.readable[i] == 0) {
            continue;
        }
        const Face& face = object.faces[i];
        for (std::size_t k = face.indices.size(); k-- > 0;) {
            const std::size_t v = static_cast<std::size_t>(face.indices[k]);
            table.faces[--table.first[v]] = static_cast<std::uint32_t>(i);
        }
    }
    return survey;
}

// Gives every corner the faces whose normals are summed into its own; with
// SumNormals also leaves that sum, in list order and not yet normalized, in
// the corner's normal, which the face lists are otherwise read again for.
template <bool SumNormals> void ListCornerFaces(ModelObject& object, const FaceSurvey& survey) {
    object.cornerNormals.clear();
    ReserveInLargePages(object.cornerNormals, survey.cornerCount);
    object.cornerFaceIndices.clear();
    ReserveInLargePages(object.cornerFaceIndices,
                        std::min(survey.listBound, kListsPerCornerReserved * survey.cornerCount));

    const SmoothingLimit limit(object.facet);
    const VertexFaceTable& table = survey.table;
    std::vector<int>& listed = object.cornerFaceIndices;
    const auto listEnd = [&] { return static_cast<std::uint32_t>(listed.size()); };
    for (std::size_t p = 0; p < object.faces.size(); ++p) {
        Face& face = object.faces[p];
        const D3DXVECTOR3 own = face.normal;
        face.corners = {static_cast<std::uint32_t>(object.cornerNormals.size()),
                        static_cast<std::uint32_t>(face.indices.size())};
        const int self = static_cast<int>(p);
        for (std::size_t k = 0; k < face.indices.size(); ++k) {
            const std::uint32_t first = listEnd();
            D3DXVECTOR3 sum(0.0f, 0.0f, 0.0f);
            const auto add = [&](const D3DXVECTOR3& n) {
                if constexpr (SumNormals) {
                    sum.x += n.x;
                    sum.y += n.y;
                    sum.z += n.z;
                }
            };
            if (survey.readable[p] == 0) {
                listed.push_back(self);
                add(own);
            } else {
                const std::size_t v = static_cast<std::size_t>(face.indices[k]);
                for (std::uint32_t entry = table.first[v]; entry < table.first[v + 1]; ++entry) {
                    const std::uint32_t w = table.faces[entry];
                    const D3DXVECTOR3& other = object.faces[w].normal;
                    if (w == p || limit.Smooths(D3DXVec3Dot(&other, &own))) {
                        listed.push_back(static_cast<int>(w));
                        add(other);
                    }
                }
            }
            object.cornerNormals.push_back({sum, {first, listEnd() - first}});
        }
    }
}

void NormalizeCornerNormals(ModelObject& object) {
    for (CornerNormal& corner : object.cornerNormals) {
        NormalizeInPlace(corner.normal);
    }
}

MeshVertex CornerVertex(const ModelObject& object, const Face& face,
                        std::span<const CornerNormal> corners, std::size_t corner) {
    const D3DXVECTOR3& position = object.vertices[static_cast<std::size_t>(face.indices[corner])];
    const D3DXVECTOR3& normal = corners[corner].normal;
    MeshVertex vertex{position.x, position.y, position.z, normal.x, normal.y, normal.z, 0.0f, 0.0f};
    if (corner < face.uvs.size()) {
        vertex.u = face.uvs[corner].u;
        vertex.v = face.uvs[corner].v;
    }
    return vertex;
}

// Writes the face's triangles from out onwards: a quad is cut along the
// diagonal from corner 0 to corner 2.
MeshVertex* WriteFace(const ModelObject& object, const Face& face, MeshVertex* out) {
    static constexpr std::size_t kQuadCorners[6] = {0, 1, 2, 2, 3, 0};
    const std::span<const CornerNormal> corners = object.CornersOf(face);
    const std::size_t cornerCount = TrianglesOf(face) * 3;
    for (std::size_t c = 0; c < cornerCount; ++c) {
        *out++ = CornerVertex(object, face, corners, kQuadCorners[c]);
    }
    return out;
}

// CollectSmoothingFaces and ComputeCornerNormals in one walk of the lists;
// returns which faces are readable.
std::vector<std::uint8_t> SmoothReadableCorners(ModelObject& object) {
    FaceSurvey survey = SurveyFaces(object);
    ListCornerFaces<true>(object, survey);
    NormalizeCornerNormals(object);
    return std::move(survey.readable);
}

// The triangles of the readable faces, in all and per material.
struct TriangleCounts {
    // Faces with a material index outside the list take room here but are
    // never written; that room lies after the last material's range.
    std::size_t total = 0;
    std::vector<std::size_t> perMaterial;
    // Each material's range starts where the lower ones end, so one pass
    // over the faces writes every range in face order.
    std::vector<std::size_t> rangeStart; // in vertices
};

TriangleCounts CountTriangles(const ModelObject& object, const std::vector<std::uint8_t>& readable,
                              std::size_t materialCount) {
    TriangleCounts counts;
    counts.perMaterial.assign(materialCount, 0);
    for (std::size_t i = 0; i < object.faces.size(); ++i) {
        const Face& face = object.faces[i];
        if (readable[i] == 0) {
            continue;
        }
        counts.total += TrianglesOf(face);
        if (face.material >= 0 && static_cast<std::size_t>(face.material) < materialCount) {
            counts.perMaterial[static_cast<std::size_t>(face.material)] += TrianglesOf(face);
        }
    }
    counts.rangeStart.assign(materialCount, 0);
    for (std::size_t i = 1; i < materialCount; ++i) {
        counts.rangeStart[i] = counts.rangeStart[i - 1] + 3 * counts.perMaterial[i - 1];
    }
    return counts;
}

// Creates the object's vertex buffer for that many triangles and locks it
// whole. On failure the object keeps no buffer.
HRESULT CreateLockedBuffer(ModelObject& object, IDirect3DDevice9* device, std::size_t triangles,
                           MeshVertex*& vertices) {
    constexpr std::size_t kMaxTriangles =
        std::numeric_limits<UINT>::max() / (3 * sizeof(MeshVertex));
    if (device == nullptr || triangles > kMaxTriangles) {
        return D3DERR_INVALIDCALL;
    }
    const UINT length = static_cast<UINT>(triangles * 3 * sizeof(MeshVertex));
    HRESULT result = device->CreateVertexBuffer(length, 0, kMeshVertexFormat, D3DPOOL_MANAGED,
                                                &object.vertexBuffer, nullptr);
    if (FAILED(result) || object.vertexBuffer == nullptr) {
        object.vertexBuffer = nullptr;
        return FAILED(result) ? result : E_FAIL;
    }
    void* data = nullptr;
    result = object.vertexBuffer->Lock(0, 0, &data, 0);
    if (FAILED(result) || data == nullptr) {
        if (SUCCEEDED(result)) {
            object.vertexBuffer->Unlock();
        }
        ReleaseAndClear(object.vertexBuffer);
        return FAILED(result) ? result : E_FAIL;
    }
    vertices = static_cast<MeshVertex*>(data);
    return S_OK;
}

// Writes the triangles of every readable face with a material into that
// material's range, advancing rangeStart past them.
void WriteTriangles(const ModelObject& object, const std::vector<std::uint8_t>& readable,
                    std::vector<std::size_t>& rangeStart, MeshVertex* vertices) {
    for (std::size_t i = 0; i < object.faces.size(); ++i) {
        const Face& face = object.faces[i];
        if (face.material >= 0 && static_cast<std::size_t>(face.material) < rangeStart.size() &&
            readable[i] != 0) {
            std::size_t& at = rangeStart[static_cast<std::size_t>(face.material)];
            at = static_cast<std::size_t>(WriteFace(object, face, vertices + at) - vertices);
        }
    }
}

} // namespace

bool IsReadableFace(const Face& face, std::size_t vertexCount) {
    if (face.indices.empty()) {
        return false;
    }
    for (const int index : face.indices) {
        if (index < 0 || static_cast<std::size_t>(index) >= vertexCount) {
            return false;
        }
    }
    return true;
}

void NormalizeOrUp(D3DXVECTOR3& v) {
    NormalizeInPlace(v);
}

void SmoothCorners(ModelObject& object) {
    SmoothReadableCorners(object);
}

void ComputeFaceNormals(ModelObject& object) {
    std::vector<std::uint8_t> readable(object.faces.size());
    for (std::size_t i = 0; i < object.faces.size(); ++i) {
        readable[i] = IsReadableFace(object.faces[i], object.vertices.size()) ? 1 : 0;
    }
    ComputeFaceNormals(object, readable);
}

void CollectSmoothingFaces(ModelObject& object) {
    ListCornerFaces<false>(object, SurveyFaces(object));
}

void ComputeCornerNormals(ModelObject& object) {
    const std::size_t faceCount = object.faces.size();
    for (CornerNormal& corner : object.cornerNormals) {
        D3DXVECTOR3 sum(0.0f, 0.0f, 0.0f);
        for (const int listed : object.FaceIndicesOf(corner)) {
            if (listed < 0 || static_cast<std::size_t>(listed) >= faceCount) {
                continue;
            }
            const D3DXVECTOR3& n = object.faces[static_cast<std::size_t>(listed)].normal;
            sum.x += n.x;
            sum.y += n.y;
            sum.z += n.z;
        }
        corner.normal = sum;
    }
    NormalizeCornerNormals(object);
}

HRESULT BuildMesh(ModelObject& object, IDirect3DDevice9* device,
                  const std::vector<Material>& materials) {
    const std::vector<std::uint8_t> readable = SmoothReadableCorners(object);
    // Counts stay 0 until the buffer is filled, so a failure draws nothing.
    // Everything is allocated before the buffer exists: nothing can fail
    // between the lock and the unlock.
    TriangleCounts counts = CountTriangles(object, readable, materials.size());
    object.materialTriangleCounts.assign(materials.size(), 0);
    if (counts.total == 0) {
        return S_OK; // the device refuses a zero-length buffer, and there is nothing to draw
    }
    MeshVertex* vertices = nullptr;
    const HRESULT result = CreateLockedBuffer(object, device, counts.total, vertices);
    if (FAILED(result)) {
        return result;
    }
    WriteTriangles(object, readable, counts.rangeStart, vertices);
    for (std::size_t i = 0; i < materials.size(); ++i) {
        object.materialTriangleCounts[i] = static_cast<int>(counts.perMaterial[i]);
    }
    return object.vertexBuffer->Unlock();
}
