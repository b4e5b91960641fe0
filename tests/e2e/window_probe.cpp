// Lists the visible top-level windows of the Wine session as JSON, one object
// per window, with what the end-to-end tests check and X cannot tell: class,
// styles, owner, activation, client rectangle, controls and their texts (a
// message box's text is its static control's), and the X window Wine shows
// it in. Built for Windows and run under Wine beside the game; it only reads.
// (Menus cannot be read from another process under Wine: the tests read them
// from the resources.)
//
//   window_probe.exe              the windows, as a JSON list
//   window_probe.exe answer HWND  {"answered": true} once the window's thread has
//                                 handled a message sent now (false after 5 s)
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), length,
                        nullptr, nullptr);
    return utf8;
}

std::string Quoted(const std::wstring& text) {
    std::string out = "\"";
    for (const char c : Utf8(text)) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::string Rect(const RECT& rect) {
    return "[" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " +
           std::to_string(rect.right) + ", " + std::to_string(rect.bottom) + "]";
}

// The client rectangle in screen coordinates.
RECT ClientRectOnScreen(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&client, origin.x, origin.y);
    return client;
}

std::string ControlJson(HWND control) {
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    RECT rect = {};
    GetWindowRect(control, &rect);
    std::string out = "{\"id\": " + std::to_string(static_cast<short>(GetDlgCtrlID(control)));
    out += ", \"class\": " + Quoted(ClassOf(control));
    out += ", \"text\": " + Quoted(WindowText(control));
    out += ", \"style\": " + std::to_string(static_cast<unsigned long>(style));
    out += ", \"visible\": " + std::string(IsWindowVisible(control) ? "true" : "false");
    out += ", \"rect\": " + Rect(rect);
    if (lstrcmpiW(ClassOf(control).c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        // A timeout, so a game busy starting up cannot stall the probe.
        DWORD_PTR icon = 0;
        SendMessageTimeoutW(control, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon);
        const bool hasIcon = icon != 0;
        out += ", \"has_icon\": " + std::string(hasIcon ? "true" : "false");
    }
    return out + "}";
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
    // Direct children only: the dialogs and the game window have no nested controls.
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The X window Wine shows a top-level window in; 0 when there is none.
UINT_PTR XWindowOf(HWND window) {
    return reinterpret_cast<UINT_PTR>(GetPropW(window, L"__wine_x11_whole_window"));
}

std::string WindowJson(HWND window) {
    RECT bounds = {};
    GetWindowRect(window, &bounds);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    std::string out = "{\"hwnd\": " + std::to_string(reinterpret_cast<UINT_PTR>(window));
    out += ", \"pid\": " + std::to_string(processId);
    out += ", \"title\": " + Quoted(WindowText(window));
    out += ", \"class\": " + Quoted(ClassOf(window));
    out += ", \"style\": " +
           std::to_string(static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)));
    out += ", \"visible\": " + std::string(IsWindowVisible(window) ? "true" : "false");
    out += ", \"foreground\": " + std::string(GetForegroundWindow() == window ? "true" : "false");
    out +=
        ", \"owner\": " + std::to_string(reinterpret_cast<UINT_PTR>(GetWindow(window, GW_OWNER)));
    out += ", \"window\": " + Rect(bounds);
    out += ", \"client\": " + Rect(ClientRectOnScreen(window));
    out += ", \"has_menu\": " + std::string(GetMenu(window) != nullptr ? "true" : "false");
    out += ", \"x_window\": " + std::to_string(XWindowOf(window));
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    out += ", \"controls\": [";
    bool first = true;
    for (HWND child : children) {
        if (GetParent(child) != window) {
            continue;
        }
        out += first ? "" : ", ";
        out += ControlJson(child);
        first = false;
    }
    return out + "]}";
}

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// Sends the window a message that does nothing and waits for its thread to
// handle it: once it has, whatever that thread was doing when the message was
// sent (taking the activation, say) is done.
int Answer(const wchar_t* handleText) {
    wchar_t* end = nullptr;
    const unsigned long long handle = std::wcstoull(handleText, &end, 10);
    if (end == handleText || *end != L'\0') {
        std::fputs("window_probe: answer needs a window handle in decimal\n", stderr);
        return 2;
    }
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle));
    DWORD_PTR result = 0;
    const bool answered =
        IsWindow(window) &&
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
    Print(std::string("{\"answered\": ") + (answered ? "true" : "false") + "}\n");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[1], L"answer") == 0) {
        return Answer(argv[2]);
    }
    if (argc != 1) {
        std::fputs("usage: window_probe.exe [answer HWND]\n", stderr);
        return 2;
    }
    std::vector<HWND> windows;
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
    std::string out = "[";
    bool first = true;
    for (HWND window : windows) {
        if (!IsWindowVisible(window)) {
            continue;
        }
        out += first ? "\n" : ",\n";
        out += WindowJson(window);
        first = false;
    }
    out += "\n]\n";
    Print(out);
    return 0;
}
