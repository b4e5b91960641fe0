#include "platform/d3dx/image_guard.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace {

constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kPngChunkHeader = 8;  // length and type
constexpr std::size_t kPngChunkTrailer = 4; // CRC

bool IsPng(std::span<const unsigned char> bytes) {
    return bytes.size() >= sizeof kPngSignature &&
           std::equal(std::begin(kPngSignature), std::end(kPngSignature), bytes.begin());
}

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
    return !IsPng(bytes) || !HasPngDataBeyondTheEnd(bytes);
}
