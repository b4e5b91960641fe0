// Where the native device's picture lies in a drawable of any size, where
// the core's rectangles land in it, and a frame reduced to a smaller size.
#include "platform/opengl/frame_pixels.h"
#include "platform/opengl/picture_layout.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

constexpr UINT kWidth = 640;
constexpr UINT kHeight = 480;

auto Tied(const ScissorBox& box) {
    return std::tie(box.x, box.y, box.width, box.height);
}

} // namespace

TEST(GlPicture, ThePictureIsTheLargestCentredBoxOfTheBackBuffersShape) {
    struct Case {
        const char* what;
        SurfaceSize drawable;
        ScissorBox picture;
    };
    const std::vector<Case> cases = {
        {"the back buffer's own size", {640, 480}, {0, 0, 640, 480}},
        {"twice as large", {1280, 960}, {0, 0, 1280, 960}},
        {"16:9, bars left and right", {1280, 720}, {160, 0, 960, 720}},
        {"4K", {3840, 2160}, {480, 0, 2880, 2160}},
        {"a phone upright, bars above and below", {1170, 2532}, {0, 827, 1170, 878}},
        {"an odd pixel of bar goes to the right", {641, 480}, {0, 0, 640, 480}},
        {"smaller than the back buffer", {320, 200}, {26, 0, 267, 200}},
        {"one pixel", {1, 1}, {0, 0, 1, 1}},
        {"a minimised window", {0, 0}, {0, 0, 0, 0}},
        {"a broken size", {-5, 480}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const ScissorBox picture = PictureBoxIn(c.drawable, kWidth, kHeight);
        EXPECT_EQ(Tied(picture), Tied(c.picture)) << c.what;
        EXPECT_LE(picture.x + picture.width, std::max(c.drawable.width, 0)) << c.what;
        EXPECT_LE(picture.y + picture.height, std::max(c.drawable.height, 0)) << c.what;
    }
    EXPECT_EQ(Tied(PictureBoxIn({640, 480}, 0, 480)), Tied(ScissorBox{}));
}

TEST(GlPicture, TheCoresRectanglesLandOnTheSamePartOfThePicture) {
    struct Case {
        D3DRECT rect;
        SurfaceSize drawable;
        bool covers;
        ScissorBox box;
    };
    const std::vector<Case> cases = {
        {{10, 20, 110, 70}, {640, 480}, true, {10, 20, 100, 50}},
        {{0, 0, 640, 480}, {640, 480}, true, {0, 0, 640, 480}},
        {{10, 20, 110, 70}, {1280, 960}, true, {20, 40, 200, 100}},
        {{0, 0, 640, 480}, {1280, 720}, true, {160, 0, 960, 720}}, // the bars stay out
        {{10, 20, 110, 70}, {1280, 720}, true, {175, 30, 150, 75}},
        {{11, 0, 12, 1}, {1280, 720}, true, {177, 0, 1, 2}},         // 1.5 pixels a pixel
        {{12, 0, 13, 1}, {1280, 720}, true, {178, 0, 2, 2}},         // meets the one before
        {{-50, 400, 40, 600}, {1280, 960}, true, {0, 800, 80, 160}}, // cut to the buffer
        {{700, 10, 800, 20}, {1280, 960}, false, {}},                // beside it
        {{0, 0, 1, 1}, {320, 240}, true, {0, 0, 1, 1}}, // half a pixel's edge rounds up
        {{1, 1, 2, 2}, {320, 240}, false, {}},          // and the next one is empty
        {{0, 0, 2, 2}, {320, 240}, true, {0, 0, 1, 1}},
    };
    for (const Case& c : cases) {
        const ScissorBox picture = PictureBoxIn(c.drawable, kWidth, kHeight);
        ScissorBox box;
        ASSERT_EQ(PictureBoxFor(c.rect, kWidth, kHeight, picture, box), c.covers)
            << c.rect.x1 << "," << c.rect.y1 << " in " << c.drawable.width;
        if (c.covers) {
            EXPECT_EQ(Tied(box), Tied(c.box))
                << c.rect.x1 << "," << c.rect.y1 << " in " << c.drawable.width;
        }
    }
}

TEST(GlPicture, AReducedFrameAveragesWhatEachPixelCovers) {
    // Channels a, r, g, b of a 0xAARRGGBB word.
    const auto argb = [](std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
        return a << 24 | r << 16 | g << 8 | b;
    };
    const FramePixels four{4,
                           2,
                           {argb(255, 0, 0, 0), argb(255, 255, 0, 0), argb(255, 10, 20, 30),
                            argb(255, 11, 21, 31), argb(255, 0, 0, 0), argb(255, 255, 0, 0),
                            argb(0, 12, 22, 32), argb(0, 12, 22, 32)}};
    struct Case {
        const char* what;
        int width;
        int height;
        std::vector<std::uint32_t> pixels;
    };
    const std::vector<Case> cases = {
        {"its own size gives the frame as it is", 4, 2, four.pixels},
        {"two by two into one, rounded to the nearest",
         2,
         1,
         {argb(255, 128, 0, 0), argb(128, 11, 21, 31)}},
        {"a pixel and a half into each",
         3,
         1,
         {argb(255, 64, 0, 0), argb(191, 133, 11, 16), argb(128, 11, 21, 31)}},
        {"everything into one", 1, 1, {argb(191, 69, 11, 16)}},
        {"larger is refused", 8, 4, {}},
        {"no pixels is refused", 0, 1, {}},
    };
    for (const Case& c : cases) {
        const FramePixels reduced = ReducedFrame(four, c.width, c.height);
        EXPECT_EQ(reduced.pixels, c.pixels) << c.what;
        if (!c.pixels.empty()) {
            EXPECT_EQ(std::tie(reduced.width, reduced.height), std::tie(c.width, c.height));
        }
    }
    // A frame whose pixels do not fill its size is not read past its end.
    const FramePixels short_{4, 2, {0, 0, 0}};
    EXPECT_TRUE(ReducedFrame(short_, 2, 1).pixels.empty());
}
