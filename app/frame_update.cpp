#include "app/frame_update.h"

#include "app/scene_objects.h"
#include "model/model.h"
#include "platform/d3dx/d3dx_math.h"
#include "platform/devices/graphics_device.h"
#include "render/model_drawing.h"

ArrowKeyStates arrowKeyStates;

namespace {

constexpr float kNearPlane = 100.0f;
constexpr float kFarPlane = 10000.0f;
constexpr float kFieldOfViewDegrees = 10.0f;

// Turns the unit as the step says; a tick without a step keeps its facing.
void FaceUnit(const UnitMove& move) {
    switch (move.step) {
    case UnitStep::None:
        break;
    case UnitStep::Down:
        SetUnitRotation(0.0f, 0.0f, 0.0f);
        break;
    case UnitStep::Left:
    case UnitStep::Right:
    case UnitStep::Up:
        unitModel->rotation = D3DXVECTOR3(0.0f, move.facingDegrees, 0.0f);
        break;
    }
}

void PlaceTiles() {
    for (int index = 0; index < kTileCount; ++index) {
        Model& tile = *tileModels[index];
        D3DXMATRIX scaling;
        D3DXMATRIX translation;
        D3DXMatrixScaling(&scaling, 1.0f, tile.scale.y, 1.0f);
        D3DXMatrixTranslation(&translation, kCellSize * static_cast<float>(index % kBoardSide),
                              0.0f, kCellSize * static_cast<float>(index / kBoardSide));
        D3DXMatrixMultiply(&tile.world, &scaling, &translation);
    }
}

} // namespace

void UpdateFrame() {
    if (graphicsDevice == nullptr || graphicsDevice->device == nullptr ||
        keyboardInput == nullptr || unitModel == nullptr || tileModels[kTileCount - 1] == nullptr) {
        return; // the scene is not complete: nothing to move or draw
    }
    IDirect3DDevice9* device = graphicsDevice->device;

    // The unit's board position lives in its world matrix from the last tick.
    const float startX = unitModel->world._41;
    const float startZ = unitModel->world._43;

    PollArrowKeys(*keyboardInput, arrowKeyStates);
    const UnitMove move = DecideUnitMove(arrowKeyStates, startX, startZ);
    FaceUnit(move);

    // The unit stands on top of the tile it now occupies.
    const float height = tileModels[TileIndexAt(move.x, move.z)]->scale.y;
    const float unitY = height * kUnitHeightPerFactor;

    D3DXMATRIX rotation;
    D3DXMATRIX translation;
    D3DXMatrixRotationY(&rotation, D3DXToRadian(unitModel->rotation.y));
    D3DXMatrixTranslation(&translation, move.x, unitY, move.z);
    D3DXMatrixMultiply(&unitModel->world, &rotation, &translation);

    PlaceTiles();

    graphicsDevice->BeginFrame(kNearPlane, kFarPlane, kFieldOfViewDegrees);

    const D3DXVECTOR3 target(move.x, unitY, move.z);
    const D3DXVECTOR3 eye(target.x + kCameraOffsetX, target.y + kCameraOffsetY,
                          target.z + kCameraOffsetZ);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    graphicsDevice->SetDirectionalLight(target.x - eye.x, target.y - eye.y, target.z - eye.z);

    D3DXMATRIX view;
    D3DXMatrixLookAtRH(&view, &eye, &target, &up);
    device->SetTransform(D3DTS_VIEW, &view);

    DrawModel(*unitModel, device);
    for (Model* tile : tileModels) {
        DrawModel(*tile, device);
    }

    graphicsDevice->EndFrame();
}
