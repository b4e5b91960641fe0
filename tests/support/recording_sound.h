// A DirectSound 8 stand-in for host tests: a device that hands out a primary
// buffer, logs its calls in order, counts references, and can be told to fail
// chosen calls (a failed create leaves a dangling value in its output, which
// code under test must not use). It behaves like the real one where order
// matters: the primary buffer needs a cooperative level first, and only its
// own description size. The host's SystemDirectSoundCreate8 lives here too.
//
// Objects are never freed by Release: the registry keeps them until Reset so a
// test can check afterwards that each reached zero references exactly once.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/sdk/direct_sound.h"
#include "tests/support/recording_device.h"

class RecordingSoundBuffer final : public IDirectSoundBuffer {
  public:
    RecordingSoundBuffer(int creationIndex, const DSBUFFERDESC& desc, HRESULT formatResult,
                         std::vector<std::string>& callLog)
        : index(creationIndex), description(desc), setFormatResult(formatResult), log(callLog) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return count.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE SetFormat(LPCWAVEFORMATEX format) override;

    ReferenceCount count;
    int index;                         // creation order on its device, from 0
    DSBUFFERDESC description;          // as it was asked for
    HRESULT setFormatResult;           // what SetFormat answers
    std::vector<WAVEFORMATEX> formats; // every format offered, in order
    std::vector<std::string>& log;     // the device's call log
};

// How a recording DirectSound device answers.
struct DirectSoundSettings {
    HRESULT createResult = DS_OK; // DirectSoundCreate8 itself
    HRESULT cooperativeLevelResult = DS_OK;
    HRESULT createSoundBufferResult = DS_OK;
    HRESULT setFormatResult = DS_OK; // given to each new buffer
};

class RecordingDirectSound final : public IDirectSound8 {
  public:
    explicit RecordingDirectSound(const DirectSoundSettings& chosen) : settings(chosen) {}
    RecordingDirectSound(const RecordingDirectSound&) = delete;
    RecordingDirectSound& operator=(const RecordingDirectSound&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return count.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC description,
                                                IDirectSoundBuffer** buffer,
                                                IUnknown* outer) override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD level) override;

    // Buffers not yet released to zero, and Release calls past zero over the
    // device and every buffer.
    int LiveBuffers() const;
    int OverReleases() const;

    ReferenceCount count;
    DirectSoundSettings settings;
    DWORD cooperativeLevel = 0; // 0 until a SetCooperativeLevel succeeded
    HWND cooperativeWindow = nullptr;
    // Calls on the device and its buffers in order, e.g. "SetCooperativeLevel(3)",
    // "CreateSoundBuffer", "SetFormat(buffer 0)", "Release(buffer 0)", "Release(device)".
    std::vector<std::string> calls;
    std::vector<std::unique_ptr<RecordingSoundBuffer>> buffers; // in creation order
};

// Controls what the host's DirectSoundCreate8 hands out.
struct RecordingSoundSystem {
    // Forget every device made so far and restore the defaults.
    static void Reset();
    // The device of the last successful create, or null.
    static RecordingDirectSound* LastDirectSound();
    // The recording DirectSoundCreate8.
    static HRESULT WINAPI Create(const GUID* device, IDirectSound8** directSound, IUnknown* outer);

    static DirectSoundSettings settings; // given to each new device
    static bool libraryMissing;          // SystemDirectSoundCreate8 finds no library
    static int createCalls;
    static bool lastAskedForDefaultDevice; // the last create's device id was null
};
