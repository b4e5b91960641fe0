#include "app/scene_objects.h"

Model* unitModel = nullptr;
Model* tileModels[TileCount] = {};
