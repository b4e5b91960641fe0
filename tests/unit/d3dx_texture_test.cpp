#include "platform/d3dx_texture.h"

#include <functional>

#include <gtest/gtest.h>

#include "tests/support/allocation_counter.h"
#include "tests/support/image_files.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_files.h"

namespace {

// The arguments of one load; the defaults are the ones the game passes.
struct Request {
    UINT width = 0;
    UINT height = 0;
    UINT levels = 0;
    DWORD usage = 0;
    D3DFORMAT format = D3DFMT_A8R8G8B8;
    D3DPOOL pool = D3DPOOL_MANAGED;
    DWORD filter = D3DX_FILTER_LINEAR;
    DWORD mipFilter = D3DX_FILTER_LINEAR;
    D3DCOLOR colorKey = 0;
};

// Stands for "not set" in texture outputs, so a test sees the loader clear it.
IDirect3DTexture9* const Unset = reinterpret_cast<IDirect3DTexture9*>(0x10);

// Four distinct colours over two rows, alpha included.
TestImage Sample() {
    TestImage image = TestImage::Solid(4, 2, Rgba{});
    image.texels = {{0x11, 0x22, 0x33, 0x44}, {0xFF, 0x00, 0x00, 0xFF}, {0x00, 0xFF, 0x00, 0x80},
                    {0x00, 0x00, 0xFF, 0x00}, {0x10, 0x20, 0x30, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF},
                    {0x00, 0x00, 0x00, 0xFF}, {0x7F, 0x7F, 0x7F, 0xC0}};
    return image;
}

TestImage Grey(int width, int height, std::initializer_list<int> values) {
    TestImage image = TestImage::Solid(width, height, Rgba{});
    std::size_t i = 0;
    for (const int v : values) {
        const auto value = static_cast<std::uint8_t>(v);
        image.texels[i++] = Rgba{value, value, value, value};
    }
    return image;
}

std::uint32_t GreyArgb(int v) {
    const auto value = static_cast<std::uint8_t>(v);
    return Rgba{value, value, value, value}.Argb();
}

class D3DXTextureTest : public ::testing::Test {
  protected:
    ~D3DXTextureTest() override {
        if (texture != nullptr && texture != Unset) {
            texture->Release();
        }
        EXPECT_EQ(device.LiveTextures(), 0);
        EXPECT_EQ(device.OverReleases(), 0);
    }

    std::string Write(const std::string& name, const std::string& bytes) {
        folder.Write(name, bytes);
        return folder.PathOf(name).string();
    }

    HRESULT Load(const std::string& path, const Request& r = {}, D3DXIMAGE_INFO* info = nullptr) {
        if (texture != nullptr && texture != Unset) {
            texture->Release();
        }
        texture = Unset;
        return D3DXCreateTextureFromFileExA(&device, path.c_str(), r.width, r.height, r.levels,
                                            r.usage, r.format, r.pool, r.filter, r.mipFilter,
                                            r.colorKey, info, nullptr, &texture);
    }

    RecordingTexture& Made() { return *static_cast<RecordingTexture*>(texture); }

