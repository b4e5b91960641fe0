#include "platform/emulation/ansi_text.h"

#include "platform/services/system_services.h"

void UseUtf8AsAnsiText() {
    SetLeadByteCodePage(kUtf8CodePage);
}
