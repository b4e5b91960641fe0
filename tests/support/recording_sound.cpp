#include "tests/support/recording_sound.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/devices/sound_system.h"

namespace {

// What an injected create failure leaves in its output: nothing promises a
// null there, so code under test must not keep or release it.
void* const kDanglingOutput = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0xDEAD0000u));

std::vector<std::unique_ptr<RecordingDirectSound>>& CreatedDevices() {
    static std::vector<std::unique_ptr<RecordingDirectSound>> created;
    return created;
}

} // namespace

// ---- buffer ----

HRESULT RecordingSoundBuffer::QueryInterface(REFIID, void** object) {
    if (object != nullptr) {
        *object = nullptr;
    }
    return E_NOINTERFACE;
}

ULONG RecordingSoundBuffer::Release() {
    log.push_back("Release(buffer " + std::to_string(index) + ")");
    return count.Release();
}

HRESULT RecordingSoundBuffer::SetFormat(LPCWAVEFORMATEX format) {
    log.push_back("SetFormat(buffer " + std::to_string(index) + ")");
    if (format == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    formats.push_back(*format);
    return setFormatResult;
}

// ---- device ----

HRESULT RecordingDirectSound::QueryInterface(REFIID, void** object) {
    if (object != nullptr) {
        *object = nullptr;
    }
    return E_NOINTERFACE;
}

ULONG RecordingDirectSound::Release() {
    calls.push_back("Release(device)");
    return count.Release();
}

HRESULT RecordingDirectSound::SetCooperativeLevel(HWND window, DWORD level) {
    calls.push_back("SetCooperativeLevel(" + std::to_string(level) + ")");
    if (FAILED(settings.cooperativeLevelResult)) {
        return settings.cooperativeLevelResult;
    }
    cooperativeWindow = window;
    cooperativeLevel = level;
    return DS_OK;
}

HRESULT RecordingDirectSound::CreateSoundBuffer(LPCDSBUFFERDESC description,
                                                IDirectSoundBuffer** buffer, IUnknown* outer) {
    calls.push_back("CreateSoundBuffer");
    if (buffer == nullptr || description == nullptr || outer != nullptr) {
        return DSERR_INVALIDPARAM;
    }
    *buffer = nullptr;
    // The device takes its own record size or that of the older record without the GUID.
    const DWORD size = description->dwSize;
    if (size != sizeof(DSBUFFERDESC) && size != offsetof(DSBUFFERDESC, guid3DAlgorithm)) {
        return DSERR_INVALIDPARAM;
    }
    const bool primary = (description->dwFlags & DSBCAPS_PRIMARYBUFFER) != 0;
    if (primary && (description->dwBufferBytes != 0 || description->lpwfxFormat != nullptr)) {
        return DSERR_INVALIDPARAM;
    }
    if (cooperativeLevel == 0) {
        return DSERR_PRIOLEVELNEEDED;
    }
    if (FAILED(settings.createSoundBufferResult)) {
        *buffer = static_cast<IDirectSoundBuffer*>(kDanglingOutput);
        return settings.createSoundBufferResult;
    }
    buffers.push_back(std::make_unique<RecordingSoundBuffer>(
        static_cast<int>(buffers.size()), *description, settings.setFormatResult, calls));
    *buffer = buffers.back().get();
    return DS_OK;
}

int RecordingDirectSound::LiveBuffers() const {
    return static_cast<int>(std::count_if(buffers.begin(), buffers.end(),
                                          [](const auto& b) { return b->count.references > 0; }));
}

int RecordingDirectSound::OverReleases() const {
    int total = count.overReleases;
    for (const auto& buffer : buffers) {
        total += buffer->count.overReleases;
    }
    return total;
}

// ---- the host's entry points ----

DirectSoundSettings RecordingSoundSystem::settings;
bool RecordingSoundSystem::libraryMissing = false;
int RecordingSoundSystem::createCalls = 0;
bool RecordingSoundSystem::lastAskedForDefaultDevice = false;

void RecordingSoundSystem::Reset() {
    CreatedDevices().clear();
    settings = DirectSoundSettings{};
    libraryMissing = false;
    createCalls = 0;
    lastAskedForDefaultDevice = false;
}

RecordingDirectSound* RecordingSoundSystem::LastDirectSound() {
    auto& created = CreatedDevices();
    return created.empty() ? nullptr : created.back().get();
}

HRESULT WINAPI RecordingSoundSystem::Create(const GUID* device, IDirectSound8** directSound,
                                            IUnknown* outer) {
    ++createCalls;
    lastAskedForDefaultDevice = device == nullptr;
    if (directSound == nullptr || outer != nullptr) {
        return DSERR_INVALIDPARAM;
    }
    *directSound = nullptr;
    if (FAILED(settings.createResult)) {
        *directSound = static_cast<IDirectSound8*>(kDanglingOutput);
        return settings.createResult;
    }
    auto& created = CreatedDevices();
    created.push_back(std::make_unique<RecordingDirectSound>(settings));
    *directSound = created.back().get();
    return DS_OK;
}

DirectSoundCreate8Function SystemDirectSoundCreate8() {
    return RecordingSoundSystem::libraryMissing ? nullptr : &RecordingSoundSystem::Create;
}
