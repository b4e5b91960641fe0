#include "model/loader_mqa.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "model/model.h"
#include "model/number_conversion.h"
#include "model/plain_lines.h"
#include "platform/services/large_pages.h"

namespace {

// Numbers read of a vertex line (a position) and of a key line (a 4 x 4 matrix).
constexpr int kVertexValues = 3;
constexpr int kKeyValues = 16;

// Structural errors unwind to Load as plain integers.
[[noreturn]] void Raise(LoadResult code) {
    throw static_cast<int>(code);
}

// Bytes from the stream's position to its end, or 0 when it cannot seek.
long long RemainingBytes(std::FILE* stream) {
    const long start = std::ftell(stream);
    if (start < 0 || std::fseek(stream, 0, SEEK_END) != 0) {
        return 0;
    }
    const long end = std::ftell(stream);
    std::fseek(stream, start, SEEK_SET);
    return end > start ? end - start : 0;
}

// Number of values of a material attribute the reader knows, 0 for any other word.
int MaterialValueCount(const StringSeparator& tokens, int index) {
    if (TokenIs(tokens, index, "col")) {
        return 4;
    }
    for (const char* name :
         {"shader", "dif", "amb", "emi", "spc", "power", "tex", "aplane", "bump"}) {
        if (TokenIs(tokens, index, name)) {
            return 1;
        }
    }
    return 0;
}

// Applies the known attribute named by token a, whose first value is token a + 2.
void ApplyMaterialAttribute(const StringSeparator& tokens, int a, Material& material) {
    const int value = a + 2;
    if (TokenIs(tokens, a, "col")) {
        material.color = {TokenFloat(tokens, value), TokenFloat(tokens, value + 1),
                          TokenFloat(tokens, value + 2), TokenFloat(tokens, value + 3)};
    } else if (TokenIs(tokens, a, "dif")) {
        material.diffuse = TokenFloat(tokens, value);
    } else if (TokenIs(tokens, a, "amb")) {
        material.ambient = TokenFloat(tokens, value);
    } else if (TokenIs(tokens, a, "emi")) {
        material.emissive = TokenFloat(tokens, value);
    } else if (TokenIs(tokens, a, "spc")) {
        material.specular = TokenFloat(tokens, value);
    } else if (TokenIs(tokens, a, "power")) {
        material.power = TokenFloat(tokens, value);
    } else if (TokenIs(tokens, a, "tex")) {
        material.textureName = tokens.Token(value);
    } else if (TokenIs(tokens, a, "aplane")) {
        material.alphaPlaneName = tokens.Token(value);
    } else if (TokenIs(tokens, a, "bump")) {
        material.bumpName = tokens.Token(value);
    }
    // "shader" is checked for its form like the others; its value is not kept.
}

// Applies the attributes of a material line of n tokens, each written as
// name "(" values ")". A known attribute in the wrong form ends the scan, and
// so does a word not followed by "("; an unknown attribute is stepped over.
void ScanMaterialAttributes(const StringSeparator& tokens, int n, Material& material) {
    int a = 1;
    while (a < n) {
        const int values = MaterialValueCount(tokens, a);
        if (values > 0 && a + values + 3 <= n) {
            if (!TokenIs(tokens, a + 1, "(") || !TokenIs(tokens, a + values + 2, ")")) {
                return;
            }
            ApplyMaterialAttribute(tokens, a, material);
            a += values + 3;
            continue;
        }
        if (!TokenIs(tokens, a + 1, "(")) {
            return;
        }
        a += 2;
        while (a < n && !TokenIs(tokens, a, ")")) {
            ++a;
        }
        ++a;
    }
}

} // namespace

LoaderMQA::LoaderMQA(std::FILE* input, Model* target)
    : model(target), stream(input), tokens(std::make_unique<AsciiFileString>(input)) {}

LoaderMQA::~LoaderMQA() = default;

