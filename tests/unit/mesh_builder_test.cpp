#include "render/mesh_builder.h"

#include <array>
#include <deque>
#include <tuple>
#include <string>

#include <gtest/gtest.h>

#include "platform/sdk/com_release.h"
#include "tests/support/recording_device.h"

namespace {

Face MakeFace(std::initializer_list<int> indices, int material = 0,
              std::initializer_list<TexCoord> uvs = {}) {
    return Face{.material = material, .indices = indices, .uvs = uvs};
}

using Xyz = std::array<float, 3>;
using Vertex = std::array<float, 8>; // a MeshVertex field by field

Xyz XyzOf(const D3DXVECTOR3& v) {
    return {v.x, v.y, v.z};
}

void ExpectNear(const D3DXVECTOR3& actual, const Xyz& expected, float tolerance = 1e-6f) {
    EXPECT_NEAR(actual.x, expected[0], tolerance);
    EXPECT_NEAR(actual.y, expected[1], tolerance);
    EXPECT_NEAR(actual.z, expected[2], tolerance);
}

// The vertices the object's buffer holds.
std::vector<Vertex> Written(const ModelObject& object) {
    std::vector<Vertex> vertices;
    const auto* buffer = static_cast<const RecordingVertexBuffer*>(object.vertexBuffer);
    for (std::size_t i = 0; buffer != nullptr && i < buffer->length / sizeof(MeshVertex); ++i) {
        const MeshVertex& v = buffer->As<MeshVertex>()[i];
        vertices.push_back({v.x, v.y, v.z, v.nx, v.ny, v.nz, v.u, v.v});
    }
    return vertices;
}

// Corner k of face f, read through the object's flat list.
const CornerNormal& CornerOf(const ModelObject& object, std::size_t f, std::size_t k) {
    return object.CornersOf(object.faces[f])[k];
}

// The faces listed for a corner.
std::vector<int> Listed(const ModelObject& object, const CornerNormal& corner) {
    const std::span<const int> listed = object.FaceIndicesOf(corner);
    return {listed.begin(), listed.end()};
}

ModelObject Smoothed(ModelObject object) {
    CollectSmoothingFaces(object);
    ComputeCornerNormals(object);
    return object;
}

// Two triangles sharing the edge from vertex 0 to vertex 1; the second is
// folded up so that the face normals are 30 degrees apart.
ModelObject FoldedPair(float facet) {
    return {.facet = facet,
            .vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 0.5f, -0.8660254f}},
            .faces = {MakeFace({0, 1, 2}), MakeFace({1, 0, 3})}};
}

const std::vector<D3DXVECTOR3> kCornerVertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};

class MeshBuilderTest : public ::testing::Test {
  protected:
    ~MeshBuilderTest() override {
        for (ModelObject& object : built) {
            ReleaseAndClear(object.vertexBuffer);
        }
        EXPECT_EQ(device.LiveVertexBuffers(), 0);
        EXPECT_EQ(device.OverReleases(), 0);
    }

    // Builds the object's mesh with that many materials; the fixture
    // releases its buffer at the end.
    ModelObject& Build(ModelObject object, int materials = 1) {
        ModelObject& kept = built.emplace_back(std::move(object));
        result = BuildMesh(kept, &device, std::vector<Material>(materials));
        return kept;
    }

    RecordingDevice device;
    std::deque<ModelObject> built;
    HRESULT result = E_FAIL;
};

TEST_F(MeshBuilderTest, QuadBecomesTwoTrianglesCutFromCornerZeroToTwo) {
    const ModelObject& quad =
        Build({.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}},
               .faces = {MakeFace({0, 1, 2, 3}, 0, {{0, 0}, {1, 0}, {1, 1}, {0, 1}})}});

    EXPECT_EQ(result, S_OK);
    EXPECT_EQ(XyzOf(quad.faces[0].normal), (Xyz{0, -1, 0}));
    ASSERT_EQ(device.Described(DeviceOp::CreateVertexBuffer),
              std::vector<std::string>{"CreateVertexBuffer(192, 0, 0x112, 1)"});
    const RecordingVertexBuffer& buffer = *device.vertexBuffers[0];
    EXPECT_EQ(quad.vertexBuffer, &buffer);
    // One lock of the whole buffer without flags, then one unlock: calls, offset, size, flags.
    EXPECT_EQ(std::tuple(buffer.lockCalls, buffer.lastLockOffset, buffer.lastLockSize,
                         buffer.lastLockFlags, buffer.unlockCalls, buffer.locked),
              std::tuple(1, 0u, 0u, DWORD{0}, 1, false));
    EXPECT_EQ(Written(quad), (std::vector<Vertex>{{0, 0, 0, 0, -1, 0, 0, 0},
                                                  {1, 0, 0, 0, -1, 0, 1, 0},
                                                  {1, 0, 1, 0, -1, 0, 1, 1},
                                                  {1, 0, 1, 0, -1, 0, 1, 1},
                                                  {0, 0, 1, 0, -1, 0, 0, 1},
                                                  {0, 0, 0, 0, -1, 0, 0, 0}}));
    EXPECT_EQ(quad.materialTriangleCounts, std::vector<int>{2});
}

