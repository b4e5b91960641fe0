// Fingerprints of everything the loading path produces, to show that a
// change of the code keeps every output bit for bit: the tokens of every
// line, the reader's result and records, and after a whole load the face and
// corner normals, draw ranges and vertex buffer bytes.
#pragma once

#include <cstdint>
#include <string>

struct Model;
class RecordingDevice;

// 64-bit FNV-1a over a sequence of values, each fed as its bytes. Floats go
// in as their bit patterns, so a negative zero counts as itself; every NaN
// counts as one value, since which NaN an operation yields depends on how the
// compiler orders its operands, not on the code.
class Digest {
  public:
    void Bytes(const void* data, std::size_t size);
    template <typename T> void Value(const T& value) { Bytes(&value, sizeof value); }
    void Value(float value);
    // count floats stored one after another from data, as Value(float) each.
    void Floats(const void* data, std::size_t count);
    void Text(const std::string& text);
    std::uint64_t Result() const { return hash_; }

  private:
    std::uint64_t hash_ = 14695981039346656037ull;
};

// The count and the tokens of every line AsciiFileString reads from bytes.
std::uint64_t TokenDigest(const std::string& bytes);

// Load's result and every record the reader fills.
std::uint64_t ReaderDigest(int result, const Model& model);

// LoadFromFile's result, every record with the face normals, corners and
// triangle counts of mesh building, and each vertex buffer: its creation
// arguments and the bytes of its drawn ranges (the rest is left unwritten).
std::uint64_t LoadedDigest(bool result, const Model& model, const RecordingDevice& device);
