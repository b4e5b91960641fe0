#include "tests/support/image_files.h"

#include <algorithm>
#include <stdexcept>

// Static: the writer belongs to the tests alone and clashes with nobody's.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

void Append(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                               static_cast<std::size_t>(size));
}

void Put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, unsigned value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::vector<unsigned char> Bytes(const TestImage& image) {
    std::vector<unsigned char> bytes;
    for (const Rgba& t : image.texels) {
        bytes.insert(bytes.end(), {t.r, t.g, t.b, t.a});
    }
    return bytes;
}

std::string Checked(std::string encoded) {
    if (encoded.empty()) {
        throw std::runtime_error("image could not be encoded");
    }
    return encoded;
}

} // namespace

TestImage TestImage::Solid(int width, int height, Rgba colour) {
    return TestImage{width, height,
                     std::vector<Rgba>(static_cast<std::size_t>(width * height), colour)};
}

std::string EncodeBmp(const TestImage& image, int bits) {
    std::vector<Rgba> palette;
    if (bits == 8) {
        for (const Rgba& t : image.texels) {
            const bool known = std::any_of(palette.begin(), palette.end(), [&](const Rgba& p) {
                return p.r == t.r && p.g == t.g && p.b == t.b;
            });
            if (!known) {
                palette.push_back(t);
            }
        }
        if (palette.size() > 256) {
            throw std::runtime_error("too many colours for an 8-bit BMP");
        }
    }
    const unsigned rowBytes = (static_cast<unsigned>(image.width) * bits / 8 + 3) & ~3u;
    const unsigned paletteBytes = static_cast<unsigned>(palette.size()) * 4;
    const unsigned dataOffset = 14 + 40 + paletteBytes;
    std::string out = "BM";
    Put32(out, dataOffset + rowBytes * static_cast<unsigned>(image.height));
    Put32(out, 0);
    Put32(out, dataOffset);
    Put32(out, 40); // BITMAPINFOHEADER
    Put32(out, static_cast<unsigned>(image.width));
    Put32(out, static_cast<unsigned>(image.height)); // positive: rows bottom first
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(bits));
    Put32(out, 0); // no compression
    Put32(out, rowBytes * static_cast<unsigned>(image.height));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, static_cast<unsigned>(palette.size()));
    Put32(out, 0);
    for (const Rgba& p : palette) {
        out += {static_cast<char>(p.b), static_cast<char>(p.g), static_cast<char>(p.r), '\0'};
    }
    for (int y = image.height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < image.width; ++x) {
            const Rgba& t = image.texels[static_cast<std::size_t>(y * image.width + x)];
            if (bits == 8) {
                const auto at = std::find_if(palette.begin(), palette.end(), [&](const Rgba& p) {
                    return p.r == t.r && p.g == t.g && p.b == t.b;
                });
                row += static_cast<char>(at - palette.begin());
                continue;
            }
            row += {static_cast<char>(t.b), static_cast<char>(t.g), static_cast<char>(t.r)};
            if (bits == 32) {
                row += static_cast<char>(t.a);
            }
        }
        row.resize(rowBytes, '\0');
        out += row;
    }
    return out;
}

std::string EncodePng(const TestImage& image) {
    std::string out;
    const std::vector<unsigned char> bytes = Bytes(image);
    stbi_write_png_to_func(Append, &out, image.width, image.height, 4, bytes.data(),
                           image.width * 4);
    return Checked(out);
}

std::string EncodeTga(const TestImage& image, bool runLength) {
    std::string out;
    const std::vector<unsigned char> bytes = Bytes(image);
    stbi_write_tga_with_rle = runLength ? 1 : 0;
    stbi_write_tga_to_func(Append, &out, image.width, image.height, 4, bytes.data());
    stbi_write_tga_with_rle = 1;
    return Checked(out);
}

std::string EncodeJpeg(const TestImage& image) {
    std::string out;
    const std::vector<unsigned char> bytes = Bytes(image);
    stbi_write_jpg_to_func(Append, &out, image.width, image.height, 4, bytes.data(), 100);
    return Checked(out);
}
