#include "tests/support/recording_message_box.h"

#include "platform/services/message_box.h"

std::vector<RecordedMessageBox>& RecordedMessageBoxes() {
    static std::vector<RecordedMessageBox> shown;
    return shown;
}

std::function<void()>& WhileMessageBoxIsOpen() {
    static std::function<void()> action;
    return action;
}

void ShowMessageBox(const char* utf8Text, const char* utf8Caption) {
    RecordedMessageBoxes().push_back(
        {utf8Text != nullptr ? utf8Text : "", utf8Caption != nullptr ? utf8Caption : ""});
    if (WhileMessageBoxIsOpen()) {
        WhileMessageBoxIsOpen()();
    }
}
