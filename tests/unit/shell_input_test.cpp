#include "app/shell_input.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

TEST(ShellInput, AltWithQuestionMarkOrSlashOpensTheAboutBox) {
    const std::vector<std::tuple<const char*, bool, bool, bool>> cases = {
        {"?", true, false, true},   {"/", true, false, true},
        {"?", false, false, false}, // typed without Alt: just a character
        {"/", true, true, false},   // AltGr typing a character
        {"a", true, false, false},  {"??", true, false, false},
        {"", true, false, false},
    };
    for (const auto& [typed, alt, ctrl, opens] : cases) {
        EXPECT_EQ(IsAboutAccelerator(typed, alt, ctrl), opens)
            << '"' << typed << "\" alt " << alt << " ctrl " << ctrl;
    }
}

TEST(ShellInput, AltEnterGoingDownSwitchesFullScreenOnce) {
    struct Case {
        bool enter, alt, ctrl, repeated, toggles;
    };
    for (const Case& c : {Case{true, true, false, false, true},
                          Case{true, false, false, false, false},  // Enter alone
                          Case{false, true, false, false, false},  // Alt with another key
                          Case{true, true, true, false, false},    // AltGr+Enter
                          Case{true, true, false, true, false}}) { // held: repeats do nothing
        EXPECT_EQ(IsFullScreenToggle(c.enter, c.alt, c.ctrl, c.repeated), c.toggles)
            << "enter " << c.enter << " alt " << c.alt << " ctrl " << c.ctrl << " repeated "
            << c.repeated;
    }
}
