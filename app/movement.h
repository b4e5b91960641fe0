// The unit's walk over the 10 x 10 board: one cell per arrow-key press, never
// off the board, and the tile it stands on.
#pragma once

#include "platform/devices/keyboard_input.h"

constexpr int kBoardSide = 10;                // cells along x and along z
constexpr float kCellSize = 100.0f;           // world units between neighbouring cells
constexpr float kLastCellCoordinate = 900.0f; // x and z of the last column and row
constexpr float kUnitHeightPerFactor = 50.0f; // the unit's height per unit of tile factor

// The latch values of the four arrow keys, kept between ticks (all start up).
struct ArrowKeyStates {
    int left = kKeyUp;
    int right = kKeyUp;
    int up = kKeyUp;
    int down = kKeyUp;
};

// Polls left, right, up and down, in that order, one keyboard read each.
void PollArrowKeys(KeyboardInput& keyboard, ArrowKeyStates& keys);

// The movement rule taken at a tick.
enum class UnitStep {
    None,  // no key went down, or every pressed key points off the board
    Left,  // x - 100, facing -90
    Right, // x + 100, facing 90
    Up,    // z - 100, facing 180
    Down,  // z + 100, facing 0
};

// What one tick does to the unit.
struct UnitMove {
    UnitStep step = UnitStep::None; // the rule taken
    float x = 0.0f;                 // board position after the tick
    float z = 0.0f;
    float facingDegrees = 0.0f; // Y facing the step sets; the facing is kept when None
};

// The first rule, in the order left, right, up, down, whose key went down at
// this tick (held keys do not count) and whose step stays on the board. At most
// one step per tick; a key against the edge neither moves nor turns the unit.
UnitMove DecideUnitMove(const ArrowKeyStates& keys, float x, float z);

// The board index (column + 10 row) of the cell at x, z, each truncated to its
// cell. Positions off the board count as the nearest edge cell, so the index
// is always 0 to 99.
int TileIndexAt(float x, float z);
