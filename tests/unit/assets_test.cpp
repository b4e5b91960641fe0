// The committed game data: what the generator writes, read back through the
// game's own reader, mesh code and texture loader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/model.h"
#include "platform/d3dx/d3dx_texture.h"
#include "render/animation.h"
#include "render/mesh_builder.h"
#include "tests/support/load_document.h"
#include "tests/support/mesh_checks.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

const fs::path kAssets = fs::path(KORVANE_SOURCE_DIR) / "assets";

std::string ReadFileBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

#ifdef KORVANE_ASSET_GENERATOR
// Every data file below root, relative and sorted; the build script is not data.
std::vector<std::string> DataFiles(const fs::path& root) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && entry.path().filename() != "CMakeLists.txt") {
            files.push_back(fs::relative(entry.path(), root).generic_string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}
#endif

// A committed document read with the game's reader, with the game's normals
// built; read once per test process.
const Model& Loaded(const std::string& file) {
    static std::map<std::string, std::unique_ptr<Model>> models;
    std::unique_ptr<Model>& model = models[file];
    if (model == nullptr) {
        model = std::make_unique<Model>();
        EXPECT_EQ(LoadDocument(ReadFileBytes(kAssets / file), *model), kLoadOk) << file;
        model->FindCollisionObject();
        for (ModelObject& object : model->objects) {
            CollectSmoothingFaces(object);
            ComputeCornerNormals(object);
        }
    }
    return *model;
}
const Model& Tile() {
    return Loaded("MQO/Korvane.mqo");
}
const Model& Knight() {
    return Loaded("MQA/BlueKnight.mqa");
}

// Smallest box holding every vertex added.
struct Bounds {
    D3DXVECTOR3 low{1e9f, 1e9f, 1e9f};     // smallest x, y, z seen
    D3DXVECTOR3 high{-1e9f, -1e9f, -1e9f}; // largest x, y, z seen
    void Add(const D3DXVECTOR3& v) {
        low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
        high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
    }
    bool Holds(const D3DXVECTOR3& v) const {
        return v.x >= low.x && v.x <= high.x && v.y >= low.y && v.y <= high.y && v.z >= low.z &&
               v.z <= high.z;
    }
};

D3DXVECTOR3 Transformed(const D3DXVECTOR3& p, const D3DXMATRIX& m) {
    return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41,
            p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
            p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
}

// Largest difference between two keys, entry by entry.
float KeyDistance(const D3DXMATRIX& a, const D3DXMATRIX& b) {
    float largest = 0.0f;
    for (int entry = 0; entry < 16; ++entry) {
        largest =
            std::max(largest, std::fabs(a.m[entry / 4][entry % 4] - b.m[entry / 4][entry % 4]));
    }
    return largest;
}

// Mean z of the named object's vertices.
float CentreZ(const Model& model, const std::string& name) {
    for (const ModelObject& object : model.objects) {
        if (object.name == name) {
            float sum = 0.0f;
            for (const D3DXVECTOR3& v : object.vertices) {
                sum += v.z;
            }
            return sum / static_cast<float>(object.vertices.size());
        }
    }
    ADD_FAILURE() << "no object named " << name;
    return 0.0f;
}

// Every face the game can draw: 3 or 4 corners naming vertices, a material of
// the model, and one texture coordinate per corner.
void ExpectEveryFaceDrawable(const Model& model) {
    for (const ModelObject& object : model.objects) {
        ASSERT_FALSE(object.faces.empty()) << object.name;
        for (const Face& face : object.faces) {
            ASSERT_TRUE(face.indices.size() == 3 || face.indices.size() == 4) << object.name;
            EXPECT_TRUE(IsReadableFace(face, object.vertices.size())) << object.name;
            EXPECT_TRUE(face.material >= 0 &&
                        face.material < static_cast<int>(model.materials.size()))
                << object.name;
            EXPECT_EQ(face.uvs.size(), face.indices.size()) << object.name;
        }
    }
}

} // namespace

#ifdef KORVANE_ASSET_GENERATOR
TEST(GeneratedAssets, RegeneratingWritesTheCommittedFilesByteForByte) {
    ScratchFolder folder;
    const fs::path output = folder.PathOf("data");
    const std::string command =
        std::string("\"") + KORVANE_ASSET_GENERATOR + "\" \"" + output.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);

    const std::vector<std::string> committed = DataFiles(kAssets);
    ASSERT_EQ(DataFiles(output), committed);
    for (const char* needed : {"MQO/Korvane.mqo", "MQA/BlueKnight.mqa", "Stage1.vtm"}) {
        EXPECT_NE(std::find(committed.begin(), committed.end(), needed), committed.end()) << needed;
    }
    for (const std::string& file : committed) {
        EXPECT_TRUE(ReadFileBytes(kAssets / file) == ReadFileBytes(output / file))
            << file << " differs from what the generator writes now";
    }
}
#endif

