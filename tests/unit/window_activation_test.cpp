// The shells' one rule for the game window's activation, About box and
// quitting, as the keyboard sees it.
#include "app/window_activation.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/scene_objects.h"
#include "platform/devices/device_window.h"
#include "platform/devices/keyboard_input.h"
#include "tests/support/recording_input.h"

namespace {

using Step = std::function<void(GameWindowState&)>;

const Step kFocus = [](GameWindowState& w) { w.focused = true, UpdateActivation(w); };
const Step kBlur = [](GameWindowState& w) { w.focused = false, UpdateActivation(w); };
const Step kHide = [](GameWindowState& w) { w.visible = false, UpdateActivation(w); };
const Step kShow = [](GameWindowState& w) { w.visible = true, UpdateActivation(w); };
const Step kAbout = [](GameWindowState& w) { OpenAboutBox(w); };
const Step kClosedFocused = [](GameWindowState& w) { AboutBoxClosed(w, true); };
const Step kClosedElsewhere = [](GameWindowState& w) { AboutBoxClosed(w, false); };
const Step kQuit = [](GameWindowState& w) { BeginQuit(w); };

// The game's keyboard on a recording device, not acquired yet, for one case.
struct KeyboardOnRecord {
    KeyboardOnRecord() : before(keyboardInput) {
        RecordingInputSystem::Reset();
        mainWindow = reinterpret_cast<HWND>(0x1234);
        keyboardInput = new KeyboardInput();
        keyboardInput->Initialize();
        device = static_cast<RecordingKeyboard*>(keyboardInput->keyboardDevice);
        device->acquired = false;
        device->acquireCalls = 0;
    }
    ~KeyboardOnRecord() {
        KeyboardInput::Destroy(keyboardInput);
        keyboardInput = before; // the scene's own, made before main
        mainWindow = nullptr;
        RecordingInputSystem::Reset();
    }

    KeyboardInput* before;
    RecordingKeyboard* device = nullptr;
};

} // namespace

TEST(WindowActivationTest,
     TheKeyboardIsHeldWhileTheRunningWindowIsFocusedShownAndNotBehindItsAboutBox) {
    struct Case {
        const char* name;
        std::vector<Step> steps;
        bool acquired;    // the keyboard at the end
        int acquireCalls; // the keyboard is told of changes only
        int unacquireCalls;
    };
    const Case cases[] = {
        {"focused", {kFocus}, true, 1, 0},
        {"focused twice", {kFocus, kFocus}, true, 1, 0},
        {"focus lost", {kFocus, kBlur}, false, 1, 1},
        {"hidden while focused", {kFocus, kHide}, false, 1, 1},
        {"shown again", {kFocus, kHide, kShow}, true, 2, 1},
        {"the About box takes it", {kFocus, kAbout}, false, 1, 1},
        {"focus behind the About box", {kFocus, kAbout, kBlur, kFocus}, false, 1, 1},
        {"About closed, focus back", {kFocus, kAbout, kClosedFocused}, true, 2, 1},
        {"About closed, focus gone", {kFocus, kAbout, kClosedElsewhere}, false, 1, 1},
        {"a second About box", {kFocus, kAbout, kAbout, kClosedFocused}, true, 2, 1},
        {"quit lets it go", {kFocus, kQuit}, false, 1, 1},
        {"nothing after quitting", {kFocus, kQuit, kFocus, kAbout, kClosedFocused}, false, 1, 1},
    };
    for (const Case& c : cases) {
        const KeyboardOnRecord keyboard;
        ASSERT_NE(keyboard.device, nullptr);
        GameWindowState window{.running = true};
        for (const Step& step : c.steps) {
            step(window);
        }
        EXPECT_EQ(keyboard.device->acquired, c.acquired) << c.name;
        EXPECT_EQ(keyboard.device->acquireCalls, c.acquireCalls) << c.name;
        EXPECT_EQ(keyboard.device->unacquireCalls, c.unacquireCalls) << c.name;
    }
}

TEST(WindowCloseTest, AWindowClosesOnceAndNotBehindItsAboutBox) {
    GameWindowState window{.running = true};
    EXPECT_TRUE(MayClose(window));
    window.aboutOpen = true;
    EXPECT_FALSE(MayClose(window));
    EXPECT_TRUE(BeginQuit(window)); // a signal ends the game with the box open, too
    EXPECT_FALSE(MayClose(window));
    EXPECT_FALSE(BeginQuit(window));
}
