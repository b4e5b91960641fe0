// The content of one model document as the generator builds it, before it is
// written out as text.
#pragma once

#include <string>
#include <vector>

#include "geometry.h"

namespace assetgen {

struct Rgb {
    float r = 0.8f;
    float g = 0.8f;
    float b = 0.8f;
};

struct DocumentMaterial {
    std::string name;      // quoted first token of the material line
    Rgb colour;            // "col" base colour
    float alpha = 1.0f;    // "col" alpha
    float diffuse = 0.8f;  // "dif"
    float ambient = 0.4f;  // "amb": how bright the unlit side stays
    float emissive = 0.0f; // "emi"
    float specular = 0.0f; // "spc"
    float power = 5.0f;    // "power": specular exponent
    std::string texture;   // "tex" file name below TEXTURE, or empty
};

struct DocumentFace {
    std::vector<int> indices; // 3 or 4 vertex indices, clockwise seen from outside
    std::vector<Vec2> uvs;    // one (u, v) per index
    int material = 0;         // index into the document's materials
};

struct DocumentObject {
    std::string name;           // Object chunk name
    float facet = 0.0f;         // smoothing angle in degrees
    std::vector<Vec3> vertices; // positions
    std::vector<DocumentFace> faces;
    std::vector<Matrix> keys; // one key per frame; written only when not empty
};

struct Document {
    std::vector<DocumentMaterial> materials;
    std::vector<DocumentObject> objects;
    std::string animationName = "idle"; // name of every object's animation chunk
};

// A material line: base colour, how much of the light it takes (the device
// adds global white ambient, so `ambient` alone sets the shaded side) and an
// optional texture.
DocumentMaterial MakeMaterial(std::string name, Rgb colour, float diffuse, float ambient,
                              float specular = 0.0f, float power = 5.0f, std::string texture = {});

// Index of the material with this name; the name must exist.
int MaterialIndex(const Document& document, const std::string& name);

} // namespace assetgen
