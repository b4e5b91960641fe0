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
