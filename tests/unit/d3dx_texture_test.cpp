#include "platform/d3dx/d3dx_texture.h"

#include <span>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/d3dx/image_guard.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/image_files.h"
#include "tests/support/load_digest.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_files.h"

namespace {

// The arguments of one load that tests vary; the defaults are the game's.
struct Request {
    UINT width = 0;
    UINT height = 0;
    UINT levels = 0;
    D3DFORMAT format = D3DFMT_A8R8G8B8;
    DWORD filter = D3DX_FILTER_LINEAR;
    DWORD mipFilter = D3DX_FILTER_LINEAR;
    D3DCOLOR colorKey = 0;
};

// Stands for "not set" in texture outputs, so a test sees the loader clear it.
IDirect3DTexture9* const Unset = reinterpret_cast<IDirect3DTexture9*>(0x10);

HRESULT Create(IDirect3DDevice9* device, const char* path, const Request& r,
               IDirect3DTexture9** out, D3DXIMAGE_INFO* info = nullptr) {
    return D3DXCreateTextureFromFileExA(device, path, r.width, r.height, r.levels, 0, r.format,
                                        D3DPOOL_MANAGED, r.filter, r.mipFilter, r.colorKey, info,
                                        nullptr, out);
}

using Texels = std::vector<std::uint32_t>; // 0xAARRGGBB, rows top first

// Four distinct colours over two rows, alpha included.
const Texels kSampleTexels = {0x44112233, 0xFFFF0000, 0x8000FF00, 0x000000FF,
                              0xFF102030, 0xFFFFFFFF, 0xFF000000, 0xC07F7F7F};

// An image whose first texels are the given ones; the rest are opaque black.
TestImage ImageOf(int width, int height, const Texels& texels) {
    TestImage image = TestImage::Solid(width, height, Rgba{});
    for (std::size_t i = 0; i < texels.size(); ++i) {
        const auto channel = [&](int shift) { return std::uint8_t(texels[i] >> shift); };
        image.texels[i] = Rgba{channel(16), channel(8), channel(0), channel(24)};
    }
    return image;
}

const TestImage kSample = ImageOf(4, 2, kSampleTexels);
const Texels kOpaqueSample = {0xFF112233, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF,
                              0xFF102030, 0xFFFFFFFF, 0xFF000000, 0xFF7F7F7F};

// Texels with the value in all four channels.
Texels Greys(std::initializer_list<int> values) {
    Texels texels;
    for (const int v : values) {
        texels.push_back(0x01010101u * static_cast<std::uint32_t>(v));
    }
    return texels;
}

class D3DXTextureTest : public ::testing::Test {
  protected:
    ~D3DXTextureTest() override {
        ReleaseMade();
        EXPECT_EQ(device.LiveTextures(), 0);
        EXPECT_EQ(device.OverReleases(), 0);
    }

    void ReleaseMade() {
        if (texture != nullptr && texture != Unset) {
            texture->Release();
        }
    }

    std::string Write(const std::string& name, const std::string& bytes) {
        folder.Write(name, bytes);
        return folder.PathOf(name).string();
    }

    HRESULT Load(const std::string& path, const Request& r = {}, D3DXIMAGE_INFO* info = nullptr) {
        ReleaseMade();
        texture = Unset;
        return Create(&device, path.c_str(), r, &texture, info);
    }

    RecordingTexture& Made() { return *static_cast<RecordingTexture*>(texture); }

    Texels Level(UINT level) {
        Texels texels;
        for (UINT y = 0; y < Made().LevelHeight(level); ++y) {
            for (UINT x = 0; x < Made().LevelWidth(level); ++x) {
                texels.push_back(Made().Texel(level, x, y));
            }
        }
        return texels;
    }

