#include "tools/icon_generator/icon_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <tuple>

#include "resources/emblem.h"
#include "tools/icon_generator/korvane_icon.h"

namespace {

std::uint32_t ReadU32(const std::vector<std::uint8_t>& bytes, size_t offset) {
    return bytes.at(offset) | bytes.at(offset + 1) << 8 | bytes.at(offset + 2) << 16 |
           static_cast<std::uint32_t>(bytes.at(offset + 3)) << 24;
}
std::uint16_t ReadU16(const std::vector<std::uint8_t>& bytes, size_t offset) {
    return static_cast<std::uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

// One image of an .ico file, decoded the way Windows reads it.
struct DecodedImage {
    int size = 0;
    int bitsPerPixel = 0;
    int directoryColourCount = 0;
    Palette palette;
    std::vector<int> indices;      // palette index per pixel (paletted images), top row first
    std::vector<Rgba> colours;     // colour per pixel (palette colour or stored BGRA)
    std::vector<bool> transparent; // AND mask bit per pixel
};

std::vector<DecodedImage> DecodeIconFile(const std::vector<std::uint8_t>& file) {
    EXPECT_EQ(ReadU16(file, 0), 0);
    EXPECT_EQ(ReadU16(file, 2), 1);
    const int count = ReadU16(file, 4);
    std::vector<DecodedImage> images;
    size_t expectedOffset = 6 + 16 * static_cast<size_t>(count);
    for (int entry = 0; entry < count; ++entry) {
        const size_t directory = 6 + 16 * static_cast<size_t>(entry);
        DecodedImage image;
        image.size = file.at(directory) == 0 ? 256 : file.at(directory);
        EXPECT_EQ(file.at(directory + 1), file.at(directory)) << "icons are square";
        image.directoryColourCount = file.at(directory + 2);
        EXPECT_EQ(ReadU16(file, directory + 4), 1) << "planes";
        image.bitsPerPixel = ReadU16(file, directory + 6);
        const std::uint32_t length = ReadU32(file, directory + 8);
        const std::uint32_t offset = ReadU32(file, directory + 12);
        EXPECT_EQ(offset, expectedOffset) << "images follow each other without gaps";
        expectedOffset = offset + length;

        const int size = image.size;
        const int bits = image.bitsPerPixel;
        EXPECT_EQ(ReadU32(file, offset), 40u);
        EXPECT_EQ(ReadU32(file, offset + 4), static_cast<std::uint32_t>(size));
        EXPECT_EQ(ReadU32(file, offset + 8), static_cast<std::uint32_t>(size * 2));
        EXPECT_EQ(ReadU16(file, offset + 12), 1);
        EXPECT_EQ(ReadU16(file, offset + 14), bits);
        EXPECT_EQ(ReadU32(file, offset + 16), 0u) << "uncompressed";

        size_t cursor = offset + 40;
        const int paletteSize = bits == 32 ? 0 : 1 << bits;
        for (int index = 0; index < paletteSize; ++index, cursor += 4) {
            image.palette.push_back(
                {file.at(cursor + 2), file.at(cursor + 1), file.at(cursor), 255});
        }
        const size_t colourRow = static_cast<size_t>((size * bits + 31) / 32 * 4);
        const size_t maskRow = static_cast<size_t>((size + 31) / 32 * 4);
        EXPECT_EQ(ReadU32(file, offset + 20), (colourRow + maskRow) * static_cast<size_t>(size));
        EXPECT_EQ(length, 40 + 4 * paletteSize + (colourRow + maskRow) * size);

        const size_t colourBits = cursor;
        const size_t maskBits = colourBits + colourRow * static_cast<size_t>(size);
        for (int y = 0; y < size; ++y) {
            // Rows are stored bottom first.
            const size_t row = static_cast<size_t>(size - 1 - y);
            for (int x = 0; x < size; ++x) {
                const size_t at = colourBits + row * colourRow;
                if (bits == 32) {
                    const size_t pixel = at + 4 * static_cast<size_t>(x);
                    image.colours.push_back({file.at(pixel + 2), file.at(pixel + 1), file.at(pixel),
                                             file.at(pixel + 3)});
                    image.indices.push_back(-1);
                } else {
                    const int index = bits == 8 ? file.at(at + x)
                                                : (x % 2 == 0 ? file.at(at + x / 2) >> 4
                                                              : file.at(at + x / 2) & 15);
                    image.indices.push_back(index);
                    image.colours.push_back(image.palette.at(static_cast<size_t>(index)));
                }
                const std::uint8_t mask = file.at(maskBits + row * maskRow + x / 8);
                image.transparent.push_back((mask & (0x80 >> (x % 8))) != 0);
            }
        }
        images.push_back(std::move(image));
    }
    EXPECT_EQ(expectedOffset, file.size()) << "the last image ends the file";
    return images;
}

std::vector<std::uint8_t> ReadWholeFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.is_open()) << "cannot open " << path;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

IconImage Filled(int size, Rgba colour) {
    IconImage image;
    image.size = size;
    image.pixels.assign(static_cast<size_t>(size * size), colour);
    return image;
}

} // namespace

