#include "app/window_creation.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "app/app_window.h"
#include "tests/support/recording_message_box.h"
#include "tests/support/recording_window.h"

namespace {

const HINSTANCE kInstance = reinterpret_cast<HINSTANCE>(0x400000);
constexpr int kShowNormal = 1;

class WindowCreationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordingWindowSystem::Reset();
        RecordedMessageBoxes().clear();
        std::strcpy(windowClassName, "KORVANE");
        std::strcpy(windowTitle, "Korvane");
    }
    void TearDown() override {
        RecordingWindowSystem::Reset();
        mainWindow = nullptr;
        appInstance = nullptr;
    }
};

TEST_F(WindowCreationTest, MakesAFixedWindowWithA640By480ClientAreaAndStartsTheTimer) {
    ASSERT_TRUE(CreateMainWindow(kInstance, kShowNormal));
    EXPECT_EQ(mainWindow, RecordingWindowSystem::settings.createdWindow);
    EXPECT_EQ(appInstance, kInstance);
    ASSERT_EQ(RecordingWindowSystem::created.size(), 1u);
    const CreatedWindow& window = RecordingWindowSystem::created[0];
    EXPECT_EQ(window.className, "KORVANE");
    EXPECT_EQ(window.title, "Korvane");
    EXPECT_EQ(window.style, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    // The frame (6 x 29 with the settings' rectangles) is added to the client size.
    ASSERT_EQ(RecordingWindowSystem::placements.size(), 1u);
    EXPECT_EQ(RecordingWindowSystem::placements[0].width, 646);
    EXPECT_EQ(RecordingWindowSystem::placements[0].height, 509);
    EXPECT_EQ(RecordingWindowSystem::placements[0].flags, SWP_NOMOVE);
    EXPECT_EQ(RecordingWindowSystem::showCommands, std::vector<int>{kShowNormal});
    EXPECT_EQ(RecordingWindowSystem::updates, 1);
    ASSERT_EQ(RecordingWindowSystem::timers.size(), 1u);
    EXPECT_EQ(RecordingWindowSystem::timers[0].window, mainWindow);
    EXPECT_EQ(RecordingWindowSystem::timers[0].timerId, 1u);
    EXPECT_EQ(RecordingWindowSystem::timers[0].period, 33u);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(WindowCreationTest, AMissingWindowOrTimerIsAFailedCreation) {
    struct Case {
        const char* what;
        HWND window;
        UINT_PTR timer;
        std::size_t timersAsked;
    };
    const Case cases[] = {
        {"no window", nullptr, 1, 0},
        // A window without its timer would never draw a frame.
        {"no timer", reinterpret_cast<HWND>(0x5150), 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingWindowSystem::Reset();
        RecordedMessageBoxes().clear();
        RecordingWindowSystem::settings.createdWindow = c.window;
        RecordingWindowSystem::settings.setTimerResult = c.timer;

        EXPECT_FALSE(CreateMainWindow(kInstance, kShowNormal));
        EXPECT_EQ(RecordingWindowSystem::timers.size(), c.timersAsked);
        ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
        EXPECT_EQ(RecordedMessageBoxes()[0].text, kWindowCreationFailedMessage);
        EXPECT_EQ(RecordedMessageBoxes()[0].caption, ""); // the system's default caption
    }
}

} // namespace
