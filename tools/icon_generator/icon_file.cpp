#include "tools/icon_generator/icon_file.h"

#include <algorithm>
#include <array>
#include <map>
#include <stdexcept>

namespace {

constexpr int kBitmapInfoHeaderSize = 40;
constexpr int kIconDirectorySize = 6;
constexpr int kIconEntrySize = 16;

void PutU8(std::vector<std::uint8_t>& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value));
}
void PutU16(std::vector<std::uint8_t>& out, int value) {
    PutU8(out, value & 0xFF);
    PutU8(out, (value >> 8) & 0xFF);
}
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        PutU8(out, static_cast<int>((value >> shift) & 0xFF));
    }
}

// Bitmap rows are padded to whole 32-bit words.
int RowBytes(int width, int bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

bool IsShown(const Rgba& pixel) {
    return pixel.a >= kOpaqueThreshold;
}

// One box of the median cut: a run of distinct colours with their pixel counts.
struct ColourBox {
    std::vector<std::pair<Rgba, int>> colours;

    int Channel(const Rgba& c, int channel) const {
        return channel == 0 ? c.r : channel == 1 ? c.g : c.b;
    }
    // The channel with the widest spread, and that spread.
    std::pair<int, int> WidestChannel() const {
        int best = 0;
        int bestRange = -1;
        for (int channel = 0; channel < 3; ++channel) {
            int low = 255;
            int high = 0;
            for (const auto& [colour, count] : colours) {
                low = std::min(low, Channel(colour, channel));
                high = std::max(high, Channel(colour, channel));
            }
            if (high - low > bestRange) {
                best = channel;
                bestRange = high - low;
            }
        }
        return {best, bestRange};
    }
    Rgba Average() const {
        long long sum[3] = {0, 0, 0};
        long long total = 0;
        for (const auto& [colour, count] : colours) {
            sum[0] += static_cast<long long>(colour.r) * count;
            sum[1] += static_cast<long long>(colour.g) * count;
            sum[2] += static_cast<long long>(colour.b) * count;
            total += count;
        }
        auto mean = [total](long long s) {
            return static_cast<std::uint8_t>((s + total / 2) / total);
        };
        return {mean(sum[0]), mean(sum[1]), mean(sum[2]), 255};
    }
};

// The colour bits of one image, bottom row first, and its AND mask (1 = transparent).
void AppendBitmap(std::vector<std::uint8_t>& out, const IconEntry& entry) {
    const IconImage& image = entry.image;
    const int size = image.size;
    const int bits = entry.bitsPerPixel;
    Palette palette;
    if (bits == 4) {
        palette = StandardPalette16();
    } else if (bits == 8) {
        palette = AdaptivePalette(image, 256);
    }
    const int colourRow = RowBytes(size, bits);
    const int maskRow = RowBytes(size, 1);

    PutU32(out, kBitmapInfoHeaderSize);
    PutU32(out, static_cast<std::uint32_t>(size));
    PutU32(out, static_cast<std::uint32_t>(size * 2)); // colour bits and mask, stacked
    PutU16(out, 1);                                    // planes
    PutU16(out, bits);
    PutU32(out, 0); // uncompressed
    PutU32(out, static_cast<std::uint32_t>((colourRow + maskRow) * size));
    PutU32(out, 0); // horizontal resolution: unused
    PutU32(out, 0); // vertical resolution: unused
    PutU32(out, bits == 32 ? 0 : static_cast<std::uint32_t>(1u << bits)); // colours in the table
    PutU32(out, 0);                                                       // all colours matter

    if (bits != 32) {
        for (size_t index = 0; index < (1u << bits); ++index) {
            const Rgba colour = index < palette.size() ? palette[index] : Rgba{};
            PutU8(out, colour.b);
            PutU8(out, colour.g);
            PutU8(out, colour.r);
            PutU8(out, 0);
        }
    }

    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<size_t>(colourRow), 0);
        for (int x = 0; x < size; ++x) {
            const Rgba& pixel = image.At(x, y);
            if (bits == 32) {
                // Fully transparent pixels are stored black, as the mask shows them.
                const bool visible = pixel.a != 0;
                row[static_cast<size_t>(x * 4 + 0)] = visible ? pixel.b : 0;
                row[static_cast<size_t>(x * 4 + 1)] = visible ? pixel.g : 0;
                row[static_cast<size_t>(x * 4 + 2)] = visible ? pixel.r : 0;
                row[static_cast<size_t>(x * 4 + 3)] = pixel.a;
                continue;
            }
            // Hidden pixels take index 0 (black): the mask keeps the screen, XOR black keeps it.
            const int index = IsShown(pixel) ? NearestColourIndex(palette, pixel) : 0;
            if (bits == 8) {
                row[static_cast<size_t>(x)] = static_cast<std::uint8_t>(index);
            } else {
                row[static_cast<size_t>(x / 2)] |=
                    static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }

    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<size_t>(maskRow), 0);
        for (int x = 0; x < size; ++x) {
            if (!IsShown(image.At(x, y))) {
                row[static_cast<size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
}

} // namespace

const Palette& StandardPalette16() {
    static const Palette palette = {
        {0, 0, 0, 255},       {128, 0, 0, 255},   {0, 128, 0, 255},   {128, 128, 0, 255},
        {0, 0, 128, 255},     {128, 0, 128, 255}, {0, 128, 128, 255}, {192, 192, 192, 255},
        {128, 128, 128, 255}, {255, 0, 0, 255},   {0, 255, 0, 255},   {255, 255, 0, 255},
        {0, 0, 255, 255},     {255, 0, 255, 255}, {0, 255, 255, 255}, {255, 255, 255, 255},
    };
    return palette;
}

Palette AdaptivePalette(const IconImage& image, int maxColours) {
    // Distinct opaque colours with their counts; the map orders them the same every time.
    std::map<std::array<std::uint8_t, 3>, int> counts;
    for (const Rgba& pixel : image.pixels) {
        if (IsShown(pixel)) {
            ++counts[{pixel.r, pixel.g, pixel.b}];
        }
    }
    Palette palette = {Rgba{0, 0, 0, 255}};
    if (counts.empty() || maxColours <= 1) {
        return palette;
    }

    std::vector<ColourBox> boxes(1);
    for (const auto& [rgb, count] : counts) {
        boxes[0].colours.push_back({Rgba{rgb[0], rgb[1], rgb[2], 255}, count});
    }
    while (static_cast<int>(boxes.size()) < maxColours - 1) {
        // Split the box with the widest spread (the first of equals) at its median pixel.
        int chosen = -1;
        int chosenRange = 0;
        for (size_t index = 0; index < boxes.size(); ++index) {
            const int range = boxes[index].WidestChannel().second;
            if (boxes[index].colours.size() > 1 && range > chosenRange) {
                chosen = static_cast<int>(index);
                chosenRange = range;
            }
        }
        if (chosen < 0) {
            break;
        }
        ColourBox& box = boxes[static_cast<size_t>(chosen)];
        const int channel = box.WidestChannel().first;
        std::stable_sort(box.colours.begin(), box.colours.end(), [&](const auto& a, const auto& b) {
            return box.Channel(a.first, channel) < box.Channel(b.first, channel);
        });
        long long total = 0;
        for (const auto& entry : box.colours) {
            total += entry.second;
        }
        long long running = 0;
        size_t split = 1;
        for (size_t index = 0; index + 1 < box.colours.size(); ++index) {
            running += box.colours[index].second;
            split = index + 1;
            if (running * 2 >= total) {
                break;
            }
        }
        ColourBox upper;
        upper.colours.assign(box.colours.begin() + static_cast<std::ptrdiff_t>(split),
                             box.colours.end());
        box.colours.resize(split);
        boxes.push_back(std::move(upper));
    }
    for (const ColourBox& box : boxes) {
        palette.push_back(box.Average());
    }
    return palette;
}

int NearestColourIndex(const Palette& palette, Rgba colour) {
    int best = 0;
    int bestDistance = 1 << 30;
    for (size_t index = 0; index < palette.size(); ++index) {
        const int dr = palette[index].r - colour.r;
        const int dg = palette[index].g - colour.g;
        const int db = palette[index].b - colour.b;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = static_cast<int>(index);
            bestDistance = distance;
        }
    }
    return best;
}

std::vector<std::uint8_t> EncodeIconFile(const std::vector<IconEntry>& entries) {
    std::vector<std::vector<std::uint8_t>> bitmaps;
    for (const IconEntry& entry : entries) {
        if (entry.image.size < 1 || entry.image.size > 256 ||
            entry.image.pixels.size() != static_cast<size_t>(entry.image.size * entry.image.size) ||
            (entry.bitsPerPixel != 4 && entry.bitsPerPixel != 8 && entry.bitsPerPixel != 32)) {
            throw std::invalid_argument("icon images are 1 to 256 pixels at 4, 8 or 32 bpp");
        }
        bitmaps.emplace_back();
        AppendBitmap(bitmaps.back(), entry);
    }

    std::vector<std::uint8_t> out;
    PutU16(out, 0); // reserved
    PutU16(out, 1); // resource type: icon
    PutU16(out, static_cast<int>(entries.size()));
    std::uint32_t offset =
        static_cast<std::uint32_t>(kIconDirectorySize + kIconEntrySize * entries.size());
    for (size_t index = 0; index < entries.size(); ++index) {
        const IconEntry& entry = entries[index];
        PutU8(out, entry.image.size & 0xFF); // 256 is written as 0
        PutU8(out, entry.image.size & 0xFF);
        PutU8(out, entry.bitsPerPixel == 4 ? 16 : 0); // palette size; 0 for 256 and none
        PutU8(out, 0);                                // reserved
        PutU16(out, 1);                               // planes
        PutU16(out, entry.bitsPerPixel);
        PutU32(out, static_cast<std::uint32_t>(bitmaps[index].size()));
        PutU32(out, offset);
        offset += static_cast<std::uint32_t>(bitmaps[index].size());
    }
    for (const auto& bitmap : bitmaps) {
        out.insert(out.end(), bitmap.begin(), bitmap.end());
    }
    return out;
}
