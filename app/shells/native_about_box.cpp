#include "app/shells/native_about_box.h"

#include <chrono>

#include "app/shell_constants.h"
#include "platform/sdl/child_processes.h"

namespace {

constexpr int kOkButton = 1; // IDOK
// How long the program waits, when it ends, for an open box to go.
constexpr auto kCloseWait = std::chrono::seconds(2);

} // namespace

void AboutBox::Open(SDL_Window* owner) {
    if (open_) {
        return;
    }
    open_ = true;
    thread_ = std::thread([this, owner] {
        // Enter and Esc close it, as OK and Cancel close the dialog.
        const SDL_MessageBoxButtonData ok = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT |
                                                 SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                                             kOkButton, "OK"};
        const SDL_MessageBoxData box = {
            SDL_MESSAGEBOX_INFORMATION, owner, kAboutCaption, kNoticeLine, 1, &ok, nullptr};
        int pressed = 0;
        SDL_ShowMessageBox(&box, &pressed);
        SDL_Event closed{};
        closed.type = closedEvent_;
        SDL_PushEvent(&closed);
    });
}

void AboutBox::Finished() {
    if (thread_.joinable()) {
        thread_.join();
    }
    open_ = false;
}

AboutBox::~AboutBox() {
    if (!thread_.joinable()) {
        return;
    }
    // The program ends with the box open: end the process that shows it, so
    // the box goes with the program, and let its thread finish.
    EndChildProcesses();
    const auto deadline = std::chrono::steady_clock::now() + kCloseWait;
    SDL_Event event{};
    while (std::chrono::steady_clock::now() < deadline) {
        if (SDL_WaitEventTimeout(&event, 50) != 0 && event.type == closedEvent_) {
            thread_.join();
            return;
        }
    }
    thread_.detach(); // a box of the system's own that would not go: the process ends anyway
}
