#include "app/shell_input.h"

#include "resources/shell_texts.h"

bool IsAboutAccelerator(std::string_view typed, bool altDown, bool ctrlDown) {
    return altDown && !ctrlDown &&
           (typed == KORVANE_ABOUT_ACCELERATOR || typed == KORVANE_ABOUT_ACCELERATOR_ALTERNATIVE);
}

bool IsFullScreenToggle(bool enterKey, bool altDown, bool ctrlDown, bool repeated) {
    return enterKey && altDown && !ctrlDown && !repeated;
}
