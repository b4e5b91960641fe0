// What DirectInput and DirectSound accept as a cooperative level, and as the
// format of DirectSound's primary buffer.
#pragma once

#include "platform/sdk/direct_input.h"
#include "platform/sdk/direct_sound.h"

// DI_OK for a keyboard level DirectInput accepts: exactly one of EXCLUSIVE and
// NONEXCLUSIVE and one of FOREGROUND and BACKGROUND, optionally NOWINKEY.
// DIERR_UNSUPPORTED for exclusive background use, which DirectInput refuses
// for the keyboard; DIERR_INVALIDPARAM for anything else.
HRESULT ValidateKeyboardCooperation(DWORD flags);

// DS_OK for DSSCL_NORMAL, PRIORITY, EXCLUSIVE or WRITEPRIMARY, else DSERR_INVALIDPARAM.
HRESULT ValidateSoundCooperation(DWORD level);

// DS_OK for a primary buffer format DirectSound plays: PCM, one or two
// channels of 8 or 16 bits, 100 to 200,000 samples per second.
// DSERR_BADFORMAT for another format; DSERR_INVALIDPARAM for a missing record,
// or block and byte rates that do not follow from the rest.
HRESULT ValidatePrimaryFormat(const WAVEFORMATEX* format);
