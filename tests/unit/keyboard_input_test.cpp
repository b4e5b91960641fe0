#include "platform/keyboard_input.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/app_window.h"
#include "tests/support/recording_input.h"
#include "tests/support/recording_message_box.h"

namespace {

class KeyboardInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordingInputSystem::Reset();
        RecordedMessageBoxes().clear();
        mainWindow = reinterpret_cast<HWND>(0x1234);
    }
    void TearDown() override {
        mainWindow = nullptr;
        RecordedMessageBoxes().clear();
        RecordingInputSystem::Reset();
    }

    // A keyboard initialised with the default (all succeeding) recording system.
    KeyboardInput* InitializedKeyboard() {
        KeyboardInput* keyboard = new KeyboardInput();
        EXPECT_EQ(keyboard->Initialize(), 0);
        return keyboard;
    }

    static RecordingKeyboard& DeviceOf(const KeyboardInput& keyboard) {
        return *static_cast<RecordingKeyboard*>(keyboard.keyboardDevice);
    }
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
            state = LatchKeyState(state, down);
            states.push_back(state);
        }
        EXPECT_EQ(states, c.expected) << c.name;
    }
}

TEST_F(KeyboardInputTest, InitializeOpensTheSystemKeyboardForTheMainWindowAndAcquiresIt) {
    KeyboardInput* keyboard = InitializedKeyboard();

    EXPECT_EQ(RecordingInputSystem::lastInstance, RecordingInputSystem::moduleHandle);
    EXPECT_EQ(RecordingInputSystem::lastVersion, 0x0800u);
    EXPECT_EQ(RecordingInputSystem::lastInterface, IID_IDirectInput8A);
    ASSERT_NE(keyboard->directInput, nullptr);
    ASSERT_NE(keyboard->keyboardDevice, nullptr);
    RecordingKeyboard& device = DeviceOf(*keyboard);
    EXPECT_EQ(device.dataFormat, &c_dfDIKeyboard);
    EXPECT_EQ(device.cooperativeWindow, mainWindow);
    EXPECT_EQ(device.cooperativeFlags, 6u);
    EXPECT_EQ(device.acquireCalls, 1);
    EXPECT_TRUE(device.acquired);
    EXPECT_TRUE(RecordedMessageBoxes().empty());

    KeyboardInput::Destroy(keyboard);
}

TEST_F(KeyboardInputTest, InitializeStopsAtTheFirstFailureAndReturnsItsCode) {
    struct Case {
        const char* name;
        void (*configure)(DirectInputSettings&);
        HRESULT expected;
        bool directInputMade;
        bool keyboardMade;
    };
    const Case cases[] = {
        {"DirectInput8Create", [](DirectInputSettings& s) { s.createResult = E_OUTOFMEMORY; },
         E_OUTOFMEMORY, false, false},
        {"CreateDevice", [](DirectInputSettings& s) { s.createDeviceResult = DIERR_DEVICENOTREG; },
         DIERR_DEVICENOTREG, true, false},
        {"SetDataFormat",
         [](DirectInputSettings& s) { s.keyboard.setDataFormatResult = DIERR_INVALIDPARAM; },
         DIERR_INVALIDPARAM, true, true},
        {"SetCooperativeLevel",
         [](DirectInputSettings& s) { s.keyboard.setCooperativeLevelResult = E_FAIL; }, E_FAIL,
         true, true},
    };

    for (const Case& c : cases) {
        RecordingInputSystem::Reset();
        c.configure(RecordingInputSystem::settings);
        KeyboardInput* keyboard = new KeyboardInput();

        EXPECT_EQ(keyboard->Initialize(), c.expected) << c.name;
        EXPECT_EQ(keyboard->directInput != nullptr, c.directInputMade) << c.name;
        EXPECT_EQ(keyboard->keyboardDevice != nullptr, c.keyboardMade) << c.name;
        RecordingDirectInput* directInput = RecordingInputSystem::LastDirectInput();
        RecordingKeyboard* device = RecordingInputSystem::LastKeyboard();
        if (device != nullptr) {
            EXPECT_EQ(device->acquireCalls, 0) << c.name;
        }

        // Whatever was made before the failure is released by Destroy, once.
        KeyboardInput::Destroy(keyboard);
        if (directInput != nullptr) {
            EXPECT_EQ(directInput->count.releasesToZero, 1) << c.name;
            EXPECT_EQ(directInput->count.overReleases, 0) << c.name;
        }
        if (device != nullptr) {
            EXPECT_EQ(device->count.releasesToZero, 1) << c.name;
            EXPECT_EQ(device->count.overReleases, 0) << c.name;
        }
        EXPECT_TRUE(RecordedMessageBoxes().empty()) << c.name;
    }
}