TEST_F(MeshBuilderTest, SharedCornersAreSmoothedOnlyWithinTheFacetAngle) {
    for (const float facet : {0.0f, 29.0f, 59.5f}) {
        SCOPED_TRACE(facet);
        const bool smooth = facet > 30.0f;
        const ModelObject& object = Build(FoldedPair(facet));
        ExpectNear(object.faces[0].normal, {0.0f, -1.0f, 0.0f});
        ExpectNear(object.faces[1].normal, {0.0f, -0.8660254f, -0.5f});
        for (const int f : {0, 1}) {
            const Face& face = object.faces[static_cast<std::size_t>(f)];
            ASSERT_EQ(face.corners.size(), 3u);
            for (std::size_t k = 0; k < 3; ++k) {
                const CornerNormal& corner = object.CornersOf(face)[k];
                if (smooth && k < 2) { // the shared edge: the unit bisector, 15 degrees from each
                    ExpectNear(corner.normal, {0.0f, -0.96592583f, -0.25881905f});
                    EXPECT_EQ(Listed(object, corner), (std::vector<int>{0, 1}));
                } else {
                    EXPECT_EQ(XyzOf(corner.normal), XyzOf(face.normal));
                    EXPECT_EQ(Listed(object, corner), std::vector<int>{f});
                }
            }
        }
        // The buffer carries the corner normals.
        const std::vector<Vertex> written = Written(object);
        ASSERT_EQ(written.size(), 6u);
        for (std::size_t i = 0; i < 6; ++i) {
            const Vertex& v = written[i];
            EXPECT_EQ((Xyz{v[3], v[4], v[5]}), XyzOf(CornerOf(object, i / 3, i % 3).normal));
        }
    }
}

// The angle test is strict and unclamped: each row names two faces sharing
// vertex 0, the facet, and whether the second joins the first's corner.
TEST_F(MeshBuilderTest, AngleLimitsAreStrict) {
    // Normals (0, -1, 0) and (0, 0, 1): exactly 90 degrees apart.
    const ModelObject rightAngle{.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
                                 .faces = {MakeFace({0, 1, 2}), MakeFace({0, 1, 3})}};
    // The same triangle wound both ways: dot product exactly -1.
    const ModelObject opposite{.vertices = kCornerVertices,
                               .faces = {MakeFace({0, 1, 2}), MakeFace({0, 2, 1})}};
    // A duplicate face whose unit normal has a dot product just above 1 with
    // itself: no angle, so never joined.
    const ModelObject aboveOne{.vertices = {{0, 0, 0}, {-8, 9, 0}, {-1, 0, 3}},
                               .faces = {MakeFace({0, 1, 2}), MakeFace({0, 1, 2})}};
    struct Case {
        const char* name;
        const ModelObject& shape;
        float facet;
        bool joined;
    };
    const Case cases[] = {
        {"right angle at 90", rightAngle, 90.0f, false},
        {"right angle at 90.01", rightAngle, 90.01f, true},
        {"opposite at 180", opposite, 180.0f, false},
        {"opposite at 181", opposite, 181.0f, true},
        {"coplanar above one", aboveOne, 180.0f, false},
    };
    for (const Case& c : cases) {
        ModelObject object = c.shape;
        object.facet = c.facet;
        CollectSmoothingFaces(object);
        const std::vector<int> expected = c.joined ? std::vector<int>{0, 1} : std::vector<int>{0};
        EXPECT_EQ(Listed(object, CornerOf(object, 0, 0)), expected) << c.name;
        const D3DXVECTOR3& n = object.faces[0].normal;
        if (&c.shape == &aboveOne) {
            EXPECT_GT(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f) << "the row's premise";
        }
    }
}

