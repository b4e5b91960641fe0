// Turns the polygons of one object into a static vertex buffer of independent
// triangles grouped by material, with one smoothed normal per face corner.
#pragma once

#include <vector>

#include "model/model.h"
#include "platform/devices/mesh_vertex.h"
#include "platform/sdk/direct3d.h"

// Builds the object's face normals, corner normals, vertex buffer and
// per-material triangle counts. object.vertexBuffer must be null on entry.
// A face is readable when it has at least one index and every index lies
// within vertices; any other face is neither smoothed with others nor given
// room in the buffer. When there is nothing to draw or the buffer cannot be
// created, locked or filled, vertexBuffer stays null and every count is 0.
// Returns the result of unlocking the buffer, or the failure met before.
HRESULT BuildMesh(ModelObject& object, IDirect3DDevice9* device,
                  const std::vector<Material>& materials);

// True when the face has at least one index and all of them name a vertex.
bool IsReadableFace(const Face& face, std::size_t vertexCount);

// What BuildMesh does before it writes the buffer: every face normal, every
// corner's face list and smoothed normal.
void SmoothCorners(ModelObject& object);

// Computes every face normal, then gives every corner the faces whose normals
// lie within the object's facet angle of its own face's normal.
void CollectSmoothingFaces(ModelObject& object);
// Unit normal of each face from its first three corners; (0, 1, 0) for a
// degenerate or unreadable face.
void ComputeFaceNormals(ModelObject& object);
// Each corner's normal: the unit sum of the normals of its listed faces.
void ComputeCornerNormals(ModelObject& object);
// Makes v unit length in place, or (0, 1, 0) when it has no length.
void NormalizeOrUp(D3DXVECTOR3& v);