int LoaderMQA::Load() {
    reserveBudget = RemainingBytes(stream);
    try {
        ReadHeader();
        ReadChunks();
    } catch (int code) {
        return code;
    }
    return kLoadOk;
}

int LoaderMQA::ReadLineInChunk() {
    const int n = tokens->ReadLine();
    if (n == -1) {
        Raise(kLoadUnexpectedEnd);
    }
    return n;
}

const char* LoaderMQA::TakeLineInChunk() {
    const char* const line = tokens->TakeLine();
    if (line == nullptr) {
        Raise(kLoadUnexpectedEnd);
    }
    return readPlainLines && tokens->AsciiNeverLeads() ? line : nullptr;
}

bool LoaderMQA::EndsInBinaryCount(int n) const {
    return n >= 3 && Is(n - 3, "[") && Is(n - 1, "]");
}

void LoaderMQA::ReadHeader() {
    int n = tokens->ReadLine();
    if (n < 2 || !Is(0, "Metasequoia") || !Is(1, "Document")) {
        Raise(kLoadBadHeader);
    }
    n = tokens->ReadLine();
    if (n < 4 || !Is(0, "Format") || !Is(1, "Text") || !Is(2, "Ver") ||
        TextToDouble(tokens->Token(3).data()) != 1.0) {
        Raise(kLoadBadVersion);
    }
}

void LoaderMQA::ReadChunks() {
    for (;;) {
        const int n = tokens->ReadLine();
        if (n == -1) {
            return; // the end of the stream between chunks ends the document
        }
        if (n == 0) {
            continue;
        }
        if (n >= 2 && Is(0, "Material")) {
            if (!Is(n - 1, "{")) {
                Raise(kLoadFormatError);
            }
            ReadMaterialChunk();
        } else if (n >= 2 && Is(0, "Object")) {
            if (!Is(n - 1, "{")) {
                Raise(kLoadFormatError);
            }
            // Appended before it is read, so a failure inside keeps what was read.
            model->objects.emplace_back();
            ModelObject& object = model->objects.back();
            if (n >= 3) {
                object.name = tokens->Token(1);
            }
            ReadObjectChunk(object);
        } else {
            SkipChunk();
        }
    }
}

void LoaderMQA::SkipChunk() {
    int n = tokens->count;
    if (n >= 1 && Is(n - 1, "{")) {
        // Only the last token of a line counts for nesting.
        long long depth = 1;
        while (depth > 0) {
            n = ReadLineInChunk();
            if (n == 0) {
                continue;
            }
            if (Is(n - 1, "{")) {
                ++depth;
            } else if (Is(n - 1, "}")) {
                --depth;
            } else if (EndsInBinaryCount(n)) {
                SkipBinaryBlock(n - 2);
            }
        }
    } else if (EndsInBinaryCount(n)) {
        SkipBinaryBlock(n - 2);
    }
}

// Steps over the raw bytes that follow a line ending in "[" count "]".
void LoaderMQA::SkipBinaryBlock(int countToken) {
    // The count must be a byte count: a negative one would seek backwards and
    // read the same lines again forever, so it is an error, like a count that
    // is no number or does not fit an int.
    const char* text = tokens->Token(countToken).data();
    char* end = nullptr;
    const long count = std::strtol(text, &end, 10);
    if (end == text || count < 0 || count > INT_MAX) {
        Raise(kLoadFormatError);
    }
    // The tokenizer may have read the block's first bytes already.
    const long buffered = static_cast<long>(tokens->SkipBuffered(static_cast<std::size_t>(count)));
    if (count == buffered) {
        return;
    }
    const long rest = count - buffered;
    // fseek succeeds past the end of a regular file, so the block's last byte
    // is read to prove the block is all there. A stream that cannot seek that
    // far (a memory stream, a pipe) is stepped over by reading instead. Either
    // way a block cut short by the end of the stream is an unexpected end.
    const long start = std::ftell(stream);
    if (start >= 0 && std::fseek(stream, rest - 1, SEEK_CUR) == 0) {
        if (std::fgetc(stream) == EOF) {
            Raise(std::ferror(stream) ? kLoadFormatError : kLoadUnexpectedEnd);
        }
        if (std::ftell(stream) - start != rest) {
            Raise(kLoadFormatError);
        }
        return;
    }
    char discarded[4096];
    for (long left = rest; left > 0;) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<long>(left, sizeof discarded));
        const std::size_t read = std::fread(discarded, 1, wanted, stream);
        if (read == 0) {
            Raise(std::ferror(stream) ? kLoadFormatError : kLoadUnexpectedEnd);
        }
        left -= static_cast<long>(read);
    }
}

