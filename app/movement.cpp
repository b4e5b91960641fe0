#include "app/movement.h"

namespace {

// The column or row of a coordinate, truncated toward zero and kept on the board.
int CellOf(float coordinate) {
    const float cell = coordinate / kCellSize;
    if (!(cell >= 0.0f)) { // also a NaN
        return 0;
    }
    if (cell >= static_cast<float>(kBoardSide - 1)) {
        return kBoardSide - 1;
    }
    return static_cast<int>(cell);
}

} // namespace

void PollArrowKeys(KeyboardInput& keyboard, ArrowKeyStates& keys) {
    keyboard.UpdateKeyState(keys.left, DIK_LEFT);
    keyboard.UpdateKeyState(keys.right, DIK_RIGHT);
    keyboard.UpdateKeyState(keys.up, DIK_UP);
    keyboard.UpdateKeyState(keys.down, DIK_DOWN);
}

UnitMove DecideUnitMove(const ArrowKeyStates& keys, float x, float z) {
    UnitMove move;
    move.x = x;
    move.z = z;
    if (keys.left == kKeyPressed && x > 0.0f) {
        move.step = UnitStep::Left;
        move.x = x - kCellSize;
        move.facingDegrees = -90.0f;
    } else if (keys.right == kKeyPressed && x < kLastCellCoordinate) {
        move.step = UnitStep::Right;
        move.x = x + kCellSize;
        move.facingDegrees = 90.0f;
    } else if (keys.up == kKeyPressed && z > 0.0f) {
        move.step = UnitStep::Up;
        move.z = z - kCellSize;
        move.facingDegrees = 180.0f;
    } else if (keys.down == kKeyPressed && z < kLastCellCoordinate) {
        move.step = UnitStep::Down;
        move.z = z + kCellSize;
        move.facingDegrees = 0.0f;
    }
    return move;
}

int TileIndexAt(float x, float z) {
    return CellOf(x) + kBoardSide * CellOf(z);
}