TEST_F(KeyboardInputTest, CooperativeLevelNotImplementedIsReportedAndAcceptedUnacquired) {
    RecordingInputSystem::settings.keyboard.setCooperativeLevelResult = E_NOTIMPL;
    KeyboardInput* keyboard = new KeyboardInput();

    EXPECT_EQ(keyboard->Initialize(), 0);
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(RecordedMessageBoxes()[0].text, "DirectInputの初期化に失敗");
    EXPECT_EQ(RecordedMessageBoxes()[0].caption, "ERROR");
    RecordingKeyboard& device = DeviceOf(*keyboard);
    EXPECT_EQ(device.acquireCalls, 0);

    // Activation can still acquire it later.
    OnMainWindowActivate(keyboard, 1);
    EXPECT_TRUE(device.acquired);
    KeyboardInput::Destroy(keyboard);
}

TEST_F(KeyboardInputTest, AFailedAcquireStillSucceedsAndActivationAcquiresLater) {
    RecordingInputSystem::settings.keyboard.acquireResult = DIERR_OTHERAPPHASPRIO;
    KeyboardInput* keyboard = InitializedKeyboard();
    RecordingKeyboard& device = DeviceOf(*keyboard);
    EXPECT_EQ(device.acquireCalls, 1);
    device.SetKeyDown(DIK_UP, true);

    int state = kKeyUp;
    EXPECT_FALSE(keyboard->UpdateKeyState(state, DIK_UP));
    EXPECT_EQ(state, kKeyUp);

    device.settings.acquireResult = DI_OK;
    OnMainWindowActivate(keyboard, 1);
    EXPECT_TRUE(keyboard->UpdateKeyState(state, DIK_UP));
    EXPECT_EQ(state, kKeyPressed);
    KeyboardInput::Destroy(keyboard);
}

TEST_F(KeyboardInputTest, EveryUpdateReadsAFreshSnapshotAndLatchesTheKey) {
    KeyboardInput* keyboard = InitializedKeyboard();
    RecordingKeyboard& device = DeviceOf(*keyboard);
    int state = kKeyUp;

    device.SetKeyDown(DIK_RIGHT, true);
    EXPECT_TRUE(keyboard->UpdateKeyState(state, DIK_RIGHT));
    EXPECT_EQ(state, kKeyPressed);
    EXPECT_TRUE(keyboard->UpdateKeyState(state, DIK_RIGHT));
    EXPECT_EQ(state, kKeyHeld);
    device.SetKeyDown(DIK_RIGHT, false);
    EXPECT_FALSE(keyboard->UpdateKeyState(state, DIK_RIGHT));
    EXPECT_EQ(state, kKeyReleased);
    EXPECT_FALSE(keyboard->UpdateKeyState(state, DIK_RIGHT));
    EXPECT_EQ(state, kKeyUp);
    // Down and up again between two polls: never seen.
    device.SetKeyDown(DIK_RIGHT, true);
    device.SetKeyDown(DIK_RIGHT, false);
    EXPECT_FALSE(keyboard->UpdateKeyState(state, DIK_RIGHT));
    EXPECT_EQ(state, kKeyUp);
    EXPECT_EQ(device.stateReads, 5);
    KeyboardInput::Destroy(keyboard);
}

