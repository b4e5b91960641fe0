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

KeyList Keys(int count, float base = 0.0f) {
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
    model.objects[0].animations = {Keys(3), Keys(5)};
    model.objects[1].animations = {Keys(9)};
    EXPECT_EQ(KeyCount(model), 3);
    model.animationIndex = 1;
    EXPECT_EQ(KeyCount(model), 5);
    model.animationIndex = 2;
    EXPECT_EQ(KeyCount(model), 0);
    model.animationIndex = -1;
    EXPECT_EQ(KeyCount(model), 0);
}

TEST(KeyIndexOfFrameTest, TruncatesTowardZero) {
    EXPECT_EQ(KeyIndexOfFrame(0.0f), 0);
    EXPECT_EQ(KeyIndexOfFrame(2.9f), 2);
    EXPECT_EQ(KeyIndexOfFrame(-0.5f), 0);
    EXPECT_EQ(KeyIndexOfFrame(-1.0f), -1);
    EXPECT_EQ(KeyIndexOfFrame(3e9f), -1);
    EXPECT_EQ(KeyIndexOfFrame(-3e9f), -1);
}

// Plays a model over many draws and reports which key each draw showed
// (the translation x of the first object's world matrix) and the state after.
struct Playback {
    std::vector<float> shown;
    float frame = 0.0f;
    bool playing = false;
};

Playback Play(Model& model, int draws) {
    RecordingDevice device;
    Playback result;
    for (int i = 0; i < draws; ++i) {
        device.ClearCalls();
        DrawModel(model, &device);
        const std::vector<DeviceCall> transforms = device.CallsOf(DeviceOp::SetTransform);
        result.shown.push_back(transforms.empty() ? -1.0f : transforms.front().matrix._41);
    }
    result.frame = model.currentFrame;
    result.playing = model.playing;
    return result;
}

TEST(AdvancePlaybackTest, EndOfTheKeysFollowsTheFlags) {
    struct Case {
        const char* name;
        bool loop;
        bool holdAtEnd;
        bool playing;
        std::vector<float> shown;
        float frame;
        bool stillPlaying;
    };
    const std::vector<Case> cases = {
        {"loop", true, false, true, {0, 1, 2, 0, 1, 2, 0, 1}, 2.0f, true},
        {"stop on key 0", false, false, true, {0, 1, 2, 0, 0, 0, 0, 0}, 0.0f, false},
        {"hold the last key", true, true, true, {0, 1, 2, 2, 2, 2, 2, 2}, 2.0f, false},
        {"hold without loop", false, true, true, {0, 1, 2, 2, 2, 2, 2, 2}, 2.0f, false},
        {"not playing", true, false, false, {0, 0, 0, 0, 0, 0, 0, 0}, 0.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Model model;
        model.objects.resize(1);
        model.objects[0].animations = {Keys(3)};
        model.loop = c.loop;
        model.holdAtEnd = c.holdAtEnd;
        model.playing = c.playing;
        const Playback playback = Play(model, 8);
        EXPECT_EQ(playback.shown, c.shown);
        EXPECT_EQ(playback.frame, c.frame);
        EXPECT_EQ(playback.playing, c.stillPlaying);
    }
}

TEST(AdvancePlaybackTest, WithoutKeysEveryDrawShowsKeyZeroOrTheIdentity) {
    Model model;
    model.objects.resize(2);
    model.objects[1].animations = {Keys(4, 7.0f)}; // only the second object has keys
    RecordingDevice device;
    for (int i = 0; i < 5; ++i) {
        device.ClearCalls();
        DrawModel(model, &device);
        EXPECT_EQ(model.currentFrame, 0.0f);
        const std::vector<DeviceCall> transforms = device.CallsOf(DeviceOp::SetTransform);
        ASSERT_EQ(transforms.size(), 2u);
        EXPECT_EQ(D3DXMATRIX(transforms[0].matrix), IdentityMatrix());
        EXPECT_EQ(transforms[1].matrix._41, 7.0f);
    }
}

TEST(AdvancePlaybackTest, HoldingWithoutKeysRestsOnNoKey) {
    Model model;
    model.objects.resize(1);
    model.holdAtEnd = true;
    AdvancePlayback(model);
    EXPECT_EQ(model.currentFrame, -1.0f);
    EXPECT_FALSE(model.playing);
    AdvancePlayback(model);
    EXPECT_EQ(model.currentFrame, -1.0f);
}

TEST(AdvancePlaybackTest, AModelWithoutObjectsStaysOnFrameZero) {
    Model model;
    for (int i = 0; i < 3; ++i) {
        AdvancePlayback(model);
        EXPECT_EQ(model.currentFrame, 0.0f);
        EXPECT_TRUE(model.playing);
    }
}

TEST(AdvancePlaybackTest, OtherObjectsFollowTheFirstObjectsLength) {
    Model model;
    model.objects.resize(3);
    model.objects[0].animations = {Keys(3)};
    model.objects[1].animations = {Keys(2, 10.0f)}; // shorter: identity for frame 2
    model.objects[2].animations = {Keys(5, 20.0f)}; // longer: keys 3 and 4 never shown
    RecordingDevice device;
    std::vector<std::vector<float>> shown(3);
    for (int i = 0; i < 6; ++i) {
        device.ClearCalls();
        DrawModel(model, &device);
        const std::vector<DeviceCall> transforms = device.CallsOf(DeviceOp::SetTransform);
        ASSERT_EQ(transforms.size(), 3u);
        for (std::size_t o = 0; o < 3; ++o) {
            shown[o].push_back(transforms[o].matrix._41);
        }
    }
    EXPECT_EQ(shown[1], (std::vector<float>{10, 11, 0, 10, 11, 0}));
    EXPECT_EQ(shown[2], (std::vector<float>{20, 21, 22, 20, 21, 22}));
}

} // namespace
