// The process-wide models of the scene: the unit and the 100 tiles of the board.
#pragma once

#include "model/model.h"

extern Model* unitModel;
extern Model* tileModels[100];
