// The process-wide scene objects, owned by scene set-up for the life of the
// program.
#pragma once

struct Model;

// Number of board cells, one tile model each.
constexpr int TileCount = 100;

// The unit the player walks; created before the entry point runs.
extern Model* unitModel;
// The board: element 0 is the loaded tile model, 1 to 99 its copies.
extern Model* tileModels[TileCount];
