// The in-memory records of a loaded model: filled by the document reader,
// completed by loading (collision object, textures, meshes), changed every
// frame by placement and playback, drawn by the renderer.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/inline_list.h"
#include "platform/d3dx/d3dx_math.h"
#include "platform/sdk/direct3d.h"
#include "platform/services/file_handle.h"

// Texture coordinates of one face corner.
struct TexCoord {
    float u = 0.0f;
    float v = 0.0f;

    friend bool operator==(const TexCoord&, const TexCoord&) = default;
};

// A stretch of one of an object's flat lists: count entries from first on.
// Keeping per-face and per-corner lists in two lists per object spares a
// large model a heap block for every face and every corner.
struct ListRange {
    std::uint32_t first = 0;
    std::uint32_t count = 0;

    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    friend bool operator==(const ListRange&, const ListRange&) = default;
};

// Smoothing data of one face corner; filled by mesh building.
struct CornerNormal {
    D3DXVECTOR3 normal;    // the corner's smoothed unit normal
    ListRange faceIndices; // in the object's cornerFaceIndices: faces summed into normal
};

// The reader keeps at most this many indices and UV pairs of a face line.
constexpr int kMaxFaceCorners = 4;

// One polygon of an object.
struct Face {
    int material = -1;                         // material index from the "M" part; -1 draws nothing
    D3DXVECTOR3 normal;                        // unit face normal, computed by mesh building
    InlineList<int, kMaxFaceCorners> indices;  // indices into the object's vertices
    InlineList<TexCoord, kMaxFaceCorners> uvs; // one pair per index, or empty without a "UV" part
    ListRange corners; // in the object's cornerNormals, one per index; empty until mesh building
};

// One material of a model and the device material derived from it.
struct Material {
    Material();

    // Recomputes deviceMaterial from color and the five factors.
    void UpdateDeviceMaterial();
    // Loads textureName from the TEXTURE directory beside the executable into texture.
    void LoadTexture(IDirect3DDevice9* device);

    std::string name = "NoMaterial";                // first token of the material line
    D3DCOLORVALUE color = {0.8f, 0.8f, 0.8f, 1.0f}; // base colour from "col"
    float diffuse = 1.0f;                           // from "dif"
    float ambient = 1.0f;                           // from "amb"
    float emissive = 0.0f;                          // from "emi"
    float specular = 0.0f;                          // from "spc"
    float power = 0.2f;                             // from "power"
    std::string textureName;                        // from "tex"; loaded when not empty
    std::string alphaPlaneName;                     // from "aplane"; stored only
    std::string bumpName;                           // from "bump"; stored only
    D3DMATERIAL9 deviceMaterial{};                  // handed to the device when drawing
    IDirect3DTexture9* texture = nullptr;           // owned by the loading model; copies borrow it
};

// A list of per-frame key matrices: key k is the object's matrix for frame k.
using KeyList = std::vector<D3DXMATRIX>;

// One object of a model document.
struct ModelObject {
    // A face's corners and a corner's face list, read from the flat lists;
    // empty when the range does not lie within its list.
    std::span<const CornerNormal> CornersOf(const Face& face) const;
    std::span<const int> FaceIndicesOf(const CornerNormal& corner) const;

    std::string name;                               // from the Object chunk header
    IDirect3DVertexBuffer9* vertexBuffer = nullptr; // built mesh; owned by the loading model
    int mirrorAxis = 0;                             // "mirror_axis" value; stored only
    float facet = 0.0f;                             // smoothing angle in degrees, from "facet"
    std::vector<D3DXVECTOR3> vertices;              // positions in file order
    std::vector<Face> faces;                        // polygons in file order
    std::vector<CornerNormal> cornerNormals;        // every face's corners, face after face
    std::vector<int> cornerFaceIndices;             // every corner's faces, in ascending order
    std::vector<int> materialTriangleCounts; // triangles per material index, from mesh building
    std::vector<KeyList> animations;         // one key list per "animation" chunk
    D3DXMATRIX transform = IdentityMatrix(); // world matrix of the last draw
};

// How a model's load ended.
enum class ModelLoadStatus {
    kNotLoaded,   // no load has run
    kLoaded,      // the document was read completely
    kFileMissing, // the file could not be opened
    kReaderError, // the reader stopped on a broken document; readerResult tells why
    kOutOfMemory, // memory ran out while reading or preparing the model
};

// What a load records, so the player can be told why it failed without the
// file being read again.
struct ModelLoadOutcome {
    ModelLoadStatus status = ModelLoadStatus::kNotLoaded;
    int readerResult = 0; // LoaderMQA::Load's result when the reader stopped; else 0
};

// One loaded model document with its placement and animation playback.
struct Model {
    Model() = default;
    // Copies go through CopyContentFrom only: a plain copy would duplicate
    // ownership of the device objects.
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;
    // Releases every vertex buffer and texture this model loaded, once.
    ~Model();

    // Loads a document named relative to the executable's directory and makes
    // it ready to draw. True when the document was read completely; how the
    // load ended is kept in loadOutcome.
    bool LoadFromFile(std::string relativeName, IDirect3DDevice9* device);
    // The same load from a document already open: reads it, closes it, then
    // finds the collision object, loads the textures and builds the meshes
    // whatever the reader returned.
    bool LoadFromOpenFile(FileHandle file, IDirect3DDevice9* device);
    // Sets collisionObject to the first object named "collision", any letter case.
    void FindCollisionObject();
    void LoadTextures(IDirect3DDevice9* device);
    void BuildMeshes(IDirect3DDevice9* device);
    // Copies objects, materials and animation names; device objects are borrowed.
    void CopyContentFrom(const Model& source);

    std::vector<ModelObject> objects;        // the file's objects in file order
    int collisionObject = -1;                // index of the never-drawn object, or -1
    std::vector<Material> materials;         // the file's materials; faces index into it
    std::vector<std::string> animationNames; // animation names of the first object
    D3DXMATRIX world = IdentityMatrix();     // placement, rewritten every frame
    D3DXVECTOR3 position;                    // placement triple; nothing reads it
    D3DXVECTOR3 rotation;                    // degrees about X, Y, Z; Y is the facing
    D3DXVECTOR3 scale{1.0f, 1.0f, 1.0f};     // Y is a tile's height factor
    float currentFrame = 0.0f;               // the key being shown
    int animationIndex = 0;                  // which key list of every object plays
    bool loop = true;                        // at the end: keep playing
    bool holdAtEnd = false;                  // at the end: rest on the last key
    bool playing = true;                     // while set, each draw advances one frame
    ModelLoadOutcome loadOutcome;            // how LoadFromFile ended; not copied
};