TEST(TileModel, IsATexturedBlockOneCellWideAndFiftyHighOnItsBaseWithoutCollisionObject) {
    const Model& tile = Tile();
    ASSERT_FALSE(tile.objects.empty());
    EXPECT_EQ(tile.collisionObject, -1);
    ExpectEveryFaceDrawable(tile);
    for (const Material& material : tile.materials) {
        EXPECT_FALSE(material.textureName.empty()) << material.name;
    }
    Bounds box;
    for (const ModelObject& object : tile.objects) {
        std::for_each(object.vertices.begin(), object.vertices.end(),
                      [&](const D3DXVECTOR3& v) { box.Add(v); });
    }
    EXPECT_EQ((std::vector{box.low.x, box.low.y, box.low.z, box.high.x, box.high.y, box.high.z}),
              (std::vector{-50.0f, 0.0f, -50.0f, 50.0f, 50.0f, 50.0f}));
}

TEST(TileModel, EnclosesItsVolumeLitTowardsTheCameraWithHardEdgesAndUprightSideTextures) {
    // The game's light direction; its device lights a face by normal . (-direction).
    const D3DXVECTOR3 camera(2.0f / 3.0f, 1.0f / 3.0f, 2.0f / 3.0f);
    int sides = 0;
    for (const ModelObject& object : Tile().objects) {
        EXPECT_NEAR(SignedVolume(object), -100.0 * 100.0 * 50.0, 1.0);
        for (const Face& face : object.faces) {
            D3DXVECTOR3 centre;
            for (const int index : face.indices) {
                const D3DXVECTOR3& v = object.vertices[static_cast<std::size_t>(index)];
                centre = {centre.x + v.x / 4.0f, centre.y + v.y / 4.0f, centre.z + v.z / 4.0f};
            }
            // Outward direction of the face: from the block's centre to the face's.
            const D3DXVECTOR3 outward(centre.x, centre.y - 25.0f, centre.z);
            EXPECT_EQ(D3DXVec3Dot(&outward, &camera) > 0.0f,
                      -D3DXVec3Dot(&face.normal, &camera) > 0.0f)
                << "a face the camera sees must be lit";
            for (const CornerNormal& corner : object.CornersOf(face)) {
                EXPECT_FLOAT_EQ(corner.normal.x, face.normal.x);
                EXPECT_FLOAT_EQ(corner.normal.y, face.normal.y);
                EXPECT_FLOAT_EQ(corner.normal.z, face.normal.z);
            }
            // A side's texture stands upright, its top along the grass.
            const bool side = std::fabs(face.normal.y) < 1e-6f;
            sides += side ? 1 : 0;
            for (std::size_t k = 0; side && k < face.indices.size(); ++k) {
                const float y = object.vertices[static_cast<std::size_t>(face.indices[k])].y;
                EXPECT_FLOAT_EQ(face.uvs[k].v, 1.0f - y / 50.0f);
            }
        }
    }
    EXPECT_EQ(sides, 4);
}

TEST(GameModels, EveryPartIsClosedAndClockwiseFromOutside) {
    for (const Model* model : {&Tile(), &Knight()}) {
        for (const ModelObject& object : model->objects) {
            EXPECT_EQ(UnpairedEdges(object), 0) << object.name;
            EXPECT_LT(SignedVolume(object), 0.0) << object.name << " is inside out";
        }
    }
}

TEST(KnightModel, LoadsWithACollisionBoxAroundEveryDrawnPart) {
    const Model& knight = Knight();
    ExpectEveryFaceDrawable(knight);
    ASSERT_GT(knight.collisionObject, 0) << "a drawn part comes first and sets the loop length";
    const ModelObject& box = knight.objects[static_cast<std::size_t>(knight.collisionObject)];
    EXPECT_EQ(box.vertices.size(), 8u);
    Bounds bounds;
    std::for_each(box.vertices.begin(), box.vertices.end(),
                  [&](const D3DXVECTOR3& v) { bounds.Add(v); });
    for (const ModelObject& object : knight.objects) {
        for (const D3DXVECTOR3& v : object.vertices) {
            EXPECT_TRUE(bounds.Holds(v)) << object.name << " sticks out of the collision box";
        }
    }
}

TEST(KnightModel, EveryObjectLoopsTheSameKeysWithoutAJump) {
    const Model& knight = Knight();
    const int keys = KeyCount(knight);
    EXPECT_GE(keys, 24);
    EXPECT_EQ(knight.animationNames.size(), 1u);
    float largestStep = 0.0f;
    for (const ModelObject& object : knight.objects) {
        ASSERT_EQ(object.animations.size(), 1u) << object.name;
        const KeyList& list = object.animations[0];
        ASSERT_EQ(static_cast<int>(list.size()), keys) << object.name;
        float step = 0.0f;
        for (std::size_t k = 0; k + 1 < list.size(); ++k) {
            step = std::max(step, KeyDistance(list[k], list[k + 1]));
        }
        // Closing the loop is no bigger a step than any other step of the cycle.
        EXPECT_LE(KeyDistance(list.back(), list.front()), step * 1.001f + 1e-5f) << object.name;
        largestStep = std::max(largestStep, step);
    }
    EXPECT_GT(largestStep, 0.05f) << "the knight does not move";
}