TEST_F(MeshBuilderTest, TwoIndexFaceDrawsNothingButSmoothsItsNeighbours) {
    // A triangle tilted 20 degrees from straight up, and an edge (0, 1) that
    // shares its vertex 0 and has the normal (0, 1, 0).
    const float c20 = 0.93969262f;
    const float s20 = 0.34202014f;
    const ModelObject& object = Build({.facet = 30.0f,
                                       .vertices = {{0, 0, 0}, {0, 0, 1}, {c20, s20, 0}, {5, 5, 5}},
                                       .faces = {MakeFace({0, 1, 2}), MakeFace({0, 3})}});

    EXPECT_EQ(XyzOf(object.faces[1].normal), (Xyz{0, 1, 0}));
    ExpectNear(object.faces[0].normal, {-s20, c20, 0.0f});
    // Vertex 0: bisector of the two normals, 10 degrees from up.
    EXPECT_EQ(Listed(object, CornerOf(object, 0, 0)), (std::vector<int>{0, 1}));
    ExpectNear(CornerOf(object, 0, 0).normal, {-0.17364818f, 0.98480775f, 0.0f});
    EXPECT_EQ(Listed(object, CornerOf(object, 0, 1)), std::vector<int>{0});
    EXPECT_EQ(object.faces[1].corners.size(), 2u);
    EXPECT_EQ(Written(object).size(), 3u);
    EXPECT_EQ(object.materialTriangleCounts, std::vector<int>{1});
}

TEST_F(MeshBuilderTest, MissingOrShortTextureCoordinatesAreZero) {
    const ModelObject& object = Build(
        {.vertices = kCornerVertices,
         .faces = {MakeFace({0, 1, 2}), MakeFace({0, 1, 2}, 0, {{0.25f, 0.5f}, {0.75f, 1.0f}})}});
    std::vector<std::array<float, 2>> uvs;
    for (const Vertex& v : Written(object)) {
        uvs.push_back({v[6], v[7]});
    }
    EXPECT_EQ(uvs, (std::vector<std::array<float, 2>>{
                       {0, 0}, {0, 0}, {0, 0}, {0.25f, 0.5f}, {0.75f, 1.0f}, {0, 0}}));
}

TEST_F(MeshBuilderTest, GroupsTrianglesByMaterialInFaceOrder) {
    // Face k is recognised in the buffer by its first vertex's x.
    const ModelObject& object =
        Build({.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {2, 0, 0}, {3, 0, 0}},
               .faces = {MakeFace({4, 0, 1}, 2), MakeFace({0, 1, 2, 3}, 0), MakeFace({5, 0, 1}, 2),
                         MakeFace({1, 2, 3}, 0)}},
              3);

    EXPECT_EQ(object.materialTriangleCounts, (std::vector<int>{3, 0, 2}));
    const std::vector<Vertex> written = Written(object);
    ASSERT_EQ(written.size(), 15u);
    const float firstX[5] = {0.0f, 1.0f, 1.0f, 2.0f, 3.0f}; // quad (two), triangle, then material 2
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(written[3 * t][0], firstX[t]) << "triangle " << t;
    }
}

TEST_F(MeshBuilderTest, FacesWithoutAMaterialTakeRoomButAreNotWritten) {
    const std::vector<D3DXVECTOR3> vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}};
    // Materials -1 and 1 lie outside a list of one; without materials none lies inside.
    const ModelObject& stray =
        Build({.vertices = vertices,
               .faces = {MakeFace({0, 1, 2}, -1), MakeFace({0, 1, 2}, 1), MakeFace({0, 2, 1}, 0)}});
    const ModelObject& none =
        Build({.vertices = vertices, .faces = {MakeFace({0, 1, 2, 3}), MakeFace({0, 1, 2})}}, 0);
    EXPECT_EQ(stray.materialTriangleCounts, std::vector<int>{1});
    EXPECT_TRUE(none.materialTriangleCounts.empty());
    EXPECT_EQ(Written(stray)[1][2], 1.0f); // the material-0 face, corners 0, 2, 1
    // Everything after the written triangles is as the device made it.
    for (const auto& [object, written] : {std::pair{&stray, 3u}, std::pair{&none, 0u}}) {
        ASSERT_NE(object->vertexBuffer, nullptr);
        const auto& buffer = *static_cast<RecordingVertexBuffer*>(object->vertexBuffer);
        ASSERT_EQ(buffer.length, 9 * sizeof(MeshVertex));
        for (std::size_t i = written * sizeof(MeshVertex); i < buffer.length; ++i) {
            ASSERT_EQ(buffer.bytes[i], 0xCD) << "byte " << i;
        }
    }
}

