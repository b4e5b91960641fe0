// The scene: the process-wide objects the game draws with, created once
// before the message loop and destroyed with the main window.
#pragma once

struct GraphicsDevice;

extern GraphicsDevice* graphicsDevice; // the Direct3D device of the main window; owned here

// Creates the scene's objects; 0 means start-up must stop (the player has been told why).
int SetUpScene();
// One tick of the frame timer: one drawn frame. Does nothing until set-up has succeeded.
void UpdateFrame();
// Stops the frame timer and destroys the scene's objects, the device last.
void TearDownScene();