TEST(KorvaneIconTest, RegeneratingGivesTheCommittedFile) {
    const std::vector<std::uint8_t> committed =
        ReadWholeFile(KORVANE_SOURCE_DIR "/resources/korvane.ico");
    // A difference means the emblem changed: run korvane_icon_generator and commit its output.
    EXPECT_TRUE(BuildKorvaneIconFile() == committed);
}

TEST(KorvaneIconTest, HoldsTheEightImagesInOrder) {
    const std::vector<DecodedImage> images = DecodeIconFile(BuildKorvaneIconFile());
    // Size, depth and the directory's colour count (16 for 4-bit images only).
    using Format = std::tuple<int, int, int>;
    const std::vector<Format> expected = {{32, 4, 16}, {16, 4, 16}, {48, 8, 0},  {32, 8, 0},
                                          {16, 8, 0},  {48, 32, 0}, {32, 32, 0}, {16, 32, 0}};
    std::vector<Format> found;
    for (const DecodedImage& image : images) {
        found.emplace_back(image.size, image.bitsPerPixel, image.directoryColourCount);
    }
    EXPECT_EQ(found, expected);
}

TEST(KorvaneIconTest, EveryImageShowsTheEmblemAsDrawn) {
    const std::vector<DecodedImage> images = DecodeIconFile(BuildKorvaneIconFile());
    ASSERT_EQ(images.size(), KorvaneIconFormats().size());
    for (const DecodedImage& image : images) {
        SCOPED_TRACE(testing::Message() << image.size << " px, " << image.bitsPerPixel << " bpp");
        const IconImage drawn =
            DrawKorvaneEmblem(image.size, image.bitsPerPixel == 4 ? EmblemColours::Standard16
                                                                  : EmblemColours::TrueColour);
        int shown = 0;
        for (size_t pixel = 0; pixel < drawn.pixels.size(); ++pixel) {
            const Rgba want = drawn.pixels[pixel];
            const bool visible = want.a >= kOpaqueThreshold;
            shown += visible ? 1 : 0;
            ASSERT_EQ(image.transparent[pixel], !visible) << "pixel " << pixel;
            if (image.bitsPerPixel == 32) {
                const Rgba stored = want.a == 0 ? Rgba{} : want;
                ASSERT_EQ(image.colours[pixel], stored) << "pixel " << pixel;
            } else if (!visible) {
                ASSERT_EQ(image.indices[pixel], 0) << "hidden pixels are black under the mask";
            } else if (image.bitsPerPixel == 4) {
                // The 16-colour emblem uses the standard colours only: nothing is approximated.
                ASSERT_EQ(image.colours[pixel], (Rgba{want.r, want.g, want.b, 255}))
                    << "pixel " << pixel;
            } else {
                ASSERT_EQ(image.indices[pixel],
                          NearestColourIndex(image.palette, Rgba{want.r, want.g, want.b, 255}))
                    << "pixel " << pixel;
            }
        }
        // The emblem fills a good part of the square and leaves the corners clear.
        EXPECT_GT(shown, image.size * image.size / 3);
        EXPECT_TRUE(image.transparent.front());
        EXPECT_TRUE(image.transparent.back());
    }
}

TEST(KorvaneIconTest, TheEmblemIsABlueHelmetOnAGreenTile) {
    const IconImage emblem = DrawKorvaneEmblem(48, EmblemColours::TrueColour);
    const Rgba helmet = emblem.At(18, 15); // left flank of the helmet, above the eye slit
    EXPECT_EQ(int{helmet.a}, 255);
    EXPECT_GT(int{helmet.b}, helmet.r + 60);
    EXPECT_GT(int{helmet.b}, helmet.g + 30);
    const Rgba tile = emblem.At(8, 34); // left corner of the tile's top face
    EXPECT_EQ(int{tile.a}, 255);
    EXPECT_GT(int{tile.g}, tile.r + 40);
    EXPECT_GT(int{tile.g}, tile.b + 60);
}

