// DirectSound 8 on Web Audio: the page's audio context stands for the
// default playback device. It mixes at its own rate whatever format the
// primary buffer is given, and nothing is ever played through it.
#include <emscripten/em_js.h>

#include "platform/emulation/emulated_direct_sound.h"
#include "platform/devices/sound_system.h"
#include "platform/web/web_window.h"

namespace {

// An audio context of the page, or 0 where the browser has none to give.
// (The formatter would break the script's operators.)
// clang-format off
EM_JS(int, OpenAudioContext, (), {
    const AudioContextType = window.AudioContext || window.webkitAudioContext;
    if (!AudioContextType) {
        return 0;
    }
    try {
        const audio = new AudioContextType();
        Module.korvaneAudio = audio;
        // Browsers start a page's audio suspended until the player does
        // something: the first tap, click or key that lets it run wakes it.
        const gestures = ["pointerup", "touchend", "click", "keydown"];
        const wake = () => {
            if (audio.state !== "suspended") {
                return;
            }
            audio.resume().then(() => {
                if (audio.state === "running" && !Module.korvaneAudioAwake) {
                    Module.korvaneAudioAwake = true;
                    gestures.forEach((name) => window.removeEventListener(name, wake, true));
                    console.log("korvane: Web Audio resumed on the first gesture");
                }
            });
        };
        if (audio.state === "suspended") {
            gestures.forEach((name) => window.addEventListener(name, wake, true));
        }
        return 1;
    } catch (error) {
        console.error("korvane: no audio context: " + error);
        return 0;
    }
});
// clang-format on

EM_JS(void, CloseAudioContext, (), {
    if (Module.korvaneAudio) {
        Module.korvaneAudio.close();
        Module.korvaneAudio = null;
    }
});

class WebAudioOutput final : public AudioOutput {
  public:
    WebAudioOutput() = default;
    WebAudioOutput(const WebAudioOutput&) = delete;
    WebAudioOutput& operator=(const WebAudioOutput&) = delete;
    ~WebAudioOutput() override {
        if (open_) {
            CloseAudioContext();
        }
    }

    bool Open(const WAVEFORMATEX&) override {
        if (!open_) {
            open_ = OpenAudioContext() != 0;
        }
        return open_;
    }

  private:
    bool open_ = false;
};

HRESULT WINAPI WebDirectSoundCreate8(const GUID* device, IDirectSound8** directSound,
                                     IUnknown* outer) {
    return CreateEmulatedDirectSound(device, directSound, outer, std::make_unique<WebAudioOutput>(),
                                     ThePageKeyboard());
}

} // namespace

DirectSoundCreate8Function SystemDirectSoundCreate8() {
    return WebDirectSoundCreate8;
}
