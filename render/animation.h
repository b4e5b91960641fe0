// Picks each object's key matrix for the model's current frame and advances
// the model's playback once per draw: no interpolation, one key per frame.
#pragma once

#include "model/model.h"

// A copy of key keyIndex of the object's key list animationIndex, or the
// identity when the object has no such list or key.
D3DXMATRIX GetKeyMatrix(const ModelObject& object, int animationIndex, int keyIndex);

// Keys in the first object's key list for animationIndex: the length of the
// animation for the whole model. 0 without objects or without that list.
int KeyCount(const Model& model);

// The key shown for a frame number: truncated toward zero; -1 (no key) for a
// frame too large for an index.
int KeyIndexOfFrame(float frame);

// Advances currentFrame by one while playing, then at the end of the keys
// loops, stops on key 0 or holds the last key, as loop and holdAtEnd say.
void AdvancePlayback(Model& model);
