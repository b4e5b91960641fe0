// The native shell's About box: SDL's message box, titled and worded as the
// Windows dialog, shown from a thread of its own so that the frames keep
// running while it is open, as they do under the Windows dialog's own
// message loop. It tells the shell by an SDL event when it has closed.
#pragma once

#include <SDL.h>

#include <thread>

class AboutBox {
  public:
    // `closedEvent`: an event type from SDL_RegisterEvents, pushed when the box closes.
    explicit AboutBox(Uint32 closedEvent) : closedEvent_(closedEvent) {}
    AboutBox(const AboutBox&) = delete;
    AboutBox& operator=(const AboutBox&) = delete;
    ~AboutBox();

    bool IsOpen() const { return open_; }
    // Shows the box over `owner`, unless it is already open.
    void Open(SDL_Window* owner);
    // Call on the closed event: the box's thread has finished.
    void Finished();

  private:
    Uint32 closedEvent_;
    std::thread thread_;
    bool open_ = false;
};
