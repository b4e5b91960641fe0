#include "render/mesh_builder.h"

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "tests/support/recording_device.h"

namespace {

Face MakeFace(std::initializer_list<int> indices, int material = 0,
              std::initializer_list<TexCoord> uvs = {}) {
    Face face;
    face.material = material;
    face.indices = indices;
    face.uvs = uvs;
    return face;
}

std::vector<Material> Materials(int count) {
    return std::vector<Material>(count);
}

// The vertices written into the object's buffer.
std::vector<MeshVertex> BufferVertices(const ModelObject& object) {
    const auto* buffer = static_cast<const RecordingVertexBuffer*>(object.vertexBuffer);
    if (buffer == nullptr) {
        return {};
    }
    const MeshVertex* first = buffer->As<MeshVertex>();
    return std::vector<MeshVertex>(first, first + buffer->length / sizeof(MeshVertex));
}

void ExpectVector(const D3DXVECTOR3& actual, float x, float y, float z, float tolerance = 0.0f) {
    EXPECT_NEAR(actual.x, x, tolerance);
    EXPECT_NEAR(actual.y, y, tolerance);
    EXPECT_NEAR(actual.z, z, tolerance);
}

bool SameNormal(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

class MeshBuilderTest : public ::testing::Test {
  protected:
    void TearDown() override {
        // Each test releases what it built; nothing may be released twice.
        EXPECT_EQ(device.OverReleases(), 0);
    }

    void Release(ModelObject& object) {
        if (object.vertexBuffer != nullptr) {
            object.vertexBuffer->Release();
            object.vertexBuffer = nullptr;
        }
    }

    RecordingDevice device;
};

TEST_F(MeshBuilderTest, QuadBecomesTwoTrianglesCutFromCornerZeroToTwo) {
    ModelObject quad;
    quad.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}};
    quad.faces = {
        MakeFace({0, 1, 2, 3}, 0, {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}})};

    EXPECT_EQ(BuildMesh(quad, &device, Materials(1)), S_OK);

    ExpectVector(quad.faces[0].normal, 0.0f, -1.0f, 0.0f);
    ASSERT_EQ(device.Described(DeviceOp::CreateVertexBuffer),
              std::vector<std::string>{"CreateVertexBuffer(192, 0, 0x112, 1)"});
    ASSERT_EQ(device.vertexBuffers.size(), 1u);
    const RecordingVertexBuffer& buffer = *device.vertexBuffers[0];
    EXPECT_EQ(quad.vertexBuffer, &buffer);
    EXPECT_EQ(buffer.lockCalls, 1);
    EXPECT_EQ(buffer.lastLockOffset, 0u);
    EXPECT_EQ(buffer.lastLockSize, 0u);
    EXPECT_EQ(buffer.lastLockFlags, 0u);
    EXPECT_EQ(buffer.unlockCalls, 1);
    EXPECT_FALSE(buffer.locked);

    const int corners[6] = {0, 1, 2, 2, 3, 0};
    const std::vector<MeshVertex> written = BufferVertices(quad);
    ASSERT_EQ(written.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const D3DXVECTOR3& p = quad.vertices[static_cast<std::size_t>(corners[i])];
        const TexCoord& uv = quad.faces[0].uvs[static_cast<std::size_t>(corners[i])];
        EXPECT_EQ(written[i].x, p.x);
        EXPECT_EQ(written[i].y, p.y);
        EXPECT_EQ(written[i].z, p.z);
        EXPECT_EQ(written[i].nx, 0.0f);
        EXPECT_EQ(written[i].ny, -1.0f);
        EXPECT_EQ(written[i].nz, 0.0f);
        EXPECT_EQ(written[i].u, uv.u);
        EXPECT_EQ(written[i].v, uv.v);
    }
    EXPECT_EQ(quad.materialTriangleCounts, std::vector<int>{2});
    Release(quad);
}

