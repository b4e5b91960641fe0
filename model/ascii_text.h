// Byte tests on a document's text that the tokenizer, the plain-line readers
// and model loading share: text stays in the file's code page, so only ASCII
// bytes are ever told apart.
#pragma once

#include <algorithm>
#include <string_view>

// The bytes that end a line's text for the tokenizer: NUL, CR and LF.
constexpr bool IsLineEnd(char c) {
    return c == '\0' || c == '\n' || c == '\r';
}

// An ASCII capital as its small letter; every other byte as it is.
constexpr char FoldAsciiCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whole texts compared, ASCII letters without regard to case.
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldAsciiCase(x) == FoldAsciiCase(y);
           });
}
