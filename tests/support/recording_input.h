// A DirectInput 8 stand-in for host tests: a system keyboard whose 256-byte
// snapshot a test sets, that can only be read while acquired, counts its calls
// and references, and can be told to fail chosen calls (a failed create leaves
// a dangling value in its output, which code under test must not use). The
// host's DirectInput8Create, GetModuleHandleA and c_dfDIKeyboard live here too.
//
// Objects are never freed by Release: the registry keeps them until Reset so a
// test can check afterwards that each reached zero references exactly once.
#pragma once

#include <array>
#include <deque>
#include <memory>
#include <vector>

#include "platform/sdk/direct_input.h"
#include "tests/support/recording_device.h"

using KeySnapshot = std::array<BYTE, 256>;

// How a recording keyboard answers.
struct KeyboardSettings {
    HRESULT setDataFormatResult = DI_OK;
    HRESULT setCooperativeLevelResult = DI_OK;
    HRESULT acquireResult = DI_OK; // e.g. DIERR_OTHERAPPHASPRIO while another window is in front
};

class RecordingKeyboard final : public IDirectInputDevice8A {
  public:
    explicit RecordingKeyboard(const KeyboardSettings& chosen) : settings(chosen) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return count.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return count.Release(); }
    HRESULT STDMETHODCALLTYPE Acquire() override;
    HRESULT STDMETHODCALLTYPE Unacquire() override;
    // Fails with DIERR_NOTACQUIRED unless acquired, and with DIERR_INVALIDPARAM
    // unless the keyboard format was set and 256 bytes are asked for.
    HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD dataSize, LPVOID data) override;
    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override;

    // Holds a key down (bit 7 set) or lets it go in the snapshot every read returns.
    void SetKeyDown(int key, bool down);
    // The system takes the keyboard away, as when another window becomes active.
    void LoseAcquisition() { acquired = false; }

    ReferenceCount count;
    KeyboardSettings settings;
    KeySnapshot keys{};               // what a read returns while `upcoming` is empty
    std::deque<KeySnapshot> upcoming; // returned one per successful read, before `keys`
    bool acquired = false;
    const DIDATAFORMAT* dataFormat = nullptr; // last format set
    HWND cooperativeWindow = nullptr;         // last SetCooperativeLevel arguments
    DWORD cooperativeFlags = 0;
    int acquireCalls = 0;
    int unacquireCalls = 0;
    int stateReads = 0; // GetDeviceState calls, successful or not
};

// How a recording DirectInput object answers.
struct DirectInputSettings {
    HRESULT createResult = DI_OK;       // DirectInput8Create itself
    HRESULT createDeviceResult = DI_OK; // CreateDevice for the system keyboard
    KeyboardSettings keyboard;          // given to each new keyboard
};

class RecordingDirectInput final : public IDirectInput8A {
  public:
    explicit RecordingDirectInput(const DirectInputSettings& chosen) : settings(chosen) {}
    RecordingDirectInput(const RecordingDirectInput&) = delete;
    RecordingDirectInput& operator=(const RecordingDirectInput&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return count.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return count.Release(); }
    // Only the system keyboard exists; any other device is DIERR_DEVICENOTREG.
    HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID deviceGuid, IDirectInputDevice8A** device,
                                           IUnknown* outer) override;

    ReferenceCount count;
    DirectInputSettings settings;
    std::vector<std::unique_ptr<RecordingKeyboard>> keyboards; // in creation order
};

// Controls what the host DirectInput8Create hands out and remembers how it was called.
struct RecordingInputSystem {
    // Forget every object made so far and restore the defaults.
    static void Reset();
    // The DirectInput object of the last successful DirectInput8Create, or null.
    static RecordingDirectInput* LastDirectInput();
    // The first keyboard of that object, or null.
    static RecordingKeyboard* LastKeyboard();

    static DirectInputSettings settings; // given to each new DirectInput object
    static HMODULE moduleHandle;         // what GetModuleHandleA(NULL) answers
    static int createCalls;
    static HINSTANCE lastInstance; // the last DirectInput8Create arguments
    static DWORD lastVersion;
    static GUID lastInterface;
};
