// Draws a model: every object but the collision object, placed by its current
// key and the model's world matrix, one draw call per material with triangles.
#pragma once

#include <vector>

#include "model/model.h"
#include "platform/sdk/direct3d.h"

// Draws every object except collisionObject, then advances playback one frame.
void DrawModel(Model& model, IDirect3DDevice9* device);

// Draws one object with the given world matrix and reads that matrix back
// from the device into object.transform.
void DrawObject(IDirect3DDevice9* device, const D3DXMATRIX& world, ModelObject& object,
                const std::vector<Material>& materials);