TEST_F(MeshBuilderTest, QuadNormalComesFromItsFirstThreeCorners) {
    ModelObject bent;
    // The fourth corner lies far off the plane of the first three.
    bent.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 5, 1}};
    bent.faces = {MakeFace({0, 1, 2, 3})};
    ComputeFaceNormals(bent);
    ExpectVector(bent.faces[0].normal, 0.0f, -1.0f, 0.0f);
}

// Two triangles sharing the edge from vertex 0 to vertex 1; the second is
// folded up so that the face normals are 30 degrees apart.
ModelObject FoldedPair(float facet) {
    ModelObject object;
    object.facet = facet;
    object.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 0.5f, -0.8660254f}};
    object.faces = {MakeFace({0, 1, 2}), MakeFace({1, 0, 3})};
    return object;
}

TEST_F(MeshBuilderTest, SmoothsTheSharedEdgeOfFacesWithinTheFacetAngle) {
    ModelObject object = FoldedPair(59.5f);
    BuildMesh(object, &device, Materials(1));

    const Face& a = object.faces[0];
    const Face& b = object.faces[1];
    ExpectVector(a.normal, 0.0f, -1.0f, 0.0f, 1e-6f);
    ExpectVector(b.normal, 0.0f, -0.8660254f, -0.5f, 1e-6f);
    // Shared corners: the unit bisector, 15 degrees from each face.
    const float c15 = 0.96592583f;
    const float s15 = 0.25881905f;
    for (const CornerNormal* corner :
         {&a.corners[0], &a.corners[1], &b.corners[0], &b.corners[1]}) {
        ExpectVector(corner->normal, 0.0f, -c15, -s15, 1e-6f);
        EXPECT_EQ(corner->faceIndices, (std::vector<int>{0, 1}));
    }
    EXPECT_TRUE(SameNormal(a.corners[2].normal, a.normal));
    EXPECT_EQ(a.corners[2].faceIndices, std::vector<int>{0});
    EXPECT_TRUE(SameNormal(b.corners[2].normal, b.normal));
    EXPECT_EQ(b.corners[2].faceIndices, std::vector<int>{1});

    // The buffer carries the corner normals.
    const std::vector<MeshVertex> written = BufferVertices(object);
    ASSERT_EQ(written.size(), 6u);
    EXPECT_NEAR(written[0].ny, -c15, 1e-6f);
    EXPECT_NEAR(written[2].ny, -1.0f, 1e-6f);
    EXPECT_NEAR(written[5].nz, -0.5f, 1e-6f);
    Release(object);
}

TEST_F(MeshBuilderTest, FacetsBelowTheAngleBetweenFacesShadeFlat) {
    for (const float facet : {0.0f, 29.0f}) {
        SCOPED_TRACE(facet);
        ModelObject object = FoldedPair(facet);
        CollectSmoothingFaces(object);
        ComputeCornerNormals(object);
        for (std::size_t f = 0; f < 2; ++f) {
            const Face& face = object.faces[f];
            ASSERT_EQ(face.corners.size(), 3u);
            for (const CornerNormal& corner : face.corners) {
                EXPECT_EQ(corner.faceIndices, std::vector<int>{static_cast<int>(f)});
                EXPECT_TRUE(SameNormal(corner.normal, face.normal));
            }
        }
    }
}