    std::vector<std::uint32_t> Level(UINT level) {
        std::vector<std::uint32_t> texels;
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

std::vector<std::uint32_t> ArgbOf(const TestImage& image, bool opaque) {
    std::vector<std::uint32_t> texels;
    for (Rgba t : image.texels) {
        if (opaque) {
            t.a = 0xFF;
        }
        texels.push_back(t.Argb());
    }
    return texels;
}

TEST_F(D3DXTextureTest, ReadsEveryFormatTopRowFirstAsA8R8G8B8) {
    const TestImage image = Sample();
    struct Case {
        const char* name;
        std::string bytes;
        bool keepsAlpha;
    };
    const Case cases[] = {
        {"sample8.bmp", EncodeBmp(image, 8), false},
        {"sample24.bmp", EncodeBmp(image, 24), false},
        {"sample32.bmp", EncodeBmp(image, 32), true},
        {"sample.png", EncodePng(image), true},
        {"sample-rle.tga", EncodeTga(image, true), true},
        {"sample.tga", EncodeTga(image, false), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device.ClearCalls();
        ASSERT_EQ(Load(Write(c.name, c.bytes)), S_OK);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(device.Described(DeviceOp::CreateTexture),
                  std::vector<std::string>{"CreateTexture(4, 2, 3, 21)"});
        EXPECT_EQ(Made().pool, D3DPOOL_MANAGED);
        EXPECT_EQ(Made().usage, 0u);
        EXPECT_EQ(Level(0), ArgbOf(image, !c.keepsAlpha));
    }
}

TEST_F(D3DXTextureTest, JpegKeepsItsColoursClosely) {
    const Rgba colour{200, 100, 50, 255};
    ASSERT_EQ(Load(Write("solid.jpg", EncodeJpeg(TestImage::Solid(8, 8, colour)))), S_OK);
    for (UINT level = 0; level < Made().levelCount; ++level) {
        for (const std::uint32_t texel : Level(level)) {
            EXPECT_EQ(texel >> 24, 0xFFu);
            EXPECT_NEAR(static_cast<int>((texel >> 16) & 0xFF), colour.r, 3);
            EXPECT_NEAR(static_cast<int>((texel >> 8) & 0xFF), colour.g, 3);
            EXPECT_NEAR(static_cast<int>(texel & 0xFF), colour.b, 3);
        }
    }
}

TEST_F(D3DXTextureTest, SizesRoundUpToPowersOfTwoWithAFullChain) {
    struct Case {
        int width;
        int height;
        UINT textureWidth;
        UINT textureHeight;
        UINT levels;
    };
    const Case cases[] = {
        {1, 1, 1, 1, 1},     {3, 5, 4, 8, 4},     {17, 2, 32, 2, 6},
        {64, 63, 64, 64, 7}, {100, 1, 128, 1, 8},
    };
    const Rgba colour{12, 34, 56, 78};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        ASSERT_EQ(Load(Write("solid.png", EncodePng(TestImage::Solid(c.width, c.height, colour)))),
                  S_OK);
        EXPECT_EQ(Made().width, c.textureWidth);
        EXPECT_EQ(Made().height, c.textureHeight);
        ASSERT_EQ(Made().levelCount, c.levels);
        EXPECT_EQ(Made().LevelWidth(c.levels - 1), 1u);
        EXPECT_EQ(Made().LevelHeight(c.levels - 1), 1u);
        // A solid image stays that colour through every resampling.
        for (UINT level = 0; level < c.levels; ++level) {
            for (const std::uint32_t texel : Level(level)) {
                ASSERT_EQ(texel, colour.Argb()) << "level " << level;
            }
        }
    }
}

TEST_F(D3DXTextureTest, FiltersDecideHowAnImageIsEnlarged) {
    // A black and a white texel stretched to four; beyond the edges the
    // image wraps around unless mirroring is asked for.
    const std::string path = Write("pair.png", EncodePng(Grey(2, 1, {0, 255})));
    struct Case {
        const char* name;
        DWORD filter;
        std::vector<std::uint32_t> texels;
    };
    const std::vector<Case> cases = {
        {"linear", D3DX_FILTER_LINEAR, {GreyArgb(64), GreyArgb(64), GreyArgb(191), GreyArgb(191)}},
        {"linear mirrored",
         D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR_U,
         {GreyArgb(0), GreyArgb(64), GreyArgb(191), GreyArgb(255)}},
        {"triangle",
         D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER,
         {GreyArgb(64), GreyArgb(64), GreyArgb(191), GreyArgb(191)}},
        {"point", D3DX_FILTER_POINT, {GreyArgb(0), GreyArgb(0), GreyArgb(255), GreyArgb(255)}},
        {"none", D3DX_FILTER_NONE, {GreyArgb(0), GreyArgb(255), 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Request request;
        request.width = 4;
        request.height = 1;
        request.levels = 1;
        request.filter = c.filter;
        ASSERT_EQ(Load(path, request), S_OK);
        EXPECT_EQ(Level(0), c.texels);
    }
}

TEST_F(D3DXTextureTest, EachMipLevelAveragesTheLevelAbove) {
    // Four 2 x 2 blocks, each averaging to one value: 60, 100, 100 and 25.
    // Alpha carries the same values and is filtered like any channel.
    const TestImage image =
        Grey(4, 4, {0, 40, 100, 100, 80, 120, 100, 100, 200, 0, 10, 20, 200, 0, 30, 40});
    ASSERT_EQ(Load(Write("blocks.tga", EncodeTga(image, false))), S_OK);
    ASSERT_EQ(Made().levelCount, 3u);
    EXPECT_EQ(Level(1), (std::vector<std::uint32_t>{GreyArgb(60), GreyArgb(100), GreyArgb(100),
                                                    GreyArgb(25)}));
    EXPECT_EQ(Level(2), std::vector<std::uint32_t>{GreyArgb(71)}); // 71.25

    ASSERT_EQ(Load(Write("checker.bmp", EncodeBmp(Grey(2, 2, {0, 255, 255, 0}), 32))), S_OK);
    const std::uint32_t grey = Made().Texel(1, 0, 0);
    EXPECT_TRUE(grey == GreyArgb(127) || grey == GreyArgb(128)) << std::hex << grey;
}

TEST_F(D3DXTextureTest, AWideImageHalvesDownToOneTexel) {
    ASSERT_EQ(Load(Write("wide.png", EncodePng(TestImage::Solid(8, 2, Rgba{1, 2, 3, 4})))), S_OK);
    ASSERT_EQ(Made().levelCount, 4u);
    const UINT sizes[4][2] = {{8, 2}, {4, 1}, {2, 1}, {1, 1}};
    for (UINT level = 0; level < 4; ++level) {
        EXPECT_EQ(Made().LevelWidth(level), sizes[level][0]);
        EXPECT_EQ(Made().LevelHeight(level), sizes[level][1]);
    }
}

TEST_F(D3DXTextureTest, ExplicitSizesAndLevelsAreHonoured) {
    const std::string odd = Write("odd.png", EncodePng(TestImage::Solid(3, 5, Rgba{9, 9, 9, 9})));
    struct Case {
        const char* name;
        UINT width;
        UINT height;
        UINT levels;
        std::string created;
    };
    const Case cases[] = {
        {"larger, two levels", 8, 16, 2, "CreateTexture(8, 16, 2, 21)"},
        {"exactly as in the file", D3DX_DEFAULT_NONPOW2, D3DX_FROM_FILE, D3DX_FROM_FILE,
         "CreateTexture(3, 5, 1, 21)"},
        {"defaults", D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, "CreateTexture(4, 8, 4, 21)"},
        {"more levels than the chain has", 0, 0, 99, "CreateTexture(4, 8, 4, 21)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device.ClearCalls();
        Request request;
        request.width = c.width;
        request.height = c.height;
        request.levels = c.levels;
        ASSERT_EQ(Load(odd, request), S_OK);
        EXPECT_EQ(device.Described(DeviceOp::CreateTexture), std::vector<std::string>{c.created});
        EXPECT_EQ(Level(Made().levelCount - 1).front(), (Rgba{9, 9, 9, 9}.Argb()));
    }
}

TEST_F(D3DXTextureTest, RowsAreWrittenAtTheTexturesPitch) {
    device.texturePitchPadding = 3;
    const TestImage image = Sample();
    ASSERT_EQ(Load(Write("sample.png", EncodePng(image))), S_OK);
    EXPECT_EQ(Level(0), ArgbOf(image, false));
    // The padding after each row is left as the device made it.
    for (UINT level = 0; level < Made().levelCount; ++level) {
        for (UINT y = 0; y < Made().LevelHeight(level); ++y) {
            for (UINT x = Made().LevelWidth(level); x < Made().RowStride(level); ++x) {
                EXPECT_EQ(Made().Texel(level, x, y), 0xCDCDCDCDu);
            }
        }
    }
}

TEST_F(D3DXTextureTest, X8R8G8B8TexelsAreOpaque) {
    Request request;
    request.format = D3DFMT_X8R8G8B8;
    const TestImage image = Sample();
    ASSERT_EQ(Load(Write("sample.png", EncodePng(image)), request), S_OK);
    EXPECT_EQ(Made().format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(Level(0), ArgbOf(image, true));
}

TEST_F(D3DXTextureTest, TexelsMatchingTheColourKeyBecomeTransparentBlack) {
    const std::string path = Write("sample.png", EncodePng(Sample()));
    Request request;
    request.levels = 1;
    request.colorKey = 0xFFFF0000; // opaque red, the second texel
    ASSERT_EQ(Load(path, request), S_OK);
    std::vector<std::uint32_t> expected = ArgbOf(Sample(), false);
    expected[1] = 0;
    EXPECT_EQ(Level(0), expected);

    request.colorKey = 0x80FF0000; // alpha is part of the key
    ASSERT_EQ(Load(path, request), S_OK);
    EXPECT_EQ(Level(0), ArgbOf(Sample(), false));
}

TEST_F(D3DXTextureTest, SourceInfoDescribesTheFile) {
    struct Case {
        const char* name;
        std::string bytes;
        D3DFORMAT format;
        D3DXIMAGE_FILEFORMAT fileFormat;
    };
    const TestImage image = TestImage::Solid(3, 5, Rgba{1, 2, 3, 255});
    const Case cases[] = {
        {"a.png", EncodePng(image), D3DFMT_A8R8G8B8, D3DXIFF_PNG},
        {"a.bmp", EncodeBmp(image, 24), D3DFMT_R8G8B8, D3DXIFF_BMP},
        {"a.tga", EncodeTga(image, true), D3DFMT_A8R8G8B8, D3DXIFF_TGA},
        {"a.jpg", EncodeJpeg(image), D3DFMT_R8G8B8, D3DXIFF_JPG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        D3DXIMAGE_INFO info{};
        ASSERT_EQ(Load(Write(c.name, c.bytes), Request{}, &info), S_OK);
        EXPECT_EQ(info.Width, 3u);
        EXPECT_EQ(info.Height, 5u);
        EXPECT_EQ(info.Depth, 1u);
        EXPECT_EQ(info.MipLevels, 1u);
        EXPECT_EQ(info.Format, c.format);
        EXPECT_EQ(info.ResourceType, D3DRTYPE_TEXTURE);
        EXPECT_EQ(info.ImageFileFormat, c.fileFormat);
    }
}

TEST_F(D3DXTextureTest, FailuresLeaveNoTextureBehind) {
    const std::string png = EncodePng(Sample());
    const std::string good = Write("good.png", png);
    struct Case {
        const char* name;
        std::function<void(RecordingDevice&)> arrange;
        std::string path;
        Request request;
        HRESULT result;
        bool createsTexture;
    };
    Request badFormat;
    badFormat.format = D3DFMT_R5G6B5;
    Request noFilter;
    noFilter.filter = 0;
    Request badMipFilter;
    badMipFilter.mipFilter = 6;
    Request tooWide;
    tooWide.width = 16385;
    const auto nothing = [](RecordingDevice&) {};
    const std::vector<Case> cases = {
        {"missing file",
         nothing,
         folder.PathOf("missing.png").string(),
         {},
         D3DXERR_INVALIDDATA,
         false},
        {"empty file", nothing, Write("empty.png", ""), {}, D3DXERR_INVALIDDATA, false},
        {"text", nothing, Write("text.png", "not an image at all"), {}, D3DXERR_INVALIDDATA, false},
        {"truncated", nothing, Write("cut.png", png.substr(0, 40)), {}, D3DXERR_INVALIDDATA, false},
        {"larger than any texture",
         nothing,
         Write("huge.bmp", EncodeBmp(TestImage::Solid(16385, 1, Rgba{}), 24)),
         {},
         D3DXERR_INVALIDDATA,
         false},
        {"format not written", nothing, good, badFormat, D3DERR_INVALIDCALL, false},
        {"no filter", nothing, good, noFilter, D3DERR_INVALIDCALL, false},
        {"unknown mip filter", nothing, good, badMipFilter, D3DERR_INVALIDCALL, false},
        {"size beyond the limit", nothing, good, tooWide, D3DERR_INVALIDCALL, false},
        {"device refuses",
         [](RecordingDevice& d) { d.createTextureResult = E_OUTOFMEMORY; },
         good,
         {},
         E_OUTOFMEMORY,
         false},
        {"lock refused",
         [](RecordingDevice& d) { d.textureLockResult = D3DERR_INVALIDCALL; },
         good,
         {},
         D3DERR_INVALIDCALL,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDevice failing;
        c.arrange(failing);
        IDirect3DTexture9* out = Unset;
        const Request& r = c.request;
        EXPECT_EQ(D3DXCreateTextureFromFileExA(&failing, c.path.c_str(), r.width, r.height,
                                               r.levels, r.usage, r.format, r.pool, r.filter,
                                               r.mipFilter, r.colorKey, nullptr, nullptr, &out),
                  c.result);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(failing.textures.size(), c.createsTexture ? 1u : 0u);
        EXPECT_EQ(failing.LiveTextures(), 0);
        EXPECT_EQ(failing.OverReleases(), 0);
    }
}

TEST_F(D3DXTextureTest, MissingArgumentsAreInvalidCalls) {
    const std::string path = Write("good.png", EncodePng(Sample()));
    IDirect3DTexture9* out = Unset;
    EXPECT_EQ(D3DXCreateTextureFromFileExA(nullptr, path.c_str(), 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                           D3DPOOL_MANAGED, 3, 3, 0, nullptr, nullptr, &out),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(out, nullptr);
    out = Unset;
    EXPECT_EQ(D3DXCreateTextureFromFileExA(&device, nullptr, 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                           D3DPOOL_MANAGED, 3, 3, 0, nullptr, nullptr, &out),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(D3DXCreateTextureFromFileExA(&device, path.c_str(), 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                           D3DPOOL_MANAGED, 3, 3, 0, nullptr, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_TRUE(device.textures.empty());
}

TEST_F(D3DXTextureTest, RunningOutOfMemoryReleasesAHalfBuiltTexture) {
    if (!AllocationCountingActive()) {
        GTEST_SKIP() << "allocation failure cannot be injected in this build";
    }
    const std::string path = Write("sample.png", EncodePng(Grey(5, 3, {1, 2, 3, 4, 5, 6, 7, 8})));
    int failures = 0;
    for (std::size_t allowed = 0;; ++allowed) {
        RecordingDevice failing;
        IDirect3DTexture9* out = Unset;
        HRESULT result = S_OK;
        {
            AllocationFailure failure(allowed);
            result =
                D3DXCreateTextureFromFileExA(&failing, path.c_str(), 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                             D3DPOOL_MANAGED, 3, 3, 0, nullptr, nullptr, &out);
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
        ++failures;
        ASSERT_LT(failures, 1000);
    }
    EXPECT_GT(failures, 3);
}

} // namespace
