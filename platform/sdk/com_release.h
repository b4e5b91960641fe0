// Releasing a COM pointer is always: check, Release once, clear.
#pragma once

template <typename Interface> void ReleaseAndClear(Interface*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}
