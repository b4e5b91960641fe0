#include "model/plain_lines.h"

#include "model/ascii_text.h"
#include "model/plain_numbers.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
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

// The bytes besides blanks that end a number: as objects rather than
// function pointers, so that each reader is made for its own.
constexpr auto kAtLineEnd = [](char c) { return IsLineEnd(c); };
constexpr auto kAtClosing = [](char c) { return c == ')'; };
constexpr auto kAtBlankOnly = [](char) { return false; };
constexpr auto kAtLineEndOrClosing = [](char c) { return IsLineEnd(c) || c == ')'; };

// Reads count numbers from p, each after blanks and ending where ends says:
// floats as atof narrowed to float, as TokenFloat gives them, or ints as
// atoi. Returns the byte after the last, or nullptr when one is not plain.
// Each list is one loop with the number's reading inlined into it, so that
// its constants stay in registers from number to number.
template <typename Ends>
const char* ReadNumbersOneByOne(const char* p, float* values, int count, Ends ends) {
    for (int i = 0; i < count; ++i) {
        double number = 0.0;
        p = ReadPaddedDecimal(SkipBlanks(p), number);
        if (p == nullptr || !EndsToken(*p, ends)) {
            return nullptr;
        }
        values[i] = static_cast<float>(number);
    }
    return p;
}

template <typename Ends>
const char* ReadNumbersOneByOne(const char* p, int* values, int count, Ends ends) {
    for (int i = 0; i < count; ++i) {
        p = ReadPaddedInt(SkipBlanks(p), values[i]);
        if (p == nullptr || !EndsToken(*p, ends)) {
            return nullptr;
        }
    }
    return p;
}

// ReadNumbersOneByOne, taking the lists of the common shape from masks of
// their bytes first.
template <typename Number, typename Ends>
const char* ReadNumbers(const char* p, Number* values, int count, Ends ends) {
    if (const char* end = ReadMaskedList(p, values, count, ends)) {
        return end;
    }
    return ReadNumbersOneByOne(p, values, count, ends);
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
    // At the line's end the next number finds no digit.
    return ReadNumbers(line, values, count, kAtLineEnd) != nullptr;
}

bool ReadPlainFaceLine(const char* line, PlainFaceLine& face) {
    int corners = 0;
    const char* p = ReadNumbers(line, &corners, 1, kAtBlankOnly);
    if (p == nullptr || corners < 1 || corners > kMaxFaceCorners) {
        return false;
    }
    p = SkipBlanks(p);
    if (FoldAsciiCase(*p) != 'v' || (p = OpenParenthesis(p + 1)) == nullptr ||
        (p = ReadNumbers(p, face.indices, corners, kAtClosing)) == nullptr ||
        (p = CloseParenthesis(p)) == nullptr) {
        return false;
    }
    face.corners = corners;
    face.hasMaterial = FoldAsciiCase(*p) == 'm';
    if (face.hasMaterial) {
        if ((p = OpenParenthesis(p + 1)) == nullptr ||
            (p = ReadNumbers(p, &face.material, 1, kAtClosing)) == nullptr ||
            (p = CloseParenthesis(p)) == nullptr) {
            return false;
        }
    }
    face.hasTexCoords = FoldAsciiCase(p[0]) == 'u' && FoldAsciiCase(p[1]) == 'v';
    if (!face.hasTexCoords) {
        return IsLineEnd(*p);
    }
    float values[2 * kMaxFaceCorners] = {};
    if ((p = OpenParenthesis(p + 2)) == nullptr ||
        (p = ReadNumbers(p, values, 2 * corners, kAtClosing)) == nullptr) {
        return false;
    }
    for (int k = 0; k < corners; ++k) {
        face.texCoords[k] = {values[2 * k], values[2 * k + 1]};
    }
    return CloseParenthesis(p) != nullptr;
}

const char* ReadPlainList(const char* p, float* values, int count, ListReading reading) {
    return reading == ListReading::kMasked
               ? ReadNumbers(p, values, count, kAtLineEndOrClosing)
               : ReadNumbersOneByOne(p, values, count, kAtLineEndOrClosing);
}

const char* ReadPlainList(const char* p, int* values, int count, ListReading reading) {
    return reading == ListReading::kMasked
               ? ReadNumbers(p, values, count, kAtLineEndOrClosing)
               : ReadNumbersOneByOne(p, values, count, kAtLineEndOrClosing);
}
