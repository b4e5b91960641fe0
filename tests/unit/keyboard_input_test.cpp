#include "platform/devices/keyboard_input.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/devices/device_window.h"
#include "tests/support/recording_input.h"
#include "tests/support/recording_message_box.h"

namespace {

// Released to zero exactly once and never beyond.
void ExpectReleasedOnce(const ReferenceCount& count, const char* name) {
    EXPECT_EQ(count.releasesToZero, 1) << name;
    EXPECT_EQ(count.overReleases, 0) << name;
}

class KeyboardInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordingInputSystem::Reset();
        RecordedMessageBoxes().clear();
        mainWindow = reinterpret_cast<HWND>(0x1234);
    }
    void TearDown() override {
        KeyboardInput::Destroy(keyboard);
        mainWindow = nullptr;
        RecordedMessageBoxes().clear();
        RecordingInputSystem::Reset();
    }

    // Initialises `keyboard` with the recording system as configured so far.
    void Start() {
        keyboard = new KeyboardInput();
        EXPECT_EQ(keyboard->Initialize(), 0);
        device = static_cast<RecordingKeyboard*>(keyboard->keyboardDevice);
        ASSERT_NE(device, nullptr);
    }

    // Polls `key` into `state` and checks what the poll answered and left.
    void ExpectPoll(int& state, int key, bool answer, int after) {
        EXPECT_EQ(keyboard->UpdateKeyState(state, key), answer) << "key " << key;
        EXPECT_EQ(state, after) << "key " << key;
    }

    KeyboardInput* keyboard = nullptr;
    RecordingKeyboard* device = nullptr;
};

} // namespace

TEST(LatchKeyStateTest, FollowsEachKeyFromPollToPoll) {
    struct Case {
        const char* name;
        std::vector<bool> downAtPoll;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"held for many ticks", {true, true, true, true, false, false}, {1, 3, 3, 3, 2, 0}},
        {"tapped for one tick", {true, false, false}, {1, 2, 0}},
        {"pressed again one tick after release", {true, true, false, true, true}, {1, 3, 2, 3, 3}},
        {"pressed again after a tick up", {true, false, false, true}, {1, 2, 0, 1}},
        {"never pressed", {false, false}, {0, 0}},
    };
    for (const Case& c : cases) {
        int state = kKeyUp;
        std::vector<int> states;
        for (const bool down : c.downAtPoll) {
            states.push_back(state = LatchKeyState(state, down));
        }
        EXPECT_EQ(states, c.expected) << c.name;
    }
}

