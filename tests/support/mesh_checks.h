// Checks on the closed surfaces of a model object, with the faces cut into
// triangles the way the game's mesh builder cuts them (0-1-2, then 2-3-0).
#pragma once

#include <map>
#include <utility>

#include "model/model.h"

// Volume enclosed by the object's faces: negative when every face is wound
// clockwise seen from outside, the winding the game draws.
inline double SignedVolume(const ModelObject& object) {
    double volume = 0.0;
    auto corner = [&](const Face& face, std::size_t k) -> const D3DXVECTOR3& {
        return object.vertices[static_cast<std::size_t>(face.indices[k])];
    };
    auto add = [&](const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c) {
        volume += (static_cast<double>(a.x) * (b.y * c.z - b.z * c.y) +
                   static_cast<double>(a.y) * (b.z * c.x - b.x * c.z) +
                   static_cast<double>(a.z) * (b.x * c.y - b.y * c.x)) /
                  6.0;
    };
    for (const Face& face : object.faces) {
        if (face.indices.size() >= 3) {
            add(corner(face, 0), corner(face, 1), corner(face, 2));
        }
        if (face.indices.size() == 4) {
            add(corner(face, 2), corner(face, 3), corner(face, 0));
        }
    }
    return volume;
}

// Face edges, taken in their winding, that no other face runs the opposite
// way: 0 for a closed surface whose faces all agree on their winding.
inline int UnpairedEdges(const ModelObject& object) {
    std::map<std::pair<int, int>, int> edges; // directed edge, how often it occurs
    for (const Face& face : object.faces) {
        const std::size_t n = face.indices.size();
        for (std::size_t k = 0; k < n; ++k) {
            ++edges[{face.indices[k], face.indices[(k + 1) % n]}];
        }
    }
    int unpaired = 0;
    for (const auto& [edge, count] : edges) {
        const auto reverse = edges.find({edge.second, edge.first});
        const int partners = reverse == edges.end() ? 0 : reverse->second;
        if (partners != count) {
            unpaired += count;
        }
    }
    return unpaired;
}