    ScratchFolder folder;
    RecordingDevice device;
    IDirect3DTexture9* texture = nullptr;
};

TEST_F(D3DXTextureTest, ReadsEveryFormatTopRowFirstAtTheTexturesPitch) {
    device.texturePitchPadding = 3;
    constexpr D3DFORMAT kArgb = D3DFMT_A8R8G8B8;
    const std::tuple<const char*, std::string, Texels, D3DFORMAT> cases[] = {
        {"sample8.bmp", EncodeBmp(kSample, 8), kOpaqueSample, kArgb},
        {"sample24.bmp", EncodeBmp(kSample, 24), kOpaqueSample, kArgb},
        {"sample32.bmp", EncodeBmp(kSample, 32), kSampleTexels, kArgb},
        {"sample.png", EncodePng(kSample), kSampleTexels, kArgb},
        {"sample-rle.tga", EncodeTga(kSample, true), kSampleTexels, kArgb},
        {"sample.tga", EncodeTga(kSample, false), kSampleTexels, kArgb},
        {"x8r8g8b8.png", EncodePng(kSample), kOpaqueSample, D3DFMT_X8R8G8B8},
    };
    for (const auto& [name, bytes, texels, format] : cases) {
        SCOPED_TRACE(name);
        device.ClearCalls();
        ASSERT_EQ(Load(Write(name, bytes), {.format = format}), S_OK);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(
            device.Described(DeviceOp::CreateTexture),
            std::vector<std::string>{"CreateTexture(4, 2, 3, " + std::to_string(format) + ")"});
        EXPECT_EQ(std::tuple(Made().pool, Made().usage), std::tuple(D3DPOOL_MANAGED, DWORD{0}));
        EXPECT_EQ(Level(0), texels);
        // The padding after each row is left as the device made it.
        for (UINT level = 0; level < Made().levelCount; ++level) {
            for (UINT y = 0; y < Made().LevelHeight(level); ++y) {
                for (UINT x = Made().LevelWidth(level); x < Made().RowStride(level); ++x) {
                    ASSERT_EQ(Made().Texel(level, x, y), 0xCDCDCDCDu);
                }
            }
        }
    }
    // No format, or the file's own: 32 bits with alpha.
    for (const D3DFORMAT asked : {D3DFMT_UNKNOWN, static_cast<D3DFORMAT>(D3DX_FROM_FILE)}) {
        device.ClearCalls();
        ASSERT_EQ(Load(Write("sample.png", EncodePng(kSample)), {.format = asked}), S_OK);
        EXPECT_EQ(device.Described(DeviceOp::CreateTexture),
                  std::vector<std::string>{"CreateTexture(4, 2, 3, 21)"});
        EXPECT_EQ(Level(0), kSampleTexels);
    }
}

TEST_F(D3DXTextureTest, SizeAndChainFollowTheRequestAndKeepASolidColour) {
    // The image's width and height, the request, and the texture made.
    using Case = std::tuple<int, int, Request, std::string>;
    constexpr UINT kDefault = D3DX_DEFAULT;
    constexpr UINT kFromFile = D3DX_FROM_FILE;
    const Case cases[] = {
        // By default sizes round up to powers of two, with a full chain.
        {1, 1, {}, "CreateTexture(1, 1, 1, 21)"},
        {3, 5, {}, "CreateTexture(4, 8, 4, 21)"},
        {17, 2, {}, "CreateTexture(32, 2, 6, 21)"},
        {64, 63, {}, "CreateTexture(64, 64, 7, 21)"},
        {100, 1, {}, "CreateTexture(128, 1, 8, 21)"},
        {3, 5, {8, 16, 2}, "CreateTexture(8, 16, 2, 21)"},
        {3, 5, {D3DX_DEFAULT_NONPOW2, kFromFile, kFromFile}, "CreateTexture(3, 5, 1, 21)"},
        {3, 5, {kDefault, kDefault, kDefault}, "CreateTexture(4, 8, 4, 21)"},
        {3, 5, {0, 0, 99}, "CreateTexture(4, 8, 4, 21)"}, // more levels than the chain has
    };
    const Rgba colour{12, 34, 56, 78};
    for (const auto& [width, height, request, created] : cases) {
        SCOPED_TRACE(created);
        device.ClearCalls();
        const TestImage image = TestImage::Solid(width, height, colour);
        ASSERT_EQ(Load(Write("solid.png", EncodePng(image)), request), S_OK);
        EXPECT_EQ(device.Described(DeviceOp::CreateTexture), std::vector<std::string>{created});
        for (UINT level = 0; level < Made().levelCount; ++level) {
            EXPECT_EQ(Level(level), Texels(Level(level).size(), colour.Argb())) << level;
        }
    }
}

TEST_F(D3DXTextureTest, FiltersDecideHowAnImageIsScaled) {
    // A black and a white texel stretched to four; beyond the edges the
    // image wraps around unless mirroring is asked for. Four texels halved.
    const std::string pair = Write("pair.png", EncodePng(ImageOf(2, 1, Greys({0, 255}))));
    const std::string upright = Write("upright.png", EncodePng(ImageOf(1, 2, Greys({0, 255}))));
    const std::string four = Write("four.png", EncodePng(ImageOf(4, 1, Greys({0, 40, 100, 200}))));
    struct Case {
        const std::string& path;
        UINT width;
        UINT height;
        DWORD filter;
        Texels texels;
    };
    const Case cases[] = {
        {pair, 4, 1, D3DX_FILTER_LINEAR, Greys({64, 64, 191, 191})},
        {pair, 4, 1, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR_U, Greys({0, 64, 191, 255})},
        {pair, 4, 1, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR_V, Greys({64, 64, 191, 191})},
        {upright, 1, 4, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR_V, Greys({0, 64, 191, 255})},
        {upright, 1, 4, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR_U, Greys({64, 64, 191, 191})},
        {pair, 4, 1, D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER, Greys({64, 64, 191, 191})},
        {pair, 4, 1, D3DX_DEFAULT, Greys({64, 64, 191, 191})},
        {pair, 4, 1, D3DX_FILTER_POINT, Greys({0, 0, 255, 255})},
        {pair, 4, 1, D3DX_FILTER_BOX, Greys({0, 0, 255, 255})}, // each covers half a texel
        {pair, 4, 1, D3DX_FILTER_NONE, Greys({0, 255, 0, 0})},
        {four, 2, 1, D3DX_FILTER_LINEAR, Greys({20, 150})}, // the average of each pair
        {four, 2, 1, D3DX_FILTER_BOX, Greys({20, 150})},
        {four, 2, 1, D3DX_FILTER_POINT, Greys({40, 200})}, // the texel under each centre
        {four, 2, 1, D3DX_FILTER_NONE, Greys({0, 40})},    // the corner, cut off
    };
    for (const Case& c : cases) {
        ASSERT_EQ(
            Load(c.path, {.width = c.width, .height = c.height, .levels = 1, .filter = c.filter}),
            S_OK);
        EXPECT_EQ(Level(0), c.texels)
            << c.width << " x " << c.height << ", filter " << std::hex << c.filter;
    }
}

TEST_F(D3DXTextureTest, TheImageFilterMakesTheTopLevelAndTheMipFilterTheRest) {
    // Texels 0 and 200 stretched to four, then halved twice. Each row: the
    // image filter, the mip filter, and the three levels.
    const std::string path = Write("pair.png", EncodePng(ImageOf(2, 1, Greys({0, 200}))));
    struct Case {
        DWORD filter;
        DWORD mipFilter;
        Texels levels[3];
    };
    const Case cases[] = {
        {D3DX_FILTER_LINEAR,
         D3DX_FILTER_LINEAR, // the game's
         {Greys({50, 50, 150, 150}), Greys({50, 150}), Greys({100})}},
        {D3DX_FILTER_POINT,
         D3DX_FILTER_LINEAR,
         {Greys({0, 0, 200, 200}), Greys({0, 200}), Greys({100})}},
        {D3DX_FILTER_LINEAR,
         D3DX_FILTER_POINT,
         {Greys({50, 50, 150, 150}), Greys({50, 150}), Greys({150})}},
        {D3DX_FILTER_NONE,
         D3DX_FILTER_LINEAR,
         {Greys({0, 200, 0, 0}), Greys({100, 0}), Greys({50})}},
        {D3DX_FILTER_NONE, D3DX_FILTER_POINT, {Greys({0, 200, 0, 0}), Greys({200, 0}), Greys({0})}},
        {D3DX_FILTER_POINT, D3DX_FILTER_NONE, {Greys({0, 0, 200, 200}), Greys({0, 0}), Greys({0})}},
        {D3DX_FILTER_POINT,
         D3DX_FILTER_BOX,
         {Greys({0, 0, 200, 200}), Greys({0, 200}), Greys({100})}},
        {D3DX_DEFAULT,
         D3DX_DEFAULT, // triangle, then box
         {Greys({50, 50, 150, 150}), Greys({50, 150}), Greys({100})}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << std::hex << "filter " << c.filter << ", mip filter " << c.mipFilter);
        ASSERT_EQ(
            Load(path, {.width = 4, .height = 1, .filter = c.filter, .mipFilter = c.mipFilter}),
            S_OK);
        ASSERT_EQ(Made().levelCount, 3u);
        for (UINT level = 0; level < 3; ++level) {
            EXPECT_EQ(Level(level), c.levels[level]) << "level " << level;
        }
    }
}

TEST_F(D3DXTextureTest, EachMipLevelAveragesTheLevelAbove) {
    // Four 2 x 2 blocks, each averaging to one value: 60, 100, 100 and 25.
    // Alpha carries the same values and is filtered like any channel.
    const Texels blocks =
        Greys({0, 40, 100, 100, 80, 120, 100, 100, 200, 0, 10, 20, 200, 0, 30, 40});
    ASSERT_EQ(Load(Write("blocks.tga", EncodeTga(ImageOf(4, 4, blocks), false))), S_OK);
    ASSERT_EQ(Made().levelCount, 3u);
    EXPECT_EQ(Level(1), Greys({60, 100, 100, 25}));
    EXPECT_EQ(Level(2), Greys({71})); // 71.25

    const TestImage checker = ImageOf(2, 2, Greys({0, 255, 255, 0}));
    ASSERT_EQ(Load(Write("checker.bmp", EncodeBmp(checker, 32))), S_OK);
    const std::uint32_t grey = Made().Texel(1, 0, 0);
    EXPECT_TRUE(grey == Greys({127})[0] || grey == Greys({128})[0]) << std::hex << grey;
}

TEST_F(D3DXTextureTest, TexelsMatchingTheColourKeyBecomeTransparentBlack) {
    const std::string path = Write("sample.png", EncodePng(kSample));
    Texels expected = kSampleTexels;
    ASSERT_EQ(Load(path, {.levels = 1, .colorKey = 0x80FF0000}), S_OK); // alpha is part of the key
    EXPECT_EQ(Level(0), expected);
    expected[1] = 0;
    ASSERT_EQ(Load(path, {.levels = 1, .colorKey = 0xFFFF0000}), S_OK); // the second texel
    EXPECT_EQ(Level(0), expected);
}

TEST_F(D3DXTextureTest, SourceInfoDescribesTheFileAndJpegKeepsItsColoursClosely) {
    const Rgba colour{200, 100, 50, 255};
    const TestImage image = TestImage::Solid(3, 5, colour);
    // The last column: the tolerance per channel, for the lossy format.
    const std::tuple<const char*, std::string, D3DFORMAT, D3DXIMAGE_FILEFORMAT, int> cases[] = {
        {"a.png", EncodePng(image), D3DFMT_A8R8G8B8, D3DXIFF_PNG, 0},
        {"a.bmp", EncodeBmp(image, 24), D3DFMT_R8G8B8, D3DXIFF_BMP, 0},
        {"a.tga", EncodeTga(image, true), D3DFMT_A8R8G8B8, D3DXIFF_TGA, 0},
        {"a.jpg", EncodeJpeg(image), D3DFMT_R8G8B8, D3DXIFF_JPG, 3},
    };
    for (const auto& [name, bytes, format, fileFormat, tolerance] : cases) {
        SCOPED_TRACE(name);
        D3DXIMAGE_INFO info{};
        ASSERT_EQ(Load(Write(name, bytes), {}, &info), S_OK);
        EXPECT_EQ(std::tuple(info.Width, info.Height, info.Depth, info.MipLevels),
                  std::tuple(3u, 5u, 1u, 1u));
        EXPECT_EQ(std::tuple(info.Format, info.ResourceType, info.ImageFileFormat),
                  std::tuple(format, D3DRTYPE_TEXTURE, fileFormat));
        for (UINT level = 0; level < Made().levelCount; ++level) {
            for (const std::uint32_t texel : Level(level)) {
                EXPECT_EQ(texel >> 24, 0xFFu);
                for (const int shift : {16, 8, 0}) {
                    EXPECT_NEAR(int(texel >> shift & 0xFF), int(colour.Argb() >> shift & 0xFF),
                                tolerance);
                }
            }
        }
    }
}

TEST_F(D3DXTextureTest, TheGamesOwnTexturesLoadToTheRecordedTexels) {
    // Fingerprints of every level of each texture as the game loads it,
    // recorded before the decoder last changed: a new decoder version or a
    // change of the loader must keep the game's look bit for bit. A failure
    // prints the new fingerprint, to record after a deliberate change of the art.
    const std::pair<const char*, std::uint64_t> cases[] = {
        {"armour_plate.bmp", 0x02e309026a30a91d},
        {"earth_side.bmp", 0x8fa7cf9a6b99b30d},
        {"grass_top.png", 0x73043d09a5e99b60},
        {"shield_emblem.png", 0x48a1165c672041e4},
    };
    for (const auto& [name, recorded] : cases) {
        SCOPED_TRACE(name);
        ASSERT_EQ(Load(std::string(KORVANE_SOURCE_DIR) + "/assets/TEXTURE/" + name), S_OK);
        Digest digest;
        digest.Value(Made().levelCount);
        for (UINT level = 0; level < Made().levelCount; ++level) {
            const Texels texels = Level(level);
            digest.Value(Made().LevelWidth(level));
            digest.Value(Made().LevelHeight(level));
            digest.Bytes(texels.data(), texels.size() * sizeof texels[0]);
        }
        EXPECT_EQ(digest.Result(), recorded) << std::hex << digest.Result();
    }
}

TEST_F(D3DXTextureTest, FailuresLeaveNoTextureBehind) {
    const std::string png = EncodePng(kSample);
    const std::string good = Write("good.png", png);
    const std::string huge = EncodeBmp(TestImage::Solid(16385, 1, Rgba{}), 24);
    enum class Omit { Nothing, Device, File, Output };
    struct Case {
        const char* name;
        std::string path;
        Request request;
        HRESULT result;
        HRESULT createResult = S_OK; // forced on the device
        HRESULT lockResult = S_OK;   // forced on the device's textures
        Omit omit = Omit::Nothing;
    };
    constexpr HRESULT kInvalid = D3DERR_INVALIDCALL;
    constexpr HRESULT kBadData = D3DXERR_INVALIDDATA;
    const Case cases[] = {
        {"missing file", folder.PathOf("missing.png").string(), {}, kBadData},
        {"empty file", Write("empty.png", ""), {}, kBadData},
        {"text", Write("text.png", "not an image at all"), {}, kBadData},
        {"truncated", Write("cut.png", png.substr(0, 40)), {}, kBadData},
        {"larger than any texture", Write("huge.bmp", huge), {}, kBadData},
        {"format not written", good, {.format = D3DFMT_R5G6B5}, kInvalid},
        {"no filter", good, {.filter = 0}, kInvalid},
        {"unknown filter", good, {.filter = D3DX_FILTER_BOX + 1}, kInvalid},
        {"no mip filter", good, {.mipFilter = 0}, kInvalid},
        {"unknown mip filter", good, {.mipFilter = D3DX_FILTER_BOX + 1}, kInvalid},
        {"width beyond the limit", good, {.width = 16385}, kInvalid},
        {"height beyond the limit", good, {.height = 16385}, kInvalid},
        {"device refuses", good, {}, E_OUTOFMEMORY, E_OUTOFMEMORY},
        {"lock refused", good, {}, kInvalid, S_OK, kInvalid},
        {"no device", good, {}, kInvalid, S_OK, S_OK, Omit::Device},
        {"no file name", good, {}, kInvalid, S_OK, S_OK, Omit::File},
        {"no output", good, {}, kInvalid, S_OK, S_OK, Omit::Output},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDevice failing;
        failing.createTextureResult = c.createResult;
        failing.textureLockResult = c.lockResult;
        IDirect3DTexture9* out = c.omit == Omit::Output ? nullptr : Unset;
        EXPECT_EQ(Create(c.omit == Omit::Device ? nullptr : &failing,
                         c.omit == Omit::File ? nullptr : c.path.c_str(), c.request,
                         c.omit == Omit::Output ? nullptr : &out),
                  c.result);
        EXPECT_EQ(out, nullptr);
        // Only a refused lock comes after the texture was made.
        EXPECT_EQ(failing.textures.size(), c.lockResult != S_OK ? 1u : 0u);
        EXPECT_EQ(failing.LiveTextures(), 0);
        EXPECT_EQ(failing.OverReleases(), 0);
    }
}

// Where the code counts of each table of the first Huffman table segment of a
// JPEG file begin.
std::vector<std::size_t> HuffmanCountsOf(const std::string& jpeg) {
    std::vector<std::size_t> counts;
    const std::size_t marker = jpeg.find("\xFF\xC4");
    const std::size_t end =
        marker + 2 + (std::uint8_t(jpeg[marker + 2]) << 8 | std::uint8_t(jpeg[marker + 3]));
    for (std::size_t at = marker + 5; at + 16 <= end;) {
        counts.push_back(at);
        int symbols = 0;
        for (int i = 0; i < 16; ++i) {
            symbols += std::uint8_t(jpeg[at + i]);
        }
        at += 16 + static_cast<std::size_t>(symbols) + 1;
    }
    return counts;
}

// Leaves freed blocks of many sizes full of one byte, for the next allocations to find.
void DirtyTheHeap() {
    std::vector<std::vector<unsigned char>> blocks;
    for (std::size_t size = 16; size <= 1 << 20; size *= 2) {
        blocks.emplace_back(size, 0xA5);
        blocks.emplace_back(size + size / 2, 0xA5);
    }
}

TEST_F(D3DXTextureTest, CorruptJpegsLoadOrFailWithinTheDecodersMemory) {
    const std::string jpeg = EncodeJpeg(kSample);
    const std::vector<std::size_t> tables = HuffmanCountsOf(jpeg);
    ASSERT_EQ(tables.size(), 4u); // DC and AC, luminance and chrominance
    const std::size_t scan = jpeg.find("\xFF\xDA");
    ASSERT_EQ(jpeg.substr(scan + 5, 2),
              std::string("\x01\x00", 2)); // component 1 uses DC and AC table 0
    const auto replaced = [&](std::size_t at, const std::string& bytes) {
        return std::string(jpeg).replace(at, bytes.size(), bytes);
    };
    const std::string tooManyCodes(16, '\x11'); // counts adding up to 272 symbols of 256
    const std::string fill(32, '\xFF');
    struct Case {
        const char* name;
        std::string path;
        HRESULT result;
    };
    // Each row once reached undefined behaviour in the decoder, which the
    // sanitizer build turns into a failure. A table the decoder refuses after
    // the frame header ends the image there: it loads, with texels never decoded.
    const Case cases[] = {
        // Writes past the end of the decoder's Huffman tables; every table is checked.
        {"first table too long", Write("first.jpg", replaced(tables.front(), tooManyCodes)), S_OK},
        {"last table too long", Write("last.jpg", replaced(tables.back(), tooManyCodes)), S_OK},
        // Reads of a table never written, and symbols looked up far outside it.
        {"scan names an undefined table", Write("undefined.jpg", replaced(scan + 6, "\x03")), S_OK},
        // The decoder skips 0xFF fill bytes before the start marker.
        {"fill bytes first", Write("filled.jpg", fill + jpeg), S_OK},
        {"fill bytes, then a table too long",
         Write("filled_long.jpg", fill + replaced(tables.front(), tooManyCodes)), S_OK},
        {"no image data", Write("no_scan.jpg", jpeg.substr(0, scan) + "\xFF\xD9"), S_OK},
        // Found by fuzzing: a bit buffer shifted by 32, its whole width.
        {"shift past the bit buffer's width",
         std::string(KORVANE_SOURCE_DIR) +
             "/tests/fuzz/corpus/texture/found_shift_exponent_too_large.jpg",
         S_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Load(c.path), c.result);
        ASSERT_EQ(texture != nullptr, c.result == S_OK);
        if (texture != nullptr) {
            // Texels the decoder never wrote must not show what the heap held.
            const Texels first = Level(0);
            DirtyTheHeap();
            ASSERT_EQ(Load(c.path), S_OK);
            EXPECT_EQ(Level(0), first);
        }
    }
}

TEST_F(D3DXTextureTest, APngWhoseFirstDataChunkIsEmptyLoadsAsUsual) {
    const std::string png = EncodePng(kSample);
    const std::size_t data = png.find("IDAT") - 4;               // the chunk's length comes first
    const std::string empty("\0\0\0\0IDAT\x35\xAF\x06\x1E", 12); // no bytes, and their CRC
    ASSERT_EQ(Load(Write("empty_chunk.png", png.substr(0, data) + empty + png.substr(data))), S_OK);
    EXPECT_EQ(Level(0), kSampleTexels);
}

TEST_F(D3DXTextureTest, APngDataChunkLongerThanTheFileIsRefusedBeforeItsBufferIsGrown) {
    // Found by fuzzing: the decoder grows its buffer to the stated length of a
    // data chunk, up to a gigabyte (2^30, the last row) for a file of a hundred
    // bytes, before it finds the data missing.
    const std::string png = EncodePng(kSample);
    const std::size_t length = png.find("IDAT") - 4;
    const auto bytesOf = [](const std::string& file) {
        return std::span(reinterpret_cast<const unsigned char*>(file.data()), file.size());
    };
    for (const char* stated : {"\x7F\xFF\xFF\xF0", "\x00\x01\x00\x00", "\x40\x00\x00\x00"}) {
        SCOPED_TRACE(stated);
        std::string corrupt = png;
        corrupt.replace(length, 4, stated, 4);
        EXPECT_FALSE(IsSafeToDecode(bytesOf(corrupt)));
        EXPECT_EQ(Load(Write("long_chunk.png", corrupt)), D3DXERR_INVALIDDATA);
    }
    EXPECT_TRUE(IsSafeToDecode(bytesOf(png)));
}

TEST_F(D3DXTextureTest, AWideGreyImageCutShortFillsEveryLevelOfItsChain) {
    // Found by fuzzing: a 4095 x 42 grey TGA whose texels end after 25 bytes;
    // widening it to 4096 and halving it twelve times is the resizer's costliest path.
    const unsigned char tga[] = {
        0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0x0f, 0x2a,
        0x00, 0x08, 0x00, 0x16, 0x01, 0x00, 0x60, 0x20, 0x00, 0x01, 0x12, 0xd0, 0x33, 0x33, 0x32,
        0x2a, 0x2a, 0x2a, 0x2a, 0x1e, 0x28, 0x1e, 0x2f, 0x1e, 0x12, 0x12, 0x12, 0x12,
    };
    ASSERT_EQ(Load(Write("wide.tga", std::string(reinterpret_cast<const char*>(tga), sizeof tga))),
              S_OK);
    EXPECT_EQ(Made().width, 4096u);
    EXPECT_EQ(Made().height, 64u);
    ASSERT_EQ(Made().levelCount, 13u);
    EXPECT_EQ(Level(12).size(), 1u);
}

TEST_F(D3DXTextureTest, AFilesBytesInMemoryLoadAsTheFileDoes) {
    const std::string files[] = {EncodePng(kSample), EncodeBmp(ImageOf(5, 3, Greys({9, 8})), 8)};
    for (const std::string& file : files) {
        ASSERT_EQ(Load(Write("image", file)), S_OK);
        const RecordingTexture& fromFile = Made();
        IDirect3DTexture9* fromMemory = Unset;
        ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(
                      &device, file.data(), static_cast<UINT>(file.size()), 0, 0, 0, 0,
                      D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, 0,
                      nullptr, nullptr, &fromMemory),
                  S_OK);
        const RecordingTexture& made = *static_cast<RecordingTexture*>(fromMemory);
        EXPECT_EQ(std::tie(made.width, made.height, made.levels),
                  std::tie(fromFile.width, fromFile.height, fromFile.levels));
        fromMemory->Release();
    }
    // No bytes at all are a file that cannot be read; a missing buffer is a wrong call.
    IDirect3DTexture9* out = Unset;
    EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(&device, nullptr, 0, 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                                  D3DPOOL_MANAGED, D3DX_FILTER_LINEAR,
                                                  D3DX_FILTER_LINEAR, 0, nullptr, nullptr, &out),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(out, nullptr);
    out = Unset;
    EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(&device, nullptr, 4, 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                                  D3DPOOL_MANAGED, D3DX_FILTER_LINEAR,
                                                  D3DX_FILTER_LINEAR, 0, nullptr, nullptr, &out),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(out, nullptr);
}

TEST_F(D3DXTextureTest, RunningOutOfMemoryReleasesAHalfBuiltTexture) {
    if (!AllocationCountingActive()) {
        GTEST_SKIP() << "allocation failure cannot be injected in this build";
    }
    const std::string path = Write("odd.png", EncodePng(ImageOf(5, 3, Greys({1, 2, 3, 4, 5}))));
    int failures = 0;
    for (std::size_t allowed = 0;; ++allowed) {
        RecordingDevice failing;
        IDirect3DTexture9* out = Unset;
        HRESULT result = S_OK;
        {
            AllocationFailure failure(allowed);
            result = Create(&failing, path.c_str(), {}, &out);
        }
        EXPECT_EQ(failing.OverReleases(), 0);
        if (result == S_OK) {
            ASSERT_NE(out, nullptr);
            out->Release();
            break;
        }
        EXPECT_EQ(result, E_OUTOFMEMORY) << "after " << allowed << " allocations";
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(failing.LiveTextures(), 0);
        ASSERT_LT(++failures, 1000);
    }
    EXPECT_GT(failures, 3);
}

} // namespace
