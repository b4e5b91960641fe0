#include "platform/native/native_text.h"

#include "platform/system_services.h"

void UseUtf8AsAnsiText() {
    SetLeadByteCodePage(kUtf8CodePage);
}
