// The process-wide scene objects, owned by scene set-up for the life of the
// program.
#pragma once

struct GraphicsDevice;
struct KeyboardInput;
struct Model;
struct SoundSystem;

// Number of board cells, one tile model each.
constexpr int kTileCount = 100;

// The Direct3D device of the game window; created first by scene set-up.
extern GraphicsDevice* graphicsDevice;
// The arrow keys; created empty before the entry point runs.
extern KeyboardInput* keyboardInput;
// The sound device; created empty before the entry point runs.
extern SoundSystem* soundSystem;
// The unit the player walks; created before the entry point runs.
extern Model* unitModel;
// The board: element 0 is the loaded tile model, 1 to 99 its copies.
extern Model* tileModels[kTileCount];

// Turns the unit model (unitModel): angles in degrees about X, Y and Z.
void SetUnitRotation(float x, float y, float z);
