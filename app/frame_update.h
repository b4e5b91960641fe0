// One tick of the game: keys, one step of the unit, placement, camera, light
// and drawing of the unit and the board.
#pragma once

#include "app/movement.h"

// The latch values of the arrow keys, kept from tick to tick.
extern ArrowKeyStates arrowKeyStates;

// Runs one tick; called for every timer message once the scene is set up.
void UpdateFrame();

// The camera's position relative to the unit it follows.
constexpr float kCameraOffsetX = 2000.0f;
constexpr float kCameraOffsetY = 1000.0f;
constexpr float kCameraOffsetZ = 2000.0f;
