#include "platform/services/message_box.h"

#include <string>

#include "platform/sdk/direct3d.h"
#include "platform/services/message_lines.h"

namespace {

// Invalid UTF-8 becomes U+FFFD, so a message always shows something.
std::wstring WideFromUtf8(const char* utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1)); // the count includes the terminator
    return wide;
}

} // namespace

void ShowMessageBox(const char* utf8Text, const char* utf8Caption) {
    // The system breaks lines only between words, so a long path would make
    // the box as wide as the path, past the screen's edge.
    const std::wstring text = WideFromUtf8(
        WrapMessageLines(utf8Text != nullptr ? utf8Text : "", kMessageBoxColumns).c_str());
    if (utf8Caption == nullptr) {
        // No caption: the system shows its default one.
        MessageBoxW(nullptr, text.c_str(), nullptr, MB_OK);
        return;
    }
    const std::wstring caption = WideFromUtf8(utf8Caption);
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK);
}