// The angle test is strict and unclamped: each row names two faces sharing
// vertex 0, the facet, and whether the second joins the first's corner.
TEST_F(MeshBuilderTest, AngleLimitsAreStrict) {
    struct Case {
        const char* name;
        std::vector<D3DXVECTOR3> vertices;
        std::vector<Face> faces;
        float facet;
        bool joined;
    };
    const std::vector<Case> cases = {
        // Normals (0, -1, 0) and (0, 0, 1): exactly 90 degrees apart.
        {"right angle at 90",
         {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
         {MakeFace({0, 1, 2}), MakeFace({0, 1, 3})},
         90.0f,
         false},
        {"right angle at 90.01",
         {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
         {MakeFace({0, 1, 2}), MakeFace({0, 1, 3})},
         90.01f,
         true},
        // The same triangle wound both ways: dot product exactly -1.
        {"opposite at 180",
         {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}},
         {MakeFace({0, 1, 2}), MakeFace({0, 2, 1})},
         180.0f,
         false},
        {"opposite at 181",
         {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}},
         {MakeFace({0, 1, 2}), MakeFace({0, 2, 1})},
         181.0f,
         true},
        // A duplicate face whose unit normal has a dot product just above 1
        // with itself: no angle, so never joined.
        {"coplanar above one",
         {{0, 0, 0}, {-8, 9, 0}, {-1, 0, 3}},
         {MakeFace({0, 1, 2}), MakeFace({0, 1, 2})},
         180.0f,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModelObject object;
        object.vertices = c.vertices;
        object.faces = c.faces;
        object.facet = c.facet;
        CollectSmoothingFaces(object);
        const std::vector<int> expected = c.joined ? std::vector<int>{0, 1} : std::vector<int>{0};
        EXPECT_EQ(object.faces[0].corners[0].faceIndices, expected);
    }
}

TEST_F(MeshBuilderTest, CoplanarCaseReallyRoundsAboveOne) {
    // Guards the premise of the "coplanar above one" row above.
    ModelObject object;
    object.vertices = {{0, 0, 0}, {-8, 9, 0}, {-1, 0, 3}};
    object.faces = {MakeFace({0, 1, 2})};
    ComputeFaceNormals(object);
    const D3DXVECTOR3& n = object.faces[0].normal;
    EXPECT_GT(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f);
}

TEST_F(MeshBuilderTest, TwoIndexFaceDrawsNothingButSmoothsItsNeighbours) {
    ModelObject object;
    object.facet = 30.0f;
    // A triangle tilted 20 degrees from straight up, and an edge (0, 1) that
    // shares its vertex 0 and has the normal (0, 1, 0).
    const float c20 = 0.93969262f;
    const float s20 = 0.34202014f;
    object.vertices = {{0, 0, 0}, {0, 0, 1}, {c20, s20, 0}, {5, 5, 5}};
    object.faces = {MakeFace({0, 1, 2}), MakeFace({0, 3})};
    BuildMesh(object, &device, Materials(1));

    ExpectVector(object.faces[1].normal, 0.0f, 1.0f, 0.0f);
    ExpectVector(object.faces[0].normal, -s20, c20, 0.0f, 1e-6f);
    // Vertex 0: bisector of the two normals, 10 degrees from up.
    EXPECT_EQ(object.faces[0].corners[0].faceIndices, (std::vector<int>{0, 1}));
    ExpectVector(object.faces[0].corners[0].normal, -0.17364818f, 0.98480775f, 0.0f, 1e-6f);
    EXPECT_EQ(object.faces[0].corners[1].faceIndices, std::vector<int>{0});
    EXPECT_EQ(object.faces[1].corners.size(), 2u);
    EXPECT_EQ(BufferVertices(object).size(), 3u);
    EXPECT_EQ(object.materialTriangleCounts, std::vector<int>{1});
    Release(object);
}

TEST_F(MeshBuilderTest, MissingTextureCoordinatesAreZero) {
    ModelObject object;
    object.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
    object.faces = {MakeFace({0, 1, 2}), MakeFace({0, 1, 2}, 0, {{0.25f, 0.5f}, {0.75f, 1.0f}})};
    BuildMesh(object, &device, Materials(1));

    const std::vector<MeshVertex> written = BufferVertices(object);
    ASSERT_EQ(written.size(), 6u);
    const float expected[6][2] = {{0, 0}, {0, 0}, {0, 0}, {0.25f, 0.5f}, {0.75f, 1.0f}, {0, 0}};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(written[i].u, expected[i][0]);
        EXPECT_EQ(written[i].v, expected[i][1]);
    }
    Release(object);
}

