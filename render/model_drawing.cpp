#include "render/model_drawing.h"

#include <algorithm>

#include "render/animation.h"
#include "render/mesh_builder.h"

void DrawModel(Model& model, IDirect3DDevice9* device) {
    const int keyIndex = KeyIndexOfFrame(model.currentFrame);
    for (std::size_t i = 0; i < model.objects.size(); ++i) {
        if (static_cast<int>(i) == model.collisionObject) {
            continue;
        }
        ModelObject& object = model.objects[i];
        const D3DXMATRIX key = GetKeyMatrix(object, model.animationIndex, keyIndex);
        D3DXMATRIX world;
        D3DXMatrixMultiply(&world, &key, &model.world);
        DrawObject(device, world, object, model.materials);
    }
    AdvancePlayback(model);
}

void DrawObject(IDirect3DDevice9* device, const D3DXMATRIX& world, ModelObject& object,
                const std::vector<Material>& materials) {
    device->SetTransform(D3DTS_WORLD, &world);
    device->GetTransform(D3DTS_WORLD, &object.transform);
    device->SetTexture(0, nullptr);
    device->SetStreamSource(0, object.vertexBuffer, 0, sizeof(MeshVertex));
    // Counts beyond the materials list have no material to draw with.
    const std::size_t drawn = std::min(object.materialTriangleCounts.size(), materials.size());
    UINT start = 0;
    for (std::size_t i = 0; i < drawn; ++i) {
        const int triangles = object.materialTriangleCounts[i];
        if (triangles <= 0) {
            continue;
        }
        const Material& material = materials[i];
        device->SetMaterial(&material.deviceMaterial);
        // An empty name clears the stage whatever texture holds.
        device->SetTexture(0, material.textureName.empty() ? nullptr : material.texture);
        device->DrawPrimitive(D3DPT_TRIANGLELIST, start, static_cast<UINT>(triangles));
        start += 3 * static_cast<UINT>(triangles);
    }
}
