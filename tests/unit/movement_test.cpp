#include "app/movement.h"

#include <gtest/gtest.h>

#include <limits>
#include <string_view>

#include "tests/support/recording_input.h"

namespace {

// Key states with the keys named in `down` ("L", "R", "U", "D") pressed at
// this tick (1) and the rest up.
ArrowKeyStates Pressed(std::string_view down) {
    auto state = [&](char key) { return down.find(key) != down.npos ? kKeyPressed : kKeyUp; };
    ArrowKeyStates keys;
    keys.left = state('L');
    keys.right = state('R');
    keys.up = state('U');
    keys.down = state('D');
    return keys;
}

} // namespace

TEST(MovementTest, TakesTheFirstRuleWhoseKeyAndBoundHold) {
    struct Case {
        const char* name;
        ArrowKeyStates keys;
        float x, z;               // where the unit stands
        UnitStep step;            // the step taken
        float newX, newZ, facing; // where it ends and, when it steps, its facing
    };
    using enum UnitStep;
    const Case cases[] = {
        {"no key", Pressed(""), 0, 0, None, 0, 0, 0},
        {"left", Pressed("L"), 500, 300, Left, 400, 300, -90},
        {"right", Pressed("R"), 500, 300, Right, 600, 300, 90},
        {"up", Pressed("U"), 500, 300, Up, 500, 200, 180},
        {"down", Pressed("D"), 500, 300, Down, 500, 400, 0},
        {"left at the left edge", Pressed("L"), 0, 300, None, 0, 300, 0},
        {"right at the right edge", Pressed("R"), 900, 300, None, 900, 300, 0},
        {"up at the near edge", Pressed("U"), 500, 0, None, 500, 0, 0},
        {"down at the far edge", Pressed("D"), 500, 900, None, 500, 900, 0},
        {"left at the edge with right", Pressed("LR"), 0, 0, Right, 100, 0, 90},
        {"up at the edge with down", Pressed("UD"), 0, 0, Down, 0, 100, 0},
        {"left and down", Pressed("LD"), 100, 0, Left, 0, 0, -90},
        {"all four", Pressed("LRUD"), 500, 500, Left, 400, 500, -90},
        {"right and up at the right edge", Pressed("RU"), 900, 900, Up, 900, 800, 180},
        {"everything against a corner", Pressed("LU"), 0, 0, None, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const UnitMove move = DecideUnitMove(c.keys, c.x, c.z);
        EXPECT_EQ(move.step, c.step) << c.name;
        EXPECT_EQ(move.x, c.newX) << c.name;
        EXPECT_EQ(move.z, c.newZ) << c.name;
        if (move.step != UnitStep::None) {
            EXPECT_EQ(move.facingDegrees, c.facing) << c.name;
        }
    }
}

TEST(MovementTest, OnlyAKeyThatWentDownAtThisTickCounts) {
    for (const int state : {kKeyUp, kKeyHeld, kKeyReleased}) {
        ArrowKeyStates keys;
        keys.left = keys.right = keys.up = keys.down = state;
        EXPECT_EQ(DecideUnitMove(keys, 500, 500).step, UnitStep::None) << state;
    }
}

TEST(MovementTest, TileIndexIsColumnPlusTenRows) {
    struct Case {
        float x;
        float z;
        int index;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {0, 0, 0},        {900, 900, 99}, {900, 0, 9},   {0, 900, 90},    {300, 100, 13},
        {150, 250, 21},   {99.9f, 0, 0},  {-50, 0, 0},   {-100, -100, 0}, {1000, 450, 49},
        {5000, 5000, 99}, {nan, 300, 30}, {200, nan, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TileIndexAt(c.x, c.z), c.index) << c.x << ", " << c.z;
    }
}

TEST(MovementTest, PollsLeftRightUpDownOneReadEach) {
    RecordingInputSystem::Reset();
    KeyboardInput* keyboard = new KeyboardInput();
    ASSERT_EQ(keyboard->Initialize(), 0);
    RecordingKeyboard& device = *RecordingInputSystem::LastKeyboard();
    // Each read sees only the key that should be polled at that read.
    for (const int key : {DIK_LEFT, DIK_RIGHT, DIK_UP, DIK_DOWN}) {
        KeySnapshot snapshot{};
        snapshot[key] = 0x80;
        device.upcoming.push_back(snapshot);
    }

    ArrowKeyStates keys;
    PollArrowKeys(*keyboard, keys);
    EXPECT_EQ(device.stateReads, 4);
    EXPECT_EQ(keys.left, kKeyPressed);
    EXPECT_EQ(keys.right, kKeyPressed);
    EXPECT_EQ(keys.up, kKeyPressed);
    EXPECT_EQ(keys.down, kKeyPressed);

    KeyboardInput::Destroy(keyboard);
    RecordingInputSystem::Reset();
}

TEST(MovementTest, AKeyPressedJustBeforeTheWindowWentInactiveMovesOnce) {
    RecordingInputSystem::Reset();
    KeyboardInput* keyboard = new KeyboardInput();
    ASSERT_EQ(keyboard->Initialize(), 0);
    RecordingKeyboard& device = *RecordingInputSystem::LastKeyboard();
    device.SetKeyDown(DIK_RIGHT, true);

    ArrowKeyStates keys;
    float x = 0.0f;
    for (int tick = 0; tick < 5; ++tick) {
        PollArrowKeys(*keyboard, keys);
        x = DecideUnitMove(keys, x, 0.0f).x;
        if (tick == 0) {
            OnMainWindowActivate(keyboard, WA_INACTIVE);
        }
    }
    EXPECT_EQ(x, 100.0f);

    KeyboardInput::Destroy(keyboard);
    RecordingInputSystem::Reset();
}