TEST_F(MeshBuilderTest, GroupsTrianglesByMaterialInFaceOrder) {
    ModelObject object;
    object.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {2, 0, 0}, {3, 0, 0}};
    // Face k is recognised in the buffer by its first vertex's x.
    object.faces = {MakeFace({4, 0, 1}, 2), MakeFace({0, 1, 2, 3}, 0), MakeFace({5, 0, 1}, 2),
                    MakeFace({1, 2, 3}, 0)};
    BuildMesh(object, &device, Materials(3));

    EXPECT_EQ(object.materialTriangleCounts, (std::vector<int>{3, 0, 2}));
    const std::vector<MeshVertex> written = BufferVertices(object);
    ASSERT_EQ(written.size(), 15u);
    const float firstX[5] = {0.0f, 1.0f, 1.0f, 2.0f, 3.0f}; // quad (two), triangle, then material 2
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(written[3 * t].x, firstX[t]) << "triangle " << t;
    }
    Release(object);
}

TEST_F(MeshBuilderTest, FacesOutsideTheMaterialsTakeRoomButAreNotWritten) {
    ModelObject object;
    object.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
    object.faces = {MakeFace({0, 1, 2}, -1), MakeFace({0, 1, 2}, 1), MakeFace({0, 2, 1}, 0)};
    BuildMesh(object, &device, Materials(1));

    ASSERT_NE(object.vertexBuffer, nullptr);
    const auto& buffer = *static_cast<RecordingVertexBuffer*>(object.vertexBuffer);
    EXPECT_EQ(buffer.length, 3u * 3u * sizeof(MeshVertex));
    EXPECT_EQ(object.materialTriangleCounts, std::vector<int>{1});
    const std::vector<MeshVertex> written = BufferVertices(object);
    EXPECT_EQ(written[1].z, 1.0f); // the material-0 face, corners 0, 2, 1
    // Everything after the one written triangle is as the device made it.
    for (std::size_t i = 3 * sizeof(MeshVertex); i < buffer.length; ++i) {
        ASSERT_EQ(buffer.bytes[i], 0xCD) << "byte " << i;
    }
    Release(object);
}

TEST_F(MeshBuilderTest, WithoutMaterialsNothingIsWrittenOrDrawn) {
    ModelObject object;
    object.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}};
    object.faces = {MakeFace({0, 1, 2, 3}), MakeFace({0, 1, 2})};
    BuildMesh(object, &device, {});

    ASSERT_NE(object.vertexBuffer, nullptr);
    const auto& buffer = *static_cast<RecordingVertexBuffer*>(object.vertexBuffer);
    EXPECT_EQ(buffer.length, 9u * sizeof(MeshVertex));
    EXPECT_TRUE(object.materialTriangleCounts.empty());
    for (const std::uint8_t byte : buffer.bytes) {
        ASSERT_EQ(byte, 0xCD);
    }
    Release(object);
}

TEST_F(MeshBuilderTest, DegenerateFacesPointUp) {
    ModelObject object;
    object.vertices = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    object.faces = {MakeFace({0, 1, 2}), MakeFace({2}), MakeFace({1, 1, 1})};
    CollectSmoothingFaces(object);
    ComputeCornerNormals(object);
    for (const Face& face : object.faces) {
        ExpectVector(face.normal, 0.0f, 1.0f, 0.0f);
        ASSERT_EQ(face.corners.size(), face.indices.size());
        ExpectVector(face.corners[0].normal, 0.0f, 1.0f, 0.0f);
    }
}

TEST_F(MeshBuilderTest, CornerListsFollowFaceOrderAroundASharedVertex) {
    // Six coplanar triangles around vertex 0; vertex 0 listed twice by face 4.
    ModelObject object;
    object.facet = 10.0f;
    object.vertices = {{0, 0, 0},  {1, 0, 0},  {1, 0, 1}, {0, 0, 1},
                       {-1, 0, 1}, {-1, 0, 0}, {0, 0, -1}};
    object.faces = {MakeFace({0, 1, 2}), MakeFace({0, 2, 3}), MakeFace({0, 3, 4}),
                    MakeFace({0, 4, 5}), MakeFace({0, 0, 5}), MakeFace({0, 5, 6})};
    CollectSmoothingFaces(object);
    for (std::size_t f = 0; f < object.faces.size(); ++f) {
        SCOPED_TRACE(f);
        // Face 4 is degenerate, pointing up, so it never joins the others.
        const std::vector<int> expected =
            f == 4 ? std::vector<int>{4, 4} : std::vector<int>{0, 1, 2, 3, 5};
        EXPECT_EQ(object.faces[f].corners[0].faceIndices, expected);
    }
}

