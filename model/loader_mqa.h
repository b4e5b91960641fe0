// Reads one Metasequoia text document (format 1.0) from an open stream into
// an empty Model: materials, and per object its name, smoothing angle, mirror
// axis, vertices, faces and animation keys. Everything else is stepped over.
#pragma once

#include <cstdio>
#include <memory>
#include <string_view>

#include "model/tokenizer.h"

struct Model;
struct ModelObject;
struct TexCoord;

// What LoaderMQA::Load returns.
enum LoadResult : int {
    kLoadOk = 0,             // read to the end of the stream
    kLoadFormatError = -1,   // chunk header without "{", malformed face line, unusable binary count
    kLoadUnexpectedEnd = -2, // the stream ended inside a chunk
    kLoadBadHeader = -3,     // the first line is not "Metasequoia Document"
    kLoadBadVersion = -4,    // the second line is not "Format Text Ver 1.0"
};

class LoaderMQA {
  public:
    // Neither the stream nor the model is owned; the caller closes the stream.
    LoaderMQA(std::FILE* stream, Model* model);
    virtual ~LoaderMQA();
    LoaderMQA(const LoaderMQA&) = delete;
    LoaderMQA& operator=(const LoaderMQA&) = delete;

    // Reads the whole document, appending to the model as it goes; nothing is
    // undone on failure. Returns a LoadResult. Allocation failure is not
    // caught: std::bad_alloc reaches the caller.
    int Load();

    // Whether vertex, face and key lines of the plain shape (plain_lines.h)
    // are read straight from their bytes, as they are unless this is set
    // false before Load; then every line is split into tokens first, the
    // general way the plain one must agree with.
    void ReadPlainLinesDirectly(bool enabled) { readPlainLines = enabled; }

  private:
    void ReadHeader();
    void ReadChunks();
    void SkipChunk();
    void SkipBinaryBlock(int countToken);
    void ReadMaterialChunk();
    void ReadObjectChunk(ModelObject& object);
    void ReadVertexChunk(ModelObject& object);
    void ReadFaceChunk(ModelObject& object);
    // Reads one face line; material carries over from line to line.
    void ReadFaceLine(ModelObject& object, int n, int& material);
    void ReadAnimationChunk(ModelObject& object);

    // Reserves room in list for the count in the current list header line.
    template <typename List> void ReserveForCount(List& list);

    // The next line's token count, raising kLoadUnexpectedEnd at the end of the stream.
    int ReadLineInChunk();
    // The next line, not yet split (AsciiFileString::TakeLine), raising
    // kLoadUnexpectedEnd at the end of the stream; nullptr when lines of a
    // plain shape cannot be read from their bytes here, so that every line
    // must be split.
    const char* TakeLineInChunk();
    // Appends a face read from a face line.
    void AppendFace(ModelObject& object, const int* indices, int corners, int material,
                    const TexCoord* texCoords);
    bool Is(int index, std::string_view word) const { return TokenIs(*tokens, index, word); }
    // True when the current line of n tokens ends in "[" count "]".
    bool EndsInBinaryCount(int n) const;

    Model* model;                            // the model being filled
    std::FILE* stream;                       // the open document
    std::unique_ptr<AsciiFileString> tokens; // token source reading from stream
    bool objectClosed = false;               // set when the first Object chunk ends
    bool readPlainLines = true;              // plain lines are read without splitting
    long long reserveBudget = 0;             // bytes that header counts may still reserve
};
