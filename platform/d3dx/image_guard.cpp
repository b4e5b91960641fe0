#include "platform/d3dx/image_guard.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

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

constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kPngChunkHeader = 8;  // length and type
constexpr std::size_t kPngChunkTrailer = 4; // CRC

bool IsPng(std::span<const unsigned char> bytes) {
    return bytes.size() >= sizeof kPngSignature &&
           std::equal(std::begin(kPngSignature), std::end(kPngSignature), bytes.begin());
}

// The decoder grows its buffer for image data to each IDAT chunk's stated
// length before it reads a byte of it: a length beyond the file's end, which
// makes the file corrupt anyway, would have a file of a hundred bytes ask
// for gigabytes.
bool HasPngDataBeyondTheEnd(std::span<const unsigned char> bytes) {
    std::size_t at = sizeof kPngSignature;
    while (bytes.size() - at >= kPngChunkHeader) {
        const std::uint64_t length = std::uint64_t{bytes[at]} << 24 | bytes[at + 1] << 16 |
                                     bytes[at + 2] << 8 | bytes[at + 3];
        const std::span<const unsigned char> type = bytes.subspan(at + 4, 4);
        const std::uint64_t left = bytes.size() - at - kPngChunkHeader;
        if (std::equal(type.begin(), type.end(), "IDAT")) {
            if (length > left) {
                return true;
            }
        } else if (std::equal(type.begin(), type.end(), "IEND")) {
            return false;
        }
        if (length + kPngChunkTrailer > left) {
            return false; // the decoder stops at this chunk, short of data
        }
        at += kPngChunkHeader + static_cast<std::size_t>(length) + kPngChunkTrailer;
    }
    return false;
}

} // namespace

bool IsSafeToDecode(std::span<const unsigned char> bytes) {
    if (IsPng(bytes)) {
        return !HasPngDataBeyondTheEnd(bytes);
    }
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
