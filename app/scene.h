// The scene: created once before the message loop, destroyed with the window.
#pragma once

// Creates the graphics device, loads the unit and the tile, copies the tile
// over the board, reads the stage's heights, opens the keyboard and the sound
// device. 1 when the game can run; 0 when start-up must stop, after the
// player has been told which file or device failed, or because the window was
// closed (and the scene torn down) while a start-up message was open.
int SetUpScene();

// Stops the frame timer and releases the scene in reverse order of its
// creation, the graphics device last. Each step runs once.
void TearDownScene();
