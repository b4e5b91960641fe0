#include "platform/message_box.h"

#include <SDL.h>

#include <cstdio>

namespace {

// What Windows shows as the caption of a message box given none.
constexpr const char* kDefaultCaption = "エラー";

} // namespace

void ShowMessageBox(const char* utf8Text, const char* utf8Caption) {
    const char* text = utf8Text != nullptr ? utf8Text : "";
    const char* caption = utf8Caption != nullptr ? utf8Caption : kDefaultCaption;
    // Also on the terminal: a box needs a display, and a desktop without the
    // fonts for Japanese shows the text only in part.
    std::fprintf(stderr, "%s: %s\n", caption, text);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}
