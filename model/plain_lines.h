// The lines that make up nearly all of a large document, read straight from
// their bytes instead of being split into tokens first: vertex lines, face
// lines and key lines. Each reader takes one line as AsciiFileString::TakeLine
// gives it and accepts only a strict plain shape, for which it yields exactly
// the values that splitting the line and reading its tokens gives. For any
// other line it returns false without a word about why; the caller splits
// that line and reads it the general way. A plain line is all ASCII, so the
// readers stand for splitting only where no ASCII byte starts a double-byte
// character (StringSeparator::AsciiNeverLeads); a number that the exact fast
// conversion does not read makes the line not plain.
//
// A line ends at its first NUL, CR or LF, and StringSeparator::kScanPadding
// readable bytes must follow that byte, as they do in AsciiFileString's
// buffer. In the shapes below, a blank is a space or a tab, numbers are
// written as ReadPlainDecimal and ReadPlainInt read them, and each ends
// before a blank, before the line's end or, inside parentheses, before ")".
#pragma once

#include "model/model.h"

// What a plain face line holds.
struct PlainFaceLine {
    int corners = 0; // 1 to kMaxFaceCorners (more are read the general way); one index each
    int indices[kMaxFaceCorners] = {};
    bool hasMaterial = false; // an "M" part was written, giving material
    int material = 0;
    bool hasTexCoords = false; // a "UV" part was written, giving a pair per corner
    TexCoord texCoords[kMaxFaceCorners];
};

// Blanks, then count numbers separated by blanks; what follows the last one
// (after a blank or at the line's end) is not looked at, as the reader
// ignores it. Vertex lines have three numbers, key lines sixteen.
bool ReadPlainNumberLine(const char* line, float* values, int count);

// Blanks, the count c, blanks, "V" in either case, "(", c indices, ")";
// then optionally "M" "(" a material index ")"; then optionally "UV" "("
// 2c numbers ")"; blanks may stand between any of these. After the "UV"
// part anything may follow, as the reader ignores it; without one, only
// blanks may follow, as anything else could change how the line is read.
bool ReadPlainFaceLine(const char* line, PlainFaceLine& face);

// How a list of numbers is read: from masks of its bytes, in the shape of
// nearly every list of a document, or each number only after the one before,
// as every other list is read. Both give the same; the second is offered to
// be compared with.
enum class ListReading { kMasked, kOneByOne };

// count numbers from p, each after blanks, the last ending before a blank, a
// ")" or the line's end: floats as atof narrowed to float, ints as atoi.
// Returns the byte after the last, or nullptr when one is not plain.
const char* ReadPlainList(const char* p, float* values, int count, ListReading reading);
const char* ReadPlainList(const char* p, int* values, int count, ListReading reading);
