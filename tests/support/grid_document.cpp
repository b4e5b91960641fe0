#include "tests/support/grid_document.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>

namespace {

// Rows of quads that share a material before the other one takes over.
constexpr int kMaterialBand = 16;
// Spacing of the grid in millionths of a unit.
constexpr std::int64_t kSpacing = 10'000'000;

// A value in millionths written with six decimals, built from integers so the
// text is the same on every machine and library.
void AppendMillionths(std::string& text, std::int64_t value) {
    char digits[32];
    const std::uint64_t magnitude =
        value < 0 ? static_cast<std::uint64_t>(-value) : static_cast<std::uint64_t>(value);
    std::snprintf(digits, sizeof digits, "%s%" PRIu64 ".%06" PRIu64, value < 0 ? "-" : "",
                  magnitude / 1'000'000, magnitude % 1'000'000);
    text += digits;
}

// Height of grid point (x, z) in millionths: two triangle waves crossing, so
// neighbouring quads meet at varied angles, some within the facet and some not.
std::int64_t Height(int x, int z) {
    const auto wave = [](int at, int period, std::int64_t amplitude) {
        const int phase = at % period;
        const int rise = phase < period / 2 ? phase : period - phase;
        return amplitude * rise / (period / 2);
    };
    return wave(x, 14, 23'456'789) - wave(z + 3, 22, 31'234'567) + 1'234'567 * ((x * z) % 3);
}

// Texture coordinate of line i of side points, in millionths of the texture.
std::int64_t TexCoordOf(int i, int side) {
    return static_cast<std::int64_t>(i) * 1'000'000 / (side - 1);
}

int MaterialOfRow(int z) {
    return (z / kMaterialBand) % 2;
}

void AppendPosition(std::string& text, int x, int z) {
    AppendMillionths(text, x * kSpacing);
    text += ' ';
    AppendMillionths(text, Height(x, z));
    text += ' ';
    AppendMillionths(text, z * kSpacing);
}

void AppendTexCoord(std::string& text, int x, int z, int side) {
    AppendMillionths(text, TexCoordOf(x, side));
    text += ' ';
    AppendMillionths(text, TexCoordOf(z, side));
}

} // namespace

std::string GridDocument(int cells) {
    const int side = cells + 1;
    std::string text = "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\n"
                       "Scene {\r\n\tpos 0.0000 0.0000 1500.0000\r\n\tambient 0.250 0.250 0.250\r\n"
                       "}\r\n"
                       "Material 2 {\r\n"
                       "\t\"grass\" shader(3) col(0.400 0.700 0.300 1.000) dif(0.800) amb(0.600) "
                       "emi(0.000) spc(0.000) power(5.00) tex(\"grass_top.png\")\r\n"
                       "\t\"earth\" shader(3) col(0.500 0.350 0.200 1.000) dif(0.800) amb(0.600) "
                       "emi(0.000) spc(0.100) power(5.00)\r\n"
                       "}\r\n"
                       "Object \"grid\" {\r\n\tdepth 0\r\n\tfolding 0\r\n\tvisible 15\r\n"
                       "\tlocking 0\r\n\tshading 1\r\n\tfacet 59.5\r\n\tcolor 0.898 0.498 0.698\r\n"
                       "\tcolor_type 0\r\n\tvertex " +
                       std::to_string(side * side) + " {\r\n";
    for (int z = 0; z < side; ++z) {
        for (int x = 0; x < side; ++x) {
            text += "\t\t";
            AppendPosition(text, x, z);
            text += "\r\n";
        }
    }
    text += "\t}\r\n\tface " + std::to_string(cells * cells) + " {\r\n";
    for (int z = 0; z < cells; ++z) {
        for (int x = 0; x < cells; ++x) {
            const int a = z * side + x;
            const int corners[4][2] = {{x, z}, {x, z + 1}, {x + 1, z + 1}, {x + 1, z}};
            text += "\t\t4 V(" + std::to_string(a) + ' ' + std::to_string(a + side) + ' ' +
                    std::to_string(a + side + 1) + ' ' + std::to_string(a + 1) + ") M(" +
                    std::to_string(MaterialOfRow(z)) + ") UV(";
            for (int k = 0; k < 4; ++k) {
                if (k > 0) {
                    text += ' ';
                }
                AppendTexCoord(text, corners[k][0], corners[k][1], side);
            }
            text += ")\r\n";
        }
    }
    return text + "\t}\r\n}\r\nEof\r\n";
}

std::string GridObj(int cells) {
    const int side = cells + 1;
    std::string text =
        "# grid of " + std::to_string(cells) + " x " + std::to_string(cells) + " quads\no grid\n";
    for (int z = 0; z < side; ++z) {
        for (int x = 0; x < side; ++x) {
            text += "v ";
            AppendPosition(text, x, z);
            text += '\n';
        }
    }
    for (int z = 0; z < side; ++z) {
        for (int x = 0; x < side; ++x) {
            text += "vt ";
            AppendTexCoord(text, x, z, side);
            text += '\n';
        }
    }
    const char* const names[2] = {"grass", "earth"};
    int material = -1;
    for (int z = 0; z < cells; ++z) {
        if (MaterialOfRow(z) != material) {
            material = MaterialOfRow(z);
            text += std::string("usemtl ") + names[material] + '\n';
        }
        for (int x = 0; x < cells; ++x) {
            // OBJ counts from 1, and each corner's UV has its vertex's number.
            const int a = z * side + x + 1;
            const int corners[4] = {a, a + side, a + side + 1, a + 1};
            text += 'f';
            for (const int corner : corners) {
                text += ' ' + std::to_string(corner) + '/' + std::to_string(corner);
            }
            text += '\n';
        }
    }
    return text;
}