TEST_F(MeshBuilderTest, FacesWithUnreadableIndicesAreLeftOut) {
    // Each row adds one broken face to a valid triangle sharing vertex 0; the
    // broken face must neither be read, nor smoothed with, nor get room.
    const std::vector<std::pair<const char*, Face>> broken = {
        {"index past the vertices", MakeFace({0, 1, 3})},
        {"huge index", MakeFace({0, 2000000000, 1})},
        {"negative index", MakeFace({0, -1, 2})},
        {"no indices", MakeFace({})},
        {"quad with one bad corner", MakeFace({0, 1, 2, 7})},
    };
    for (const auto& [name, face] : broken) {
        SCOPED_TRACE(name);
        ModelObject object;
        object.facet = 180.0f;
        object.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
        object.faces = {MakeFace({0, 1, 2}), face};
        BuildMesh(object, &device, Materials(1));

        const Face& bad = object.faces[1];
        ExpectVector(bad.normal, 0.0f, 1.0f, 0.0f);
        ASSERT_EQ(bad.corners.size(), bad.indices.size());
        for (const CornerNormal& corner : bad.corners) {
            EXPECT_EQ(corner.faceIndices, std::vector<int>{1});
        }
        EXPECT_EQ(object.faces[0].corners[0].faceIndices, std::vector<int>{0});
        ASSERT_NE(object.vertexBuffer, nullptr);
        EXPECT_EQ(static_cast<RecordingVertexBuffer*>(object.vertexBuffer)->length,
                  3u * sizeof(MeshVertex));
        EXPECT_EQ(object.materialTriangleCounts, std::vector<int>{1});
        Release(object);
    }
}

TEST_F(MeshBuilderTest, ObjectsWithoutTrianglesAskForNoBuffer) {
    const std::vector<std::pair<const char*, std::vector<Face>>> cases = {
        {"no faces", {}},
        {"only edges", {MakeFace({0, 1}), MakeFace({1, 2})}},
        {"only broken faces", {MakeFace({0, 1, 9}), MakeFace({-3, 0, 1, 2})}},
    };
    for (const auto& [name, faces] : cases) {
        SCOPED_TRACE(name);
        ModelObject object;
        object.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
        object.faces = faces;
        BuildMesh(object, &device, Materials(2));
        EXPECT_EQ(object.vertexBuffer, nullptr);
        EXPECT_EQ(object.materialTriangleCounts, (std::vector<int>{0, 0}));
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
        ModelObject object;
        object.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
        object.faces = {MakeFace({0, 1, 2}), MakeFace({0, 2, 1}, 1)};

        const HRESULT result = BuildMesh(object, c.useDevice ? &failing : nullptr, Materials(2));

        EXPECT_TRUE(FAILED(result));
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
    struct Case {
        D3DXVECTOR3 in;
        D3DXVECTOR3 out;
    };
    const Case cases[] = {
        {{3, 0, 4}, {0.6f, 0.0f, 0.8f}},
        {{0, -2, 0}, {0.0f, -1.0f, 0.0f}},
        {{0, 0, 0}, {0.0f, 1.0f, 0.0f}},
        {{1e-30f, 0, 0}, {0.0f, 1.0f, 0.0f}}, // its square is 0 in single precision
    };
    for (const Case& c : cases) {
        D3DXVECTOR3 v = c.in;
        NormalizeOrUp(v);
        ExpectVector(v, c.out.x, c.out.y, c.out.z, 1e-7f);
    }
}

} // namespace
