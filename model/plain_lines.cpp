#include "model/plain_lines.h"

#include "model/plain_numbers.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The bytes that end a line's text for the tokenizer.
bool IsLineEnd(char c) {
    return c == '\0' || c == '\n' || c == '\r';
}

const char* SkipBlanks(const char* p) {
    while (IsBlank(*p)) {
        ++p;
    }
    return p;
}

// Whether a token ends before c: a blank ends every token; the caller names
// the one other byte that may (a line end or ")"), both of which the
// tokenizer takes as the end of a token too.
template <typename Ends> bool EndsToken(char c, Ends ends) {
    return IsBlank(c) || ends(c);
}

template <typename Ends> const char* ReadFloatToken(const char* p, float& value, Ends ends) {
    double number = 0.0;
    const char* const end = ReadPaddedDecimal(p, number);
    if (end == nullptr || !EndsToken(*end, ends)) {
        return nullptr;
    }
    value = static_cast<float>(number); // atof narrowed, as TokenFloat gives
    return end;
}

template <typename Ends> const char* ReadIntToken(const char* p, int& value, Ends ends) {
    const char* const end = ReadPaddedInt(p, value);
    return end != nullptr && EndsToken(*end, ends) ? end : nullptr;
}

// The bytes besides blanks that end a number: as objects rather than
// function pointers, so that each reader is made for its own.
constexpr auto kAtLineEnd = [](char c) { return IsLineEnd(c); };
constexpr auto kAtClosing = [](char c) { return c == ')'; };
constexpr auto kAtBlankOnly = [](char) { return false; };

// True when c is the ASCII letter given in lower case, in either case.
bool IsLetter(char c, char lower) {
    return (c | 0x20) == lower;
}

// At p: blanks, "(", blanks; the first byte after them, or nullptr.
const char* OpenParenthesis(const char* p) {
    p = SkipBlanks(p);
    return *p == '(' ? SkipBlanks(p + 1) : nullptr;
}

// At p: blanks, ")", blanks; the first byte after them, or nullptr.
const char* CloseParenthesis(const char* p) {
    p = SkipBlanks(p);
    return *p == ')' ? SkipBlanks(p + 1) : nullptr;
}

} // namespace

bool ReadPlainNumberLine(const char* line, float* values, int count) {
    const char* p = line;
    for (int i = 0; i < count; ++i) {
        // Each number ended before a blank or the line's end; at the end the
        // next one finds no digit.
        p = ReadFloatToken(SkipBlanks(p), values[i], kAtLineEnd);
        if (p == nullptr) {
            return false;
        }
    }
    return true;
}

bool ReadPlainFaceLine(const char* line, PlainFaceLine& face) {
    int corners = 0;
    const char* p = ReadIntToken(SkipBlanks(line), corners, kAtBlankOnly);
    if (p == nullptr || corners < 1 || corners > kMaxFaceCorners) {
        return false;
    }
    p = SkipBlanks(p);
    if (!IsLetter(*p, 'v') || (p = OpenParenthesis(p + 1)) == nullptr) {
        return false;
    }
    face.corners = corners;
    for (int k = 0; k < corners; ++k) {
        p = ReadIntToken(SkipBlanks(p), face.indices[k], kAtClosing);
        if (p == nullptr) {
            return false;
        }
    }
    if ((p = CloseParenthesis(p)) == nullptr) {
        return false;
    }
    face.hasMaterial = IsLetter(*p, 'm');
    if (face.hasMaterial) {
        if ((p = OpenParenthesis(p + 1)) == nullptr ||
            (p = ReadIntToken(p, face.material, kAtClosing)) == nullptr ||
            (p = CloseParenthesis(p)) == nullptr) {
            return false;
        }
    }
    face.hasTexCoords = IsLetter(p[0], 'u') && IsLetter(p[1], 'v');
    if (!face.hasTexCoords) {
        return IsLineEnd(*p);
    }
    if ((p = OpenParenthesis(p + 2)) == nullptr) {
        return false;
    }
    for (int k = 0; k < corners; ++k) {
        TexCoord& texCoord = face.texCoords[k];
        if ((p = ReadFloatToken(SkipBlanks(p), texCoord.u, kAtClosing)) == nullptr ||
            (p = ReadFloatToken(SkipBlanks(p), texCoord.v, kAtClosing)) == nullptr) {
            return false;
        }
    }
    return CloseParenthesis(p) != nullptr;
}
