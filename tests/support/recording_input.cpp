#include "tests/support/recording_input.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr BYTE kDownBit = 0x80;
constexpr DWORD kRelativeAxes = 0x00000002; // DIDF_RELAXIS, as the system's keyboard format has
// What an injected create failure leaves in its output: nothing promises a
// null there, so code under test must not keep or release it.
void* const kDanglingOutput = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0xDEAD0000u));

std::vector<std::unique_ptr<RecordingDirectInput>>& CreatedDirectInputObjects() {
    static std::vector<std::unique_ptr<RecordingDirectInput>> created;
    return created;
}

} // namespace

const DIDATAFORMAT c_dfDIKeyboard = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), kRelativeAxes, 256, 0, nullptr};

// ---- keyboard ----

HRESULT RecordingKeyboard::QueryInterface(REFIID, void** object) {
    if (object != nullptr) {
        *object = nullptr;
    }
    return E_NOINTERFACE;
}

HRESULT RecordingKeyboard::Acquire() {
    ++acquireCalls;
    if (FAILED(settings.acquireResult)) {
        return settings.acquireResult;
    }
    if (dataFormat == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    acquired = true;
    return DI_OK;
}

HRESULT RecordingKeyboard::Unacquire() {
    ++unacquireCalls;
    acquired = false;
    return DI_OK;
}

HRESULT RecordingKeyboard::GetDeviceState(DWORD dataSize, LPVOID data) {
    ++stateReads;
    if (data == nullptr || dataFormat == nullptr || dataSize != dataFormat->dwDataSize ||
        dataSize != sizeof(KeySnapshot)) {
        return DIERR_INVALIDPARAM;
    }
    if (!acquired) {
        return DIERR_NOTACQUIRED;
    }
    const KeySnapshot& snapshot = upcoming.empty() ? keys : upcoming.front();
    std::copy(snapshot.begin(), snapshot.end(), static_cast<BYTE*>(data));
    if (!upcoming.empty()) {
        upcoming.pop_front();
    }
    return DI_OK;
}

HRESULT RecordingKeyboard::SetDataFormat(LPCDIDATAFORMAT format) {
    if (format == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    if (FAILED(settings.setDataFormatResult)) {
        return settings.setDataFormatResult;
    }
    dataFormat = format;
    return DI_OK;
}

HRESULT RecordingKeyboard::SetCooperativeLevel(HWND window, DWORD flags) {
    cooperativeWindow = window;
    cooperativeFlags = flags;
    return settings.setCooperativeLevelResult;
}

void RecordingKeyboard::SetKeyDown(int key, bool down) {
    keys.at(static_cast<size_t>(key)) = down ? kDownBit : 0;
}

// ---- DirectInput object ----

HRESULT RecordingDirectInput::QueryInterface(REFIID, void** object) {
    if (object != nullptr) {
        *object = nullptr;
    }
    return E_NOINTERFACE;
}

HRESULT RecordingDirectInput::CreateDevice(REFGUID deviceGuid, IDirectInputDevice8A** device,
                                           IUnknown* outer) {
    if (device == nullptr) {
        return E_POINTER;
    }
    *device = nullptr;
    if (outer != nullptr) {
        return DIERR_NOINTERFACE;
    }
    if (deviceGuid != GUID_SysKeyboard) {
        return DIERR_DEVICENOTREG;
    }
    if (FAILED(settings.createDeviceResult)) {
        *device = static_cast<IDirectInputDevice8A*>(kDanglingOutput);
        return settings.createDeviceResult;
    }
    keyboards.push_back(std::make_unique<RecordingKeyboard>(settings.keyboard));
    *device = keyboards.back().get();
    return DI_OK;
}

// ---- the host's entry points ----

DirectInputSettings RecordingInputSystem::settings;
HMODULE RecordingInputSystem::moduleHandle = reinterpret_cast<HMODULE>(0x00400000);
int RecordingInputSystem::createCalls = 0;
HINSTANCE RecordingInputSystem::lastInstance = nullptr;
DWORD RecordingInputSystem::lastVersion = 0;
GUID RecordingInputSystem::lastInterface = {};

void RecordingInputSystem::Reset() {
    CreatedDirectInputObjects().clear();
    settings = DirectInputSettings{};
    createCalls = 0;
    lastInstance = nullptr;
    lastVersion = 0;
    lastInterface = GUID{};
}

RecordingDirectInput* RecordingInputSystem::LastDirectInput() {
    auto& created = CreatedDirectInputObjects();
    return created.empty() ? nullptr : created.back().get();
}

RecordingKeyboard* RecordingInputSystem::LastKeyboard() {
    RecordingDirectInput* directInput = LastDirectInput();
    if (directInput == nullptr || directInput->keyboards.empty()) {
        return nullptr;
    }
    return directInput->keyboards.front().get();
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    return moduleName == nullptr ? RecordingInputSystem::moduleHandle : nullptr;
}

HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, REFIID interfaceId,
                           LPVOID* directInput, IUnknown* outer) {
    ++RecordingInputSystem::createCalls;
    RecordingInputSystem::lastInstance = instance;
    RecordingInputSystem::lastVersion = version;
    RecordingInputSystem::lastInterface = interfaceId;
    if (directInput == nullptr) {
        return E_POINTER;
    }
    *directInput = nullptr;
    if (version != 0x0800) {
        return DIERR_OLDDIRECTINPUTVERSION;
    }
    if (interfaceId != IID_IDirectInput8A || outer != nullptr) {
        return DIERR_NOINTERFACE;
    }
    if (FAILED(RecordingInputSystem::settings.createResult)) {
        *directInput = kDanglingOutput;
        return RecordingInputSystem::settings.createResult;
    }
    auto& created = CreatedDirectInputObjects();
    created.push_back(std::make_unique<RecordingDirectInput>(RecordingInputSystem::settings));
    *directInput = static_cast<IDirectInput8A*>(created.back().get());
    return DI_OK;
}
