#include "platform/services/message_lines.h"

#include <algorithm>
#include <cstddef>

namespace {

// First and last code point of a block of East Asian wide or fullwidth
// characters (two columns in a terminal, a full square in a Japanese font).
struct WideRange {
    char32_t first;
    char32_t last;
};

constexpr WideRange kWideRanges[] = {
    {0x1100, 0x115F},   // Hangul initial consonants
    {0x2E80, 0x303E},   // CJK radicals, ideographic symbols and punctuation
    {0x3041, 0x33FF},   // kana, Bopomofo, Hangul letters, enclosed and squared CJK
    {0x3400, 0x4DBF},   // CJK ideographs, extension A
    {0x4E00, 0x9FFF},   // CJK ideographs
    {0xA000, 0xA4CF},   // Yi
    {0xAC00, 0xD7A3},   // Hangul syllables
    {0xF900, 0xFAFF},   // CJK compatibility ideographs
    {0xFE10, 0xFE19},   // vertical forms
    {0xFE30, 0xFE6F},   // CJK compatibility forms, small forms
    {0xFF00, 0xFF60},   // fullwidth forms (halfwidth katakana follow, narrow)
    {0xFFE0, 0xFFE6},   // fullwidth signs
    {0x1F300, 0x1F64F}, // pictographs and emoticons
    {0x1F900, 0x1F9FF}, // more pictographs
    {0x20000, 0x3FFFD}, // CJK ideographs, extensions B and beyond
};

// One character of UTF-8 text.
struct Character {
    size_t bytes; // 1 to 4; a byte that starts no valid sequence is a character of its own
    int columns;  // 2 for a wide character, else 1
};

bool IsWide(char32_t code) {
    for (const WideRange& range : kWideRanges) {
        if (code >= range.first && code <= range.last) {
            return true;
        }
    }
    return false;
}

Character CharacterAt(std::string_view text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t bytes = 0;
    if (lead < 0x80) {
        bytes = 1;
    } else if ((lead & 0xE0) == 0xC0) {
        bytes = 2;
    } else if ((lead & 0xF0) == 0xE0) {
        bytes = 3;
    } else if ((lead & 0xF8) == 0xF0) {
        bytes = 4;
    }
    // A stray byte shows as one replacement character.
    constexpr Character kStray = {1, 1};
    if (bytes == 0 || at + bytes > text.size()) {
        return kStray;
    }
    char32_t code = bytes == 1 ? lead : lead & (0x7Fu >> bytes);
    for (size_t i = 1; i < bytes; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return kStray;
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    return {bytes, IsWide(code) ? 2 : 1};
}

int ColumnsOf(std::string_view text) {
    int columns = 0;
    for (size_t at = 0; at < text.size();) {
        const Character character = CharacterAt(text, at);
        columns += character.columns;
        at += character.bytes;
    }
    return columns;
}

// Bytes of the longest start of line that fits in columns; at least one
// character, so every line break moves on.
size_t FittingStart(std::string_view line, int columns) {
    size_t end = 0;
    int used = 0;
    while (end < line.size()) {
        const Character character = CharacterAt(line, end);
        if (end > 0 && used + character.columns > columns) {
            break;
        }
        used += character.columns;
        end += character.bytes;
    }
    return end;
}

bool IsPathSeparator(char c) {
    return c == '/' || c == '\\';
}

// Where a line too long for columns breaks, given the fitting start's length
// fit: the break leaves the separator or space at the end of the first line.
size_t BreakOf(std::string_view line, size_t fit, int columns) {
    // Bytes are compared alone: no byte of a UTF-8 sequence is ASCII.
    const size_t space = line.rfind(' ', fit - 1);
    const size_t wordStart = space == std::string_view::npos ? 0 : space + 1;
    const size_t wordEnd = std::min(line.find(' ', wordStart), line.size());
    const bool wordFitsALine = ColumnsOf(line.substr(wordStart, wordEnd - wordStart)) <= columns;
    if (space != std::string_view::npos && wordFitsALine) {
        return space + 1; // the word, a path say, goes whole to the next line
    }
    for (size_t at = fit; at > wordStart; --at) {
        if (IsPathSeparator(line[at - 1])) {
            return at;
        }
    }
    return space != std::string_view::npos ? space + 1 : fit;
}

void AppendWrappedLine(std::string_view line, int columns, std::string& out) {
    while (ColumnsOf(line) > columns) {
        const size_t lineBreak = BreakOf(line, FittingStart(line, columns), columns);
        out.append(line.substr(0, lineBreak));
        out += '\n';
        line.remove_prefix(lineBreak);
    }
    out.append(line);
}

} // namespace

std::string WrapMessageLines(std::string_view utf8Text, int columns) {
    std::string wrapped;
    wrapped.reserve(utf8Text.size() + utf8Text.size() / 16);
    for (;;) {
        const size_t end = utf8Text.find('\n');
        AppendWrappedLine(utf8Text.substr(0, end), columns, wrapped);
        if (end == std::string_view::npos) {
            return wrapped;
        }
        wrapped += '\n';
        utf8Text.remove_prefix(end + 1);
    }
}
