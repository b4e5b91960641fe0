#include "image_encoding.h"

#include <stdexcept>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace assetgen {

namespace {

void Append(void* context, void* data, int size) {
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* begin = static_cast<const std::uint8_t*>(data);
    bytes->insert(bytes->end(), begin, begin + size);
}

} // namespace

std::vector<std::uint8_t> EncodeBmp(const Image& image) {
    const std::vector<std::uint8_t> rgb = image.ToRgb();
    std::vector<std::uint8_t> file;
    if (stbi_write_bmp_to_func(Append, &file, image.width, image.height, 3, rgb.data()) == 0) {
        throw std::runtime_error("BMP encoding failed");
    }
    return file;
}

std::vector<std::uint8_t> EncodePng(const Image& image) {
    const std::vector<std::uint8_t> rgb = image.ToRgb();
    std::vector<std::uint8_t> file;
    if (stbi_write_png_to_func(Append, &file, image.width, image.height, 3, rgb.data(),
                               image.width * 3) == 0) {
        throw std::runtime_error("PNG encoding failed");
    }
    return file;
}

} // namespace assetgen
