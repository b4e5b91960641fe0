// Message boxes of the web platform: dialogs of the page, which also write
// the message to the browser's console.
#include "platform/services/message_box.h"
#include "platform/web/web_page.h"

void ShowMessageBox(const char* utf8Text, const char* utf8Caption) {
    ShowPageMessage(utf8Text, utf8Caption);
}
