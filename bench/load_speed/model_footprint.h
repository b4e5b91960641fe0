// What a loaded model holds in memory: its records with every list and string
// they own, and the vertex buffers built for it.
#pragma once

#include <cstddef>

struct Model;

// Bytes of heap storage the model's records own (by capacity), plus the
// model itself.
std::size_t RecordBytes(const Model& model);

// Bytes of the model's vertex buffers, as created.
std::size_t VertexBufferBytes(const Model& model);