TEST(KnightModel, StandsOnItsFeetAboutOneCellTallFacingPlusZ) {
    const Model& knight = Knight();
    for (int key = 0; key < KeyCount(knight); ++key) {
        Bounds drawn;
        for (std::size_t i = 0; i < knight.objects.size(); ++i) {
            if (static_cast<int>(i) != knight.collisionObject) {
                const D3DXMATRIX placement = GetKeyMatrix(knight.objects[i], 0, key);
                for (const D3DXVECTOR3& v : knight.objects[i].vertices) {
                    drawn.Add(Transformed(v, placement));
                }
            }
        }
        if (key == 0) {
            EXPECT_NEAR(drawn.low.y, 0.0f, 0.01f) << "feet on the tile at rest";
            EXPECT_GE(drawn.high.y, 80.0f);
            EXPECT_LE(drawn.high.y, 100.0f);
        }
        EXPECT_GE(drawn.low.y, -0.01f) << "a foot sinks into the tile at key " << key;
    }
    // The sword is held out in front and the cape hangs behind.
    EXPECT_GT(CentreZ(knight, "sword"), 5.0f);
    EXPECT_LT(CentreZ(knight, "cape"), -5.0f);
}

TEST(GameTextures, EveryTextureDecodesAndTheyIncludeA24BitBmpAPngAndASizeNotAPowerOfTwo) {
    for (const Model* model : {&Tile(), &Knight()}) {
        const auto textured = std::count_if(
            model->materials.begin(), model->materials.end(), [](const Material& material) {
                const fs::path image = kAssets / "TEXTURE" / material.textureName;
                EXPECT_TRUE(material.textureName.empty() || fs::is_regular_file(image)) << image;
                return !material.textureName.empty();
            });
        EXPECT_GT(textured, 0);
    }
    bool bmp24 = false;
    bool png = false;
    bool notPowerOfTwo = false;
    auto powerOfTwo = [](UINT n) { return n != 0 && (n & (n - 1)) == 0; };
    for (const auto& entry : fs::directory_iterator(kAssets / "TEXTURE")) {
        const std::string bytes = ReadFileBytes(entry.path());
        ASSERT_GE(bytes.size(), 30u) << entry.path();
        bmp24 = bmp24 || (bytes.compare(0, 2, "BM") == 0 &&
                          static_cast<unsigned char>(bytes[28]) == 24 && bytes[29] == 0);
        png = png || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0;
        RecordingDevice device;
        IDirect3DTexture9* texture = nullptr;
        D3DXIMAGE_INFO info{};
        EXPECT_EQ(D3DXCreateTextureFromFileExA(&device, entry.path().string().c_str(), 0, 0, 0, 0,
                                               D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_LINEAR,
                                               D3DX_FILTER_LINEAR, 0, &info, nullptr, &texture),
                  S_OK)
            << entry.path();
        ASSERT_NE(texture, nullptr) << entry.path();
        texture->Release();
        notPowerOfTwo = notPowerOfTwo || !powerOfTwo(info.Width) || !powerOfTwo(info.Height);
    }
    EXPECT_TRUE(bmp24);
    EXPECT_TRUE(png);
    EXPECT_TRUE(notPowerOfTwo);
}

TEST(StageFile, HoldsOneHundredHeightsBetweenHalfAndThreeNoneRisingTowardsTheCamera) {
    std::istringstream text(ReadFileBytes(kAssets / "Stage1.vtm"));
    std::vector<float> heights;
    for (std::string token; text >> token;) {
        std::size_t used = 0;
        heights.push_back(std::stof(token, &used));
        EXPECT_EQ(used, token.size()) << "not a number: " << token;
    }
    ASSERT_EQ(heights.size(), 100u);
    const auto [lowest, highest] = std::minmax_element(heights.begin(), heights.end());
    EXPECT_GE(*lowest, 0.5f);
    EXPECT_LE(*highest, 3.0f);
    EXPECT_GE(*highest - *lowest, 2.0f) << "the board needs relief";
    // The camera looks from the +x/+z side: a tile rising more than half a tile
    // there would hide the knight.
    auto at = [&](int x, int z) { return heights[static_cast<std::size_t>(z * 10 + x)]; };
    for (int cell = 0; cell < 100; ++cell) {
        const int x = cell % 10;
        const int z = cell / 10;
        EXPECT_TRUE((x == 9 || at(x + 1, z) - at(x, z) <= 0.5f) &&
                    (z == 9 || at(x, z + 1) - at(x, z) <= 0.5f))
            << "x " << x << " z " << z;
    }
}