void LoaderMQA::ReadMaterialChunk() {
    Material material;
    for (;;) {
        const int n = ReadLineInChunk();
        if (n == 0) {
            continue; // blank lines add no material
        }
        if (Is(0, "}")) {
            return;
        }
        material.name = tokens->Token(0);
        ScanMaterialAttributes(*tokens, n, material);
        material.UpdateDeviceMaterial();
        model->materials.push_back(material);
        material = Material();
    }
}

void LoaderMQA::ReadObjectChunk(ModelObject& object) {
    for (;;) {
        const int n = ReadLineInChunk();
        if (Is(0, "}")) {
            objectClosed = true;
            return;
        }
        if (n >= 2 && Is(0, "facet")) {
            object.facet = TokenFloat(*tokens, 1);
        } else if (n >= 2 && Is(0, "mirror_axis")) {
            object.mirrorAxis = TokenInt(*tokens, 1);
        } else if (n >= 3 && Is(0, "vertex")) {
            if (!Is(n - 1, "{")) {
                Raise(kLoadFormatError);
            }
            ReadVertexChunk(object);
        } else if (n >= 3 && Is(0, "face")) {
            if (!Is(n - 1, "{")) {
                Raise(kLoadFormatError);
            }
            ReadFaceChunk(object);
        } else if (n >= 3 && Is(0, "animation")) {
            if (!Is(n - 1, "{")) {
                Raise(kLoadFormatError);
            }
            ReadAnimationChunk(object);
        } else {
            SkipChunk();
        }
    }
}

// The count in a list header never decides what is read, but it tells how long
// the list will be: reserving that room at once spares a large list its growth
// steps, each of which would copy the list into fresh memory. A count may lie,
// so all the room that counts reserve in one document is capped at the
// document's own size in bytes: a false count costs at most about that much.
// The room is taken in large pages where the system offers them.
template <typename List> void LoaderMQA::ReserveForCount(List& list) {
    if (tokens->count != 3) {
        return;
    }
    constexpr long long elementBytes = sizeof(typename List::value_type);
    const long long wanted =
        std::min<long long>(TokenInt(*tokens, 1), reserveBudget / elementBytes);
    if (wanted <= 0) {
        return;
    }
    reserveBudget -= wanted * elementBytes;
    ReserveInLargePages(list, list.size() + static_cast<std::size_t>(wanted));
}

void LoaderMQA::ReadVertexChunk(ModelObject& object) {
    ReserveForCount(object.vertices);
    for (;;) {
        const char* const line = TakeLineInChunk();
        float position[kVertexValues] = {};
        if (line != nullptr && ReadPlainNumberLine(line, position, kVertexValues)) {
            object.vertices.emplace_back(position[0], position[1], position[2]);
            continue;
        }
        const int n = tokens->SplitTakenLine();
        if (Is(0, "}")) {
            return;
        }
        if (n >= kVertexValues) {
            object.vertices.emplace_back(TokenFloat(*tokens, 0), TokenFloat(*tokens, 1),
                                         TokenFloat(*tokens, 2));
        }
    }
}