TEST(IconFileTest, AdaptivePaletteKeepsFewColoursExactly) {
    IconImage image = Filled(16, Rgba{10, 200, 30, 255});
    const std::vector<Rgba> colours = {{255, 255, 255, 255}, {12, 34, 56, 255}, {200, 10, 10, 255}};
    for (size_t index = 0; index < colours.size(); ++index) {
        image.pixels[index * 7] = colours[index];
    }
    image.pixels[100] = Rgba{99, 99, 99, 0}; // transparent: takes no palette entry
    const Palette palette = AdaptivePalette(image, 256);
    ASSERT_EQ(palette.size(), 5u);
    EXPECT_EQ(palette[0], (Rgba{0, 0, 0, 255}));
    for (const Rgba& colour : colours) {
        EXPECT_EQ(palette[static_cast<size_t>(NearestColourIndex(palette, colour))], colour);
    }
}

TEST(IconFileTest, AdaptivePaletteOfManyColoursStaysClose) {
    IconImage image = Filled(64, Rgba{});
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            image.At(x, y) =
                Rgba{static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 4),
                     static_cast<std::uint8_t>((x + y) * 2), 255};
        }
    }
    const Palette palette = AdaptivePalette(image, 256);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(AdaptivePalette(image, 256), palette) << "the same image gives the same palette";
    // 4096 colours in 255 entries: every pixel lands near its colour, most very near.
    int totalError = 0;
    for (const Rgba& pixel : image.pixels) {
        const Rgba chosen = palette[static_cast<size_t>(NearestColourIndex(palette, pixel))];
        const int error = std::abs(chosen.r - pixel.r) + std::abs(chosen.g - pixel.g) +
                          std::abs(chosen.b - pixel.b);
        EXPECT_LE(error, 40);
        totalError += error;
    }
    EXPECT_LE(totalError / static_cast<int>(image.pixels.size()), 12);
}

TEST(IconFileTest, NearestColourPicksTheClosestStandardColour) {
    const struct {
        Rgba colour;
        int index;
    } cases[] = {
        {{255, 0, 0, 255}, 9},      {{250, 10, 5, 255}, 9}, {{130, 130, 130, 255}, 8},
        {{200, 200, 200, 255}, 7},  {{0, 0, 100, 255}, 4},  {{10, 10, 10, 255}, 0},
        {{255, 255, 255, 255}, 15}, {{96, 96, 96, 255}, 8},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NearestColourIndex(StandardPalette16(), c.colour), c.index)
            << int{c.colour.r} << "," << int{c.colour.g} << "," << int{c.colour.b};
    }
    // Equally near: the first entry wins.
    const Palette twins = {{0, 0, 0, 255}, {10, 0, 0, 255}, {10, 0, 0, 255}};
    EXPECT_EQ(NearestColourIndex(twins, Rgba{9, 0, 0, 255}), 1);
}

TEST(IconFileTest, RowsOfOddWidthsArePaddedToWholeWords) {
    // 3 pixels: 4-bpp rows take 2 bytes padded to 4, mask rows 1 byte padded to 4.
    IconImage image = Filled(3, Rgba{255, 0, 0, 255});
    image.At(2, 0) = Rgba{};
    const std::vector<DecodedImage> images =
        DecodeIconFile(EncodeIconFile({{image, 4}, {image, 8}, {image, 32}}));
    ASSERT_EQ(images.size(), 3u);
    for (const DecodedImage& decoded : images) {
        EXPECT_EQ(decoded.colours[0], (Rgba{255, 0, 0, 255}));
        EXPECT_TRUE(decoded.transparent[2]);
        EXPECT_FALSE(decoded.transparent[3]);
    }
}

TEST(IconFileTest, RefusesImagesItCannotStore) {
    const struct {
        IconImage image;
        int bitsPerPixel;
    } cases[] = {
        {Filled(16, Rgba{}), 24},
        {Filled(16, Rgba{}), 1},
        {Filled(0, Rgba{}), 32},
        {Filled(257, Rgba{}), 32},
        {IconImage{16, std::vector<Rgba>(10)}, 32},
    };
    for (const auto& c : cases) {
        EXPECT_THROW(EncodeIconFile({{c.image, c.bitsPerPixel}}), std::invalid_argument);
    }
}