TEST_F(MeshBuilderTest, FaceNormalsComeFromTheFirstThreeCorners) {
    struct Case {
        const char* name;
        std::vector<D3DXVECTOR3> vertices;
        Face face;
        Xyz normal;
    };
    const std::vector<Case> cases = {
        {"quad bent at its fourth corner",
         {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 5, 1}},
         MakeFace({0, 1, 2, 3}),
         {0, -1, 0}},
        {"collinear", {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}, MakeFace({0, 1, 2}), {0, 1, 0}},
        {"one index", {{0, 0, 0}, {1, 1, 1}}, MakeFace({1}), {0, 1, 0}},
        {"repeated index", {{0, 0, 0}, {1, 1, 1}}, MakeFace({1, 1, 0}), {0, 1, 0}},
    };
    for (const Case& c : cases) {
        const ModelObject object = Smoothed({.vertices = c.vertices, .faces = {c.face}});
        EXPECT_EQ(XyzOf(object.faces[0].normal), c.normal) << c.name;
        ASSERT_EQ(object.faces[0].corners.size(), c.face.indices.size()) << c.name;
        EXPECT_EQ(XyzOf(CornerOf(object, 0, 0).normal), c.normal) << c.name;
    }
}

TEST_F(MeshBuilderTest, CornerListsFollowFaceOrderAroundASharedVertex) {
    // Six coplanar triangles around vertex 0; vertex 0 listed twice by face 4.
    ModelObject object{
        .facet = 10.0f,
        .vertices =
            {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {-1, 0, 1}, {-1, 0, 0}, {0, 0, -1}},
        .faces = {MakeFace({0, 1, 2}), MakeFace({0, 2, 3}), MakeFace({0, 3, 4}),
                  MakeFace({0, 4, 5}), MakeFace({0, 0, 5}), MakeFace({0, 5, 6})}};
    CollectSmoothingFaces(object);
    for (std::size_t f = 0; f < object.faces.size(); ++f) {
        // Face 4 is degenerate, pointing up, so it never joins the others.
        const std::vector<int> expected =
            f == 4 ? std::vector<int>{4, 4} : std::vector<int>{0, 1, 2, 3, 5};
        EXPECT_EQ(Listed(object, CornerOf(object, f, 0)), expected) << "face " << f;
    }
}

TEST_F(MeshBuilderTest, CornerListsLongerThanTheirReservedRoomKeepTheirFaces) {
    // Faces alternate between two planes at right angles, all sharing vertices
    // 0 and 1; the even ones share vertex 2, the odd ones vertex 3. Their
    // lists outgrow the room reserved for eight faces a corner, so the flat
    // list grows while corners are filled: every corner must still list the
    // faces of its plane there.
    for (const int faceCount : {12, 40, 65}) {
        ModelObject object{.facet = 10.0f,
                           .vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}}};
        std::vector<int> planes[2];
        for (int f = 0; f < faceCount; ++f) {
            object.faces.push_back(MakeFace({0, 1, 2 + f % 2}));
            planes[f % 2].push_back(f);
        }
        object = Smoothed(std::move(object));
        for (int f = 0; f < faceCount; ++f) {
            for (std::size_t k = 0; k < 3; ++k) {
                const CornerNormal& corner = CornerOf(object, static_cast<std::size_t>(f), k);
                EXPECT_EQ(Listed(object, corner), planes[f % 2])
                    << faceCount << " faces: face " << f << ", corner " << k;
                ExpectNear(corner.normal, f % 2 == 0 ? Xyz{0, -1, 0} : Xyz{0, 0, 1});
            }
        }
    }
}