void LoaderMQA::ReadFaceChunk(ModelObject& object) {
    // A line without an "M" part keeps the material of the line before; the
    // first line of a chunk has none to keep, so it gets -1 and is never drawn.
    int material = -1;
    ReserveForCount(object.faces);
    PlainFaceLine plain;
    for (;;) {
        const char* const line = TakeLineInChunk();
        if (line != nullptr && ReadPlainFaceLine(line, plain)) {
            if (plain.hasMaterial) {
                material = plain.material;
            }
            AppendFace(object, plain.indices, plain.corners, material,
                       plain.hasTexCoords ? plain.texCoords : nullptr);
            continue;
        }
        const int n = tokens->SplitTakenLine();
        if (n == 0) {
            continue;
        }
        if (Is(0, "}")) {
            return;
        }
        ReadFaceLine(object, n, material);
    }
}

// A face line: c V ( i1 .. ic ) [M ( m )] [UV ( u1 v1 .. uc vc )]. The face is
// appended only once its line is complete; a dropped line adds nothing.
void LoaderMQA::ReadFaceLine(ModelObject& object, int n, int& material) {
    const long long c = TokenInt(*tokens, 0);
    if (n < 2 || !Is(1, "V") || n < c + 4) {
        Raise(kLoadFormatError);
    }
    // From here c + 4 <= n, so every index below fits an int. A negative c
    // points the ")" test at "(" or "V" or before the line, and drops the line.
    if (!Is(2, "(") || !Is(static_cast<int>(std::max(c + 3, -1LL)), ")")) {
        return;
    }
    int indices[kMaxFaceCorners] = {};
    const int corners = static_cast<int>(std::min<long long>(c, kMaxFaceCorners));
    for (int k = 0; k < corners; ++k) {
        indices[k] = TokenInt(*tokens, 3 + k);
    }
    int e = static_cast<int>(c) + 4;
    if (Is(e, "M") && n >= e + 4) {
        if (!Is(e + 1, "(") || !Is(e + 3, ")")) {
            return;
        }
        material = TokenInt(*tokens, e + 2);
        e += 4;
    }
    TexCoord texCoords[kMaxFaceCorners];
    bool hasTexCoords = false;
    const long long uvEnd = e + 2 * c + 2;
    if (Is(e, "UV") && n >= uvEnd + 1) {
        if (!Is(e + 1, "(") || !Is(static_cast<int>(uvEnd), ")")) {
            return;
        }
        for (int k = 0; k < corners; ++k) {
            texCoords[k] = {TokenFloat(*tokens, e + 2 * k + 2), TokenFloat(*tokens, e + 2 * k + 3)};
        }
        hasTexCoords = true;
    }
    AppendFace(object, indices, corners, material, hasTexCoords ? texCoords : nullptr);
}

// texCoords holds a pair per corner, or is nullptr for a face without them.
void LoaderMQA::AppendFace(ModelObject& object, const int* indices, int corners, int material,
                           const TexCoord* texCoords) {
    Face& face = object.faces.emplace_back();
    face.material = material;
    face.indices.assign(indices, indices + corners);
    if (texCoords != nullptr) {
        face.uvs.assign(texCoords, texCoords + corners);
    }
}

void LoaderMQA::ReadAnimationChunk(ModelObject& object) {
    object.animations.emplace_back();
    KeyList& keys = object.animations.back();
    // Only the first object names the animations; the others just add keys.
    if (!objectClosed) {
        model->animationNames.emplace_back(tokens->Token(1));
    }
    for (;;) {
        const char* const line = TakeLineInChunk();
        float m[kKeyValues] = {};
        if (line == nullptr || !ReadPlainNumberLine(line, m, kKeyValues)) {
            const int n = tokens->SplitTakenLine();
            if (Is(0, "}")) {
                return;
            }
            if (n < kKeyValues) {
                continue;
            }
            for (int i = 0; i < kKeyValues; ++i) {
                m[i] = TokenFloat(*tokens, i);
            }
        }
        keys.emplace_back(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8], m[9], m[10], m[11],
                          m[12], m[13], m[14], m[15]);
    }
}