TEST_F(KeyboardInputTest, WhileInactiveStatesKeepTheirValuesAndReactivationContinuesThem) {
    KeyboardInput* keyboard = InitializedKeyboard();
    RecordingKeyboard& device = DeviceOf(*keyboard);
    int held = kKeyUp;
    int released = kKeyUp;
    device.SetKeyDown(DIK_RIGHT, true);
    device.SetKeyDown(DIK_UP, true);
    keyboard->UpdateKeyState(held, DIK_RIGHT);
    keyboard->UpdateKeyState(released, DIK_UP);
    keyboard->UpdateKeyState(held, DIK_RIGHT);
    ASSERT_EQ(held, kKeyHeld);
    ASSERT_EQ(released, kKeyPressed);

    OnMainWindowActivate(keyboard, WA_INACTIVE);
    device.SetKeyDown(DIK_UP, false);
    device.SetKeyDown(DIK_LEFT, true);
    int neverSeen = kKeyUp;
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_FALSE(keyboard->UpdateKeyState(held, DIK_RIGHT));
        EXPECT_FALSE(keyboard->UpdateKeyState(released, DIK_UP));
        EXPECT_FALSE(keyboard->UpdateKeyState(neverSeen, DIK_LEFT));
    }
    EXPECT_EQ(held, kKeyHeld);
    EXPECT_EQ(released, kKeyHeld); // its press was reported once, at the last good poll
    EXPECT_EQ(neverSeen, kKeyUp);

    OnMainWindowActivate(keyboard, 1);
    EXPECT_TRUE(keyboard->UpdateKeyState(held, DIK_RIGHT));
    EXPECT_FALSE(keyboard->UpdateKeyState(released, DIK_UP));
    EXPECT_EQ(held, kKeyHeld);
    EXPECT_EQ(released, kKeyReleased);
    KeyboardInput::Destroy(keyboard);
}

TEST_F(KeyboardInputTest, KeysOutsideTheSnapshotAndMissingDevicesChangeNothing) {
    KeyboardInput* keyboard = InitializedKeyboard();
    RecordingKeyboard& device = DeviceOf(*keyboard);
    device.keys.fill(0x80);
    for (const int key : {-1, 256, 100000}) {
        int state = kKeyHeld;
        EXPECT_FALSE(keyboard->UpdateKeyState(state, key)) << key;
        EXPECT_EQ(state, kKeyHeld) << key;
    }
    EXPECT_EQ(device.stateReads, 0);
    KeyboardInput::Destroy(keyboard);

    KeyboardInput empty;
    int state = kKeyPressed;
    EXPECT_FALSE(empty.UpdateKeyState(state, DIK_LEFT));
    EXPECT_EQ(state, kKeyPressed);
}

TEST_F(KeyboardInputTest, ActivationAcquiresAndDeactivationUnacquires) {
    struct Case {
        const char* name;
        WPARAM wParam;
        bool acquires;
    };
    const Case cases[] = {
        {"inactive", 0, false},
        {"active", 1, true},
        {"activated by a click", 2, true},
        {"inactive while minimised", 0x00010000, false},
        {"active while minimised", 0x00010001, true},
    };
    KeyboardInput* keyboard = InitializedKeyboard();
    RecordingKeyboard& device = DeviceOf(*keyboard);
    for (const Case& c : cases) {
        const int acquires = device.acquireCalls;
        const int unacquires = device.unacquireCalls;
        OnMainWindowActivate(keyboard, c.wParam);
        EXPECT_EQ(device.acquireCalls - acquires, c.acquires ? 1 : 0) << c.name;
        EXPECT_EQ(device.unacquireCalls - unacquires, c.acquires ? 0 : 1) << c.name;
    }
    KeyboardInput::Destroy(keyboard);

    // Before the keyboard exists there is nothing to acquire.
    KeyboardInput notInitialized;
    for (const Case& c : cases) {
        OnMainWindowActivate(nullptr, c.wParam);
        OnMainWindowActivate(&notInitialized, c.wParam);
    }
}

TEST_F(KeyboardInputTest, DestroyUnacquiresAndReleasesEachInterfaceOnce) {
    KeyboardInput* keyboard = InitializedKeyboard();
    RecordingDirectInput& directInput = *RecordingInputSystem::LastDirectInput();
    RecordingKeyboard& device = DeviceOf(*keyboard);

    KeyboardInput::Destroy(keyboard);
    EXPECT_EQ(device.unacquireCalls, 1);
    EXPECT_FALSE(device.acquired);
    EXPECT_EQ(device.count.releasesToZero, 1);
    EXPECT_EQ(device.count.overReleases, 0);
    EXPECT_EQ(directInput.count.releasesToZero, 1);
    EXPECT_EQ(directInput.count.overReleases, 0);

    KeyboardInput::Destroy(nullptr);
    KeyboardInput::Destroy(new KeyboardInput());
}