TEST_F(MeshBuilderTest, FacesWithUnreadableIndicesAreLeftOut) {
    // Each row adds one broken face to a valid triangle sharing vertex 0; the
    // broken face must neither be read, nor smoothed with, nor get room.
    const std::pair<const char*, Face> broken[] = {
        {"index past the vertices", MakeFace({0, 1, 3})},
        {"huge index", MakeFace({0, 2000000000, 1})},
        {"negative index", MakeFace({0, -1, 2})},
        {"no indices", MakeFace({})},
        {"quad with one bad corner", MakeFace({0, 1, 2, 7})},
    };
    for (const auto& [name, face] : broken) {
        SCOPED_TRACE(name);
        const ModelObject& object = Build(
            {.facet = 180.0f, .vertices = kCornerVertices, .faces = {MakeFace({0, 1, 2}), face}});
        const Face& bad = object.faces[1];
        EXPECT_EQ(XyzOf(bad.normal), (Xyz{0, 1, 0}));
        ASSERT_EQ(bad.corners.size(), bad.indices.size());
        for (const CornerNormal& corner : object.CornersOf(bad)) {
            EXPECT_EQ(Listed(object, corner), std::vector<int>{1});
        }
        EXPECT_EQ(Listed(object, CornerOf(object, 0, 0)), std::vector<int>{0});
        EXPECT_EQ(Written(object).size(), 3u);
        EXPECT_EQ(object.materialTriangleCounts, std::vector<int>{1});
    }
}

TEST_F(MeshBuilderTest, ObjectsWithoutTrianglesAskForNoBuffer) {
    const std::pair<const char*, std::vector<Face>> cases[] = {
        {"no faces", {}},
        {"only edges", {MakeFace({0, 1}), MakeFace({1, 2})}},
        {"only broken faces", {MakeFace({0, 1, 9}), MakeFace({-3, 0, 1, 2})}},
    };
    for (const auto& [name, faces] : cases) {
        const ModelObject& object = Build({.vertices = kCornerVertices, .faces = faces}, 2);
        EXPECT_EQ(object.vertexBuffer, nullptr) << name;
        EXPECT_EQ(object.materialTriangleCounts, (std::vector<int>{0, 0})) << name;
    }
    EXPECT_TRUE(device.CallsOf(DeviceOp::CreateVertexBuffer).empty());
}

TEST_F(MeshBuilderTest, ARefusedBufferLeavesTheObjectDrawingNothing) {
    struct Case {
        const char* name;
        HRESULT createResult;
        HRESULT lockResult;
        bool useDevice;
    };
    const Case cases[] = {
        {"creation refused", D3DERR_OUTOFVIDEOMEMORY, S_OK, true},
        {"lock refused", S_OK, D3DERR_INVALIDCALL, true},
        {"no device", S_OK, S_OK, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDevice failing;
        failing.createVertexBufferResult = c.createResult;
        failing.vertexBufferLockResult = c.lockResult;
        ModelObject object{.vertices = kCornerVertices,
                           .faces = {MakeFace({0, 1, 2}), MakeFace({0, 2, 1}, 1)}};

        EXPECT_TRUE(
            FAILED(BuildMesh(object, c.useDevice ? &failing : nullptr, std::vector<Material>(2))));
        EXPECT_EQ(object.vertexBuffer, nullptr);
        EXPECT_EQ(object.materialTriangleCounts, (std::vector<int>{0, 0}));
        // A buffer that was made but could not be locked is released, once.
        EXPECT_EQ(failing.LiveVertexBuffers(), 0);
        EXPECT_EQ(failing.OverReleases(), 0);
        for (const auto& buffer : failing.vertexBuffers) {
            EXPECT_EQ(buffer->unlockCalls, 0);
            EXPECT_EQ(buffer->count.releasesToZero, 1);
        }
    }
}

TEST(NormalizeOrUpTest, ScalesToUnitLengthOrPointsUp) {
    const std::pair<D3DXVECTOR3, Xyz> cases[] = {
        {{3, 0, 4}, {0.6f, 0.0f, 0.8f}},
        {{0, -2, 0}, {0.0f, -1.0f, 0.0f}},
        {{0, 0, 0}, {0.0f, 1.0f, 0.0f}},
        {{1e-30f, 0, 0}, {0.0f, 1.0f, 0.0f}}, // its square is 0 in single precision
    };
    for (auto [v, expected] : cases) {
        NormalizeOrUp(v);
        ExpectNear(v, expected, 1e-7f);
    }
}

} // namespace
