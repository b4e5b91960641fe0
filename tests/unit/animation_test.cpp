#include "render/animation.h"

#include <gtest/gtest.h>

#include "render/model_drawing.h"
#include "tests/support/recording_device.h"

namespace {

// A key recognisable by its translation x.
D3DXMATRIX Key(float x) {
    D3DXMATRIX key;
    D3DXMatrixTranslation(&key, x, 0.0f, 0.0f);
    return key;
}

KeyList Keys(int count, float base) {
    KeyList keys;
    for (int k = 0; k < count; ++k) {
        keys.push_back(Key(base + static_cast<float>(k)));
    }
    return keys;
}

TEST(GetKeyMatrixTest, GivesTheKeyOrTheIdentity) {
    ModelObject object;
    object.animations = {Keys(2, 10.0f), {}};
    struct Case {
        int animation;
        int key;
        D3DXMATRIX expected;
    };
    const Case cases[] = {
        {0, 0, Key(10.0f)},        {0, 1, Key(11.0f)},
        {0, 2, IdentityMatrix()},  {0, -1, IdentityMatrix()},
        {1, 0, IdentityMatrix()},  {2, 0, IdentityMatrix()},
        {-1, 0, IdentityMatrix()}, {0, 1 << 30, IdentityMatrix()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetKeyMatrix(object, c.animation, c.key), c.expected)
            << "animation " << c.animation << ", key " << c.key;
    }
    EXPECT_EQ(GetKeyMatrix(ModelObject{}, 0, 0), IdentityMatrix());
}

TEST(KeyCountTest, TheFirstObjectDecides) {
    Model model;
    EXPECT_EQ(KeyCount(model), 0); // no objects at all
    model.objects.resize(2);
    model.objects[0].animations = {Keys(3, 0.0f), Keys(5, 0.0f)};
    model.objects[1].animations = {Keys(9, 0.0f)};
    for (const auto& [animation, count] : {std::pair{0, 3}, {1, 5}, {2, 0}, {-1, 0}}) {
        model.animationIndex = animation;
        EXPECT_EQ(KeyCount(model), count) << "animation " << animation;
    }
}

TEST(KeyIndexOfFrameTest, TruncatesTowardZero) {
    const std::pair<float, int> cases[] = {{0.0f, 0},   {2.9f, 2},  {-0.5f, 0},
                                           {-1.0f, -1}, {3e9f, -1}, {-3e9f, -1}};
    for (const auto& [frame, index] : cases) {
        EXPECT_EQ(KeyIndexOfFrame(frame), index) << frame;
    }
}

// Each row draws a model eight times and records which key each draw showed
// for each object (its translation x; 0 is the identity, no key) and the
// playback state after.
TEST(AdvancePlaybackTest, EachDrawShowsTheFramesKeyThenPlaybackFollowsTheFlags) {
    using Shown = std::vector<float>;
    struct Case {
        const char* name;
        std::vector<KeyList> objects; // each object's only key list; empty for none
        bool loop;
        bool holdAtEnd;
        bool playing;
        std::vector<Shown> shown; // per object
        float frame;
        bool stillPlaying;
    };
    const KeyList three = Keys(3, 1.0f);
    const Case cases[] = {
        {"loop", {three}, true, false, true, {{1, 2, 3, 1, 2, 3, 1, 2}}, 2.0f, true},
        {"stop on key 0", {three}, false, false, true, {{1, 2, 3, 1, 1, 1, 1, 1}}, 0.0f, false},
        {"hold the last key", {three}, true, true, true, {{1, 2, 3, 3, 3, 3, 3, 3}}, 2.0f, false},
        {"hold without loop", {three}, false, true, true, {{1, 2, 3, 3, 3, 3, 3, 3}}, 2.0f, false},
        {"not playing", {three}, true, false, false, {{1, 1, 1, 1, 1, 1, 1, 1}}, 0.0f, false},
        {"without objects", {}, true, false, true, {}, 0.0f, true},
        // Holding with no keys rests on no key at all.
        {"hold without keys", {{}}, true, true, true, {Shown(8, 0.0f)}, -1.0f, false},
        // Only the first object's keys count: here it has none.
        {"keys on the second object only",
         {{}, Keys(4, 7.0f)},
         true,
         false,
         true,
         {Shown(8, 0.0f), Shown(8, 7.0f)},
         0.0f,
         true},
        // A shorter list shows no key for the last frames; a longer one is cut.
        {"other objects follow the first's length",
         {three, Keys(2, 10.0f), Keys(5, 20.0f)},
         true,
         false,
         true,
         {{1, 2, 3, 1, 2, 3, 1, 2},
          {10, 11, 0, 10, 11, 0, 10, 11},
          {20, 21, 22, 20, 21, 22, 20, 21}},
         2.0f,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Model model;
        for (const KeyList& keys : c.objects) {
            ModelObject& object = model.objects.emplace_back();
            if (!keys.empty()) {
                object.animations = {keys};
            }
        }
        model.loop = c.loop;
        model.holdAtEnd = c.holdAtEnd;
        model.playing = c.playing;
        RecordingDevice device;
        std::vector<Shown> shown(c.objects.size());
        for (int draw = 0; draw < 8; ++draw) {
            device.ClearCalls();
            DrawModel(model, &device);
            const std::vector<DeviceCall> transforms = device.CallsOf(DeviceOp::SetTransform);
            ASSERT_EQ(transforms.size(), shown.size());
            for (std::size_t o = 0; o < shown.size(); ++o) {
                shown[o].push_back(transforms[o].matrix._41);
            }
        }
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(model.currentFrame, c.frame);
        EXPECT_EQ(model.playing, c.stillPlaying);
    }
}

} // namespace
