#include "platform/emulation/cooperative_level.h"

namespace {

constexpr DWORD kLowestSampleRate = 100;     // DSBFREQUENCY_MIN
constexpr DWORD kHighestSampleRate = 200000; // DSBFREQUENCY_MAX

} // namespace

HRESULT ValidateKeyboardCooperation(DWORD flags) {
    const DWORD known =
        DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_NOWINKEY;
    if ((flags & ~known) != 0) {
        return DIERR_INVALIDPARAM;
    }
    const bool exclusive = (flags & DISCL_EXCLUSIVE) != 0;
    const bool background = (flags & DISCL_BACKGROUND) != 0;
    if (exclusive == ((flags & DISCL_NONEXCLUSIVE) != 0) ||
        background == ((flags & DISCL_FOREGROUND) != 0)) {
        return DIERR_INVALIDPARAM;
    }
    if (exclusive && background) {
        return DIERR_UNSUPPORTED;
    }
    return DI_OK;
}

HRESULT ValidateSoundCooperation(DWORD level) {
    return level >= DSSCL_NORMAL && level <= DSSCL_WRITEPRIMARY ? DS_OK : DSERR_INVALIDPARAM;
}

HRESULT ValidatePrimaryFormat(const WAVEFORMATEX* format) {
    if (format == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    if (format->wFormatTag != WAVE_FORMAT_PCM || format->nChannels < 1 || format->nChannels > 2 ||
        (format->wBitsPerSample != 8 && format->wBitsPerSample != 16) ||
        format->nSamplesPerSec < kLowestSampleRate || format->nSamplesPerSec > kHighestSampleRate) {
        return DSERR_BADFORMAT;
    }
    const DWORD blockAlign = format->nChannels * format->wBitsPerSample / 8u;
    if (format->nBlockAlign != blockAlign ||
        format->nAvgBytesPerSec != format->nSamplesPerSec * blockAlign) {
        return DSERR_INVALIDPARAM;
    }
    return DS_OK;
}
