#include "platform/devices/sound_system.h"

#include <string>

namespace {

// DirectSoundCreate8's ordinal in dsound.dll.
constexpr WORD kDirectSoundCreate8Ordinal = 11;

} // namespace

DirectSoundCreate8Function SystemDirectSoundCreate8() {
    // Loaded from the system folder by full name, so a dsound.dll lying
    // beside the game is never picked up. The module is never freed: the
    // device's code lives in it until the process ends.
    static const DirectSoundCreate8Function create = []() -> DirectSoundCreate8Function {
        const UINT length = GetSystemDirectoryA(nullptr, 0);
        if (length == 0) {
            return nullptr;
        }
        std::string path(length, '\0');
        const UINT written = GetSystemDirectoryA(path.data(), length);
        if (written == 0 || written >= length) {
            return nullptr;
        }
        path.resize(written);
        path += "\\dsound.dll";
        HMODULE library = LoadLibraryA(path.c_str());
        if (library == nullptr) {
            return nullptr;
        }
        const FARPROC entry = GetProcAddress(library, MAKEINTRESOURCEA(kDirectSoundCreate8Ordinal));
        if (entry == nullptr) {
            FreeLibrary(library);
            return nullptr;
        }
        // Through the generic function type, which converts to any other without a warning.
        return reinterpret_cast<DirectSoundCreate8Function>(reinterpret_cast<void (*)()>(entry));
    }();
    return create;
}
