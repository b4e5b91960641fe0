#include "tools/icon_generator/korvane_icon.h"

#include "tools/icon_generator/icon_file.h"
#include "resources/emblem.h"

const std::vector<IconFormat>& KorvaneIconFormats() {
    static const std::vector<IconFormat> formats = {
        {32, 4}, {16, 4}, {48, 8}, {32, 8}, {16, 8}, {48, 32}, {32, 32}, {16, 32},
    };
    return formats;
}

std::vector<std::uint8_t> BuildKorvaneIconFile() {
    std::vector<IconEntry> entries;
    for (const IconFormat& format : KorvaneIconFormats()) {
        const EmblemColours colours =
            format.bitsPerPixel == 4 ? EmblemColours::Standard16 : EmblemColours::TrueColour;
        entries.push_back({DrawKorvaneEmblem(format.size, colours), format.bitsPerPixel});
    }
    return EncodeIconFile(entries);
}
