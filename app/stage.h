// The stage file: one height factor per tile, read into the tiles' scale.
#pragma once

#include <istream>
#include <string_view>

// Reads 100 numbers from the file at `path` (any length, backslashes allowed)
// into the Y scale of tileModels[0..99], row by row. A number that cannot be
// read, because the file ends, the token is not a number or its magnitude is too
// large for a float, repeats the last good value for it and every later tile; when
// not even the first one is read every tile gets 1, a flat board. Numbers past
// the 100th are ignored. False, with no tile touched, when the file cannot be
// opened.
bool LoadStage(std::string_view path);

// The reading part of LoadStage, from a stage already open.
void ReadStageHeights(std::istream& stage);
