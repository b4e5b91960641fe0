// A rolling terrain of cells x cells quads, written both as a Metasequoia
// document and as a Wavefront OBJ file of the same geometry: positions with
// six decimals, one UV pair per vertex, two materials in bands of rows. The
// benchmarks compare readers on it and the load output tests use it small.
#pragma once

#include <string>

// The Metasequoia document: one material chunk, one object "grid" with
// facet 59.5, its vertex list and one quad line per cell with M and UV parts.
std::string GridDocument(int cells);

// The same vertices, UVs and quads as an OBJ file, with a usemtl line where
// the material changes.
std::string GridObj(int cells);
