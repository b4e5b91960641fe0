#include "platform/image_guard.h"

#include <cstddef>

namespace {

constexpr unsigned char kMarkerPrefix = 0xFF;
constexpr unsigned char kStartOfImage = 0xD8;
constexpr unsigned char kDefineHuffmanTable = 0xC4;
constexpr int kHuffmanCodeLengths = 16;
constexpr int kMostHuffmanSymbols = 256;

// The byte at `at`, or 0 beyond the end, as the decoder reads it.
unsigned char ByteAt(std::span<const unsigned char> bytes, std::size_t at) {
    return at < bytes.size() ? bytes[at] : 0;
}

// Walks the tables of a Huffman table segment whose marker starts at `at`
// the way stb_image 2.27 does. It trusts each table's code counts: counts
// adding up to more than 256 symbols write past the end of its tables.
bool HasOversizedHuffmanTable(std::span<const unsigned char> bytes, std::size_t at) {
    at += 2;
    int left = (ByteAt(bytes, at) << 8 | ByteAt(bytes, at + 1)) - 2;
    at += 2;
    while (left > 0 && at < bytes.size()) {
        const unsigned char kind = bytes[at++];
        if ((kind >> 4) > 1 || (kind & 15) > 3) {
            return false; // the decoder refuses the segment here
        }
        int symbols = 0;
        for (int i = 0; i < kHuffmanCodeLengths; ++i) {
            symbols += ByteAt(bytes, at++);
        }
        if (symbols > kMostHuffmanSymbols) {
            return true;
        }
        at += static_cast<std::size_t>(symbols);
        left -= 1 + kHuffmanCodeLengths + symbols;
    }
    return false;
}

// The decoder takes a file for a JPEG when it starts with the start-of-image
// marker, which, like every marker, may follow any number of 0xFF fill bytes.
bool IsJpeg(std::span<const unsigned char> bytes) {
    std::size_t at = 0;
    while (at < bytes.size() && bytes[at] == kMarkerPrefix) {
        ++at;
    }
    return at >= 1 && at < bytes.size() && bytes[at] == kStartOfImage;
}

} // namespace

bool IsSafeToDecode(std::span<const unsigned char> bytes) {
    if (!IsJpeg(bytes)) {
        return true;
    }
    // The decoder may take any such pair for a marker, even inside data it
    // failed to skip, so every one is looked at.
    for (std::size_t at = 0; at + 1 < bytes.size(); ++at) {
        if (bytes[at] == kMarkerPrefix && bytes[at + 1] == kDefineHuffmanTable &&
            HasOversizedHuffmanTable(bytes, at)) {
            return false;
        }
    }
    return true;
}
