#include "platform/services/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/services/message_lines.h"

namespace {

// What Windows shows as the caption of a message box given none.
constexpr const char* kDefaultCaption = "エラー";

} // namespace

void ShowMessageBox(const char* utf8Text, const char* utf8Caption) {
    const char* text = utf8Text != nullptr ? utf8Text : "";
    const char* caption = utf8Caption != nullptr ? utf8Caption : kDefaultCaption;
    // Also on the terminal: a box needs a display, and a desktop without the
    // fonts for Japanese shows the text only in part. The terminal gets the
    // lines whole, to copy a path from; the box wraps them, since SDL's box
    // grows as wide as its longest line, past the screen's edges.
    std::fprintf(stderr, "%s: %s\n", caption, text);
    const std::string lines = WrapMessageLines(text, kMessageBoxColumns);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, lines.c_str(), nullptr);
}