TEST_F(KeyboardInputTest, InitializeOpensTheSystemKeyboardForTheMainWindowAndAcquiresIt) {
    Start();
    EXPECT_EQ(RecordingInputSystem::lastInstance, RecordingInputSystem::moduleHandle);
    EXPECT_EQ(RecordingInputSystem::lastVersion, 0x0800u);
    EXPECT_EQ(RecordingInputSystem::lastInterface, IID_IDirectInput8A);
    EXPECT_NE(keyboard->directInput, nullptr);
    EXPECT_EQ(device->dataFormat, &c_dfDIKeyboard);
    EXPECT_EQ(device->cooperativeWindow, mainWindow);
    EXPECT_EQ(device->cooperativeFlags, 6u);
    EXPECT_EQ(device->acquireCalls, 1);
    EXPECT_TRUE(device->acquired);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(KeyboardInputTest, InitializeStopsAtTheFirstFailureAndReturnsItsCode) {
    using Settings = DirectInputSettings;
    struct Case {
        const char* name;
        void (*configure)(Settings&);
        HRESULT expected;
        bool directInputMade;
        bool keyboardMade;
    };
    const Case cases[] = {
        {"DirectInput8Create", [](Settings& s) { s.createResult = E_OUTOFMEMORY; }, E_OUTOFMEMORY,
         false, false},
        {"CreateDevice", [](Settings& s) { s.createDeviceResult = DIERR_DEVICENOTREG; },
         DIERR_DEVICENOTREG, true, false},
        {"SetDataFormat", [](Settings& s) { s.keyboard.setDataFormatResult = DIERR_INVALIDPARAM; },
         DIERR_INVALIDPARAM, true, true},
        {"SetCooperativeLevel", [](Settings& s) { s.keyboard.setCooperativeLevelResult = E_FAIL; },
         E_FAIL, true, true},
    };
    for (const Case& c : cases) {
        RecordingInputSystem::Reset();
        c.configure(RecordingInputSystem::settings);
        KeyboardInput* failed = new KeyboardInput();
        EXPECT_EQ(failed->Initialize(), c.expected) << c.name;
        EXPECT_EQ(failed->directInput != nullptr, c.directInputMade) << c.name;
        EXPECT_EQ(failed->keyboardDevice != nullptr, c.keyboardMade) << c.name;
        RecordingDirectInput* directInput = RecordingInputSystem::LastDirectInput();
        RecordingKeyboard* made = RecordingInputSystem::LastKeyboard();
        EXPECT_EQ(made != nullptr ? made->acquireCalls : 0, 0) << c.name;

        // Whatever was made before the failure is released by Destroy, once.
        KeyboardInput::Destroy(failed);
        if (directInput != nullptr) {
            ExpectReleasedOnce(directInput->count, c.name);
        }
        if (made != nullptr) {
            ExpectReleasedOnce(made->count, c.name);
        }
        EXPECT_TRUE(RecordedMessageBoxes().empty()) << c.name;
    }
}

TEST_F(KeyboardInputTest, CooperativeLevelNotImplementedIsReportedAndAcceptedUnacquired) {
    RecordingInputSystem::settings.keyboard.setCooperativeLevelResult = E_NOTIMPL;
    Start();
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(RecordedMessageBoxes()[0].text, "DirectInputの初期化に失敗");
    EXPECT_EQ(RecordedMessageBoxes()[0].caption, "ERROR");
    EXPECT_EQ(device->acquireCalls, 0);

    // Activation can still acquire it later.
    OnMainWindowActivate(keyboard, 1);
    EXPECT_TRUE(device->acquired);
}

TEST_F(KeyboardInputTest, AFailedAcquireStillSucceedsAndActivationAcquiresLater) {
    RecordingInputSystem::settings.keyboard.acquireResult = DIERR_OTHERAPPHASPRIO;
    Start();
    EXPECT_EQ(device->acquireCalls, 1);
    device->SetKeyDown(DIK_UP, true);
    int state = kKeyUp;
    ExpectPoll(state, DIK_UP, false, kKeyUp);

    device->settings.acquireResult = DI_OK;
    OnMainWindowActivate(keyboard, 1);
    ExpectPoll(state, DIK_UP, true, kKeyPressed);
}

TEST_F(KeyboardInputTest, EveryUpdateReadsAFreshSnapshotAndLatchesTheKey) {
    Start();
    int state = kKeyUp;
    struct Poll {
        std::vector<bool> downBeforePoll; // the key's changes since the last poll
        bool answer;
        int after;
    };
    // The last poll: down and up again between two polls is never seen.
    const Poll polls[] = {{{true}, true, kKeyPressed},
                          {{}, true, kKeyHeld},
                          {{false}, false, kKeyReleased},
                          {{}, false, kKeyUp},
                          {{true, false}, false, kKeyUp}};
    for (const Poll& poll : polls) {
        for (const bool down : poll.downBeforePoll) {
            device->SetKeyDown(DIK_RIGHT, down);
        }
        ExpectPoll(state, DIK_RIGHT, poll.answer, poll.after);
    }
    EXPECT_EQ(device->stateReads, 5);
}

TEST_F(KeyboardInputTest, WhileInactiveStatesKeepTheirValuesAndReactivationContinuesThem) {
    Start();
    int held = kKeyUp;
    int released = kKeyUp;
    device->SetKeyDown(DIK_RIGHT, true);
    device->SetKeyDown(DIK_UP, true);
    keyboard->UpdateKeyState(held, DIK_RIGHT);
    keyboard->UpdateKeyState(released, DIK_UP);
    ExpectPoll(held, DIK_RIGHT, true, kKeyHeld);
    ASSERT_EQ(released, kKeyPressed);

    OnMainWindowActivate(keyboard, WA_INACTIVE);
    device->SetKeyDown(DIK_UP, false);
    device->SetKeyDown(DIK_LEFT, true);
    int neverSeen = kKeyUp;
    for (int tick = 0; tick < 3; ++tick) {
        ExpectPoll(held, DIK_RIGHT, false, kKeyHeld);
        // Its press was reported once, at the last good poll.
        ExpectPoll(released, DIK_UP, false, kKeyHeld);
        ExpectPoll(neverSeen, DIK_LEFT, false, kKeyUp);
    }

    OnMainWindowActivate(keyboard, 1);
    ExpectPoll(held, DIK_RIGHT, true, kKeyHeld);
    ExpectPoll(released, DIK_UP, false, kKeyReleased);
}

TEST_F(KeyboardInputTest, KeysOutsideTheSnapshotAndMissingDevicesChangeNothing) {
    Start();
    device->keys.fill(0x80);
    for (const int key : {-1, 256, 100000}) {
        int state = kKeyHeld;
        ExpectPoll(state, key, false, kKeyHeld);
    }
    EXPECT_EQ(device->stateReads, 0);

    KeyboardInput empty;
    int state = kKeyPressed;
    EXPECT_FALSE(empty.UpdateKeyState(state, DIK_LEFT));
    EXPECT_EQ(state, kKeyPressed);
}

TEST_F(KeyboardInputTest, ActivationAcquiresAndDeactivationUnacquires) {
    const struct {
        const char* name;
        WPARAM wParam;
        bool acquires;
    } cases[] = {
        {"inactive", 0, false},
        {"active", 1, true},
        {"activated by a click", 2, true},
        {"inactive while minimised", 0x00010000, false},
        {"active while minimised", 0x00010001, true},
    };
    Start();
    KeyboardInput notInitialized;
    for (const auto& c : cases) {
        const int acquires = device->acquireCalls;
        const int unacquires = device->unacquireCalls;
        OnMainWindowActivate(keyboard, c.wParam);
        EXPECT_EQ(device->acquireCalls - acquires, c.acquires ? 1 : 0) << c.name;
        EXPECT_EQ(device->unacquireCalls - unacquires, c.acquires ? 0 : 1) << c.name;
        // Before the keyboard exists there is nothing to acquire.
        OnMainWindowActivate(nullptr, c.wParam);
        OnMainWindowActivate(&notInitialized, c.wParam);
    }
}

TEST_F(KeyboardInputTest, DestroyUnacquiresAndReleasesEachInterfaceOnce) {
    Start();
    RecordingDirectInput& directInput = *RecordingInputSystem::LastDirectInput();
    KeyboardInput::Destroy(keyboard);
    keyboard = nullptr;
    EXPECT_EQ(device->unacquireCalls, 1);
    EXPECT_FALSE(device->acquired);
    ExpectReleasedOnce(device->count, "keyboard");
    ExpectReleasedOnce(directInput.count, "DirectInput");

    KeyboardInput::Destroy(nullptr);
    KeyboardInput::Destroy(new KeyboardInput());
}
