// Numbers of the plain lines (plain_lines.h), read from masks of their bytes
// where the processor allows: the digits of a number are found with one
// comparison and converted without a branch per digit. Each gives the same
// value and end as ReadPlainDecimal or ReadPlainInt, which read every shape
// these do not. The text must be followed, within the bytes up to its line's
// end, by a byte that is no digit, and StringSeparator::kScanPadding readable
// bytes must follow that end.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define KORVANE_PLAIN_NUMBERS_SSE2 1
#endif

#include "model/ascii_text.h"
#include "model/inline_always.h"
#include "model/number_conversion.h"

// The readers below are inlined wherever they are called: in the loops of a
// line's numbers their constants then stay in registers.

#ifdef KORVANE_PLAIN_NUMBERS_SSE2

namespace number_detail {

// Digits converted at once without a branch.
inline constexpr int kWordDigits = 8;

inline constexpr std::uint64_t kPowersOfTen[kWordDigits + 1] = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// Bit i set when byte i of the sixteen from p is a decimal digit.
inline unsigned DigitMask(const char* p) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // As signed bytes less '0', digits are 0 to 9 and every other byte lies
    // below 0 or above 9.
    const __m128i values = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
    const __m128i digits = _mm_andnot_si128(_mm_cmplt_epi8(values, _mm_setzero_si128()),
                                            _mm_cmplt_epi8(values, _mm_set1_epi8(10)));
    return static_cast<unsigned>(_mm_movemask_epi8(digits));
}

// The digits leading the sixteen bytes of mask, 16 when all are.
inline int LeadingDigits(unsigned mask) {
    return std::countr_zero(~mask);
}

// The value of the `count` digits from p, 1 <= count <= kWordDigits: the
// digits are moved to the end of an eight-byte word, and pairs, quads and
// the two halves are combined by three multiplications.
inline std::uint64_t DigitsValue(const char* p, int count) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    word <<= 8 * (kWordDigits - count); // the first byte in memory is the lowest
    word = (word & 0x0F0F0F0F0F0F0F0Full) * ((10 << 8) + 1) >> 8;
    word = (word & 0x00FF00FF00FF00FFull) * ((100 << 16) + 1) >> 16;
    return (word & 0x0000FFFF0000FFFFull) * ((10000ull << 32) + 1) >> 32;
}

// A byte after digits that makes the number longer or another shape: a
// point, an exponent or the x of a hexadecimal number.
inline bool ContinuesNumber(char c) {
    const char lower = FoldAsciiCase(c);
    return c == '.' || lower == 'e' || lower == 'x';
}

} // namespace number_detail

// ReadPlainDecimal, taking at once [-] one to eight digits [. up to eight
// digits], fourteen digits at most, which keeps the mantissa below 2^53 and
// the number within the sixteen bytes looked at.
KORVANE_INLINE_ALWAYS const char* ReadPaddedDecimal(const char* text, double& value) {
    using namespace number_detail;
    const bool negative = *text == '-';
    const char* const digits = text + (negative ? 1 : 0);
    const unsigned mask = DigitMask(digits);
    const unsigned integerDigits = static_cast<unsigned>(LeadingDigits(mask));
    const char* end = digits + integerDigits;
    if (integerDigits - 1 < kWordDigits) {
        std::uint64_t mantissa = DigitsValue(digits, static_cast<int>(integerDigits));
        unsigned fractionDigits = 0;
        if (*end == '.') {
            fractionDigits = static_cast<unsigned>(LeadingDigits(mask >> (integerDigits + 1)));
            if (fractionDigits > kWordDigits || integerDigits + fractionDigits > 14) {
                return ReadPlainDecimal(text, value);
            }
            mantissa *= kPowersOfTen[fractionDigits];
            if (fractionDigits > 0) {
                mantissa += DigitsValue(end + 1, static_cast<int>(fractionDigits));
            }
            end += 1 + fractionDigits;
        }
        if (!ContinuesNumber(*end)) {
            value = ExactDecimal(mantissa, -static_cast<int>(fractionDigits), negative);
            return end;
        }
    }
    return ReadPlainDecimal(text, value);
}

// ReadPlainInt, taking at once [-] one to eight digits.
KORVANE_INLINE_ALWAYS const char* ReadPaddedInt(const char* text, int& value) {
    using namespace number_detail;
    const bool negative = *text == '-';
    const char* const digits = text + (negative ? 1 : 0);
    const int count = LeadingDigits(DigitMask(digits));
    if (static_cast<unsigned>(count) - 1 < kWordDigits) {
        const auto magnitude = static_cast<int>(DigitsValue(digits, count));
        value = negative ? -magnitude : magnitude;
        return digits + count;
    }
    return ReadPlainInt(text, value);
}

namespace number_detail {

// Sixteen bytes from p: bit i of each mask stands for p[i].
struct ByteMasks {
    unsigned digits = 0;
    unsigned points = 0;
    unsigned blanks = 0;
};

KORVANE_INLINE_ALWAYS ByteMasks MasksAt(const char* p) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Digits become the ten lowest signed bytes.
    const __m128i digits =
        _mm_cmplt_epi8(_mm_add_epi8(bytes, _mm_set1_epi8(static_cast<char>(128 - '0'))),
                       _mm_set1_epi8(static_cast<char>(-128 + 10)));
    const __m128i blanks = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')),
                                        _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')));
    return {static_cast<unsigned>(_mm_movemask_epi8(digits)),
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('.')))),
            static_cast<unsigned>(_mm_movemask_epi8(blanks))};
}

// The bytes from bit on that are set in mask, up to the mask's end.
inline int RunFrom(std::uint64_t mask, int bit) {
    return std::countr_zero(~(mask >> bit));
}

// The bytes of a window classified at once: lists of floats are long (three
// to sixteen numbers), lists of ints short (one to four), which a window of
// half the bytes mostly holds.
template <typename Number>
inline constexpr int kWindowBytes = std::is_same_v<Number, float> ? 64 : 32;
// The longest number a window takes, then the byte after it: a sign, eight
// digits, then for a float a point and eight digits. A number starting at
// most kLastWindowStart into a window is read from the window's masks.
template <typename Number>
inline constexpr int kWindowNumberBytes = 1 + kWordDigits +
                                          (std::is_same_v<Number, float> ? 1 + kWordDigits : 0) + 1;
template <typename Number>
inline constexpr int kLastWindowStart = kWindowBytes<Number> - kWindowNumberBytes<Number>;
// Digits that keep a mantissa below 2^53.
inline constexpr int kMaxWindowDigits = 15;

// The masks of a window of bytes from p: bit i stands for p[i].
struct WindowMasks {
    std::uint64_t digits = 0;
    std::uint64_t points = 0;
    std::uint64_t blanks = 0;
};

template <int Bytes> KORVANE_INLINE_ALWAYS WindowMasks WindowMasksAt(const char* p) {
    WindowMasks window;
    for (int at = 0; at < Bytes; at += 16) {
        const ByteMasks m = MasksAt(p + at);
        window.digits |= std::uint64_t{m.digits} << at;
        window.points |= std::uint64_t{m.points} << at;
        window.blanks |= std::uint64_t{m.blanks} << at;
    }
    return window;
}

// The number at bit s of the window at w, in the shape [-] one to eight
// digits [. up to eight digits] (integers without the point), fifteen digits
// at most; its end's bit, or -1 for another shape.
template <typename Number>
KORVANE_INLINE_ALWAYS int WindowNumber(const char* w, const WindowMasks& m, int s, Number& value) {
    const bool negative = w[s] == '-';
    const int first = s + (negative ? 1 : 0);
    const int integerDigits = RunFrom(m.digits, first);
    if (static_cast<unsigned>(integerDigits) - 1 >= kWordDigits) {
        return -1;
    }
    int end = first + integerDigits;
    std::uint64_t mantissa = DigitsValue(w + first, integerDigits);
    if constexpr (std::is_same_v<Number, float>) {
        int fractionDigits = 0;
        if (((m.points >> end) & 1) != 0) {
            fractionDigits = RunFrom(m.digits, end + 1);
            if (fractionDigits > kWordDigits || integerDigits + fractionDigits > kMaxWindowDigits) {
                return -1;
            }
            mantissa *= kPowersOfTen[fractionDigits];
            if (fractionDigits > 0) {
                mantissa += DigitsValue(w + end + 1, fractionDigits);
            }
            end += 1 + fractionDigits;
        }
        value = static_cast<float>(ExactDecimal(mantissa, -fractionDigits, negative));
    } else {
        const auto magnitude = static_cast<int>(mantissa);
        value = negative ? -magnitude : magnitude;
    }
    return end;
}

} // namespace number_detail

// count numbers from p, each after blanks, the last ending before a blank or
// a byte that `ends` accepts: floats as atof narrowed to float, ints as atoi.
// The bytes are classified kWindowBytes at a time, and every number that
// starts early enough in a window is read from its masks, which also tell
// where the next one starts: most numbers need no load of their own to find
// their digits, point and the blanks after them. Returns the byte after the
// last number, or nullptr for a list of another shape, which the caller then
// reads one number at a time to decide.
template <typename Number, typename Ends>
KORVANE_INLINE_ALWAYS const char* ReadMaskedList(const char* p, Number* values, int count,
                                                 Ends ends) {
    using namespace number_detail;
    if (count <= 0) {
        return p;
    }
    while (*p == ' ' || *p == '\t') {
        ++p;
    }
    constexpr int kBytes = kWindowBytes<Number>;
    WindowMasks m = WindowMasksAt<kBytes>(p);
    int s = 0;
    for (int i = 0;; ++i) {
        if (s > kLastWindowStart<Number>) {
            p += s;
            s = 0;
            m = WindowMasksAt<kBytes>(p);
        }
        const int end = WindowNumber(p, m, s, values[i]);
        if (end < 0) {
            return nullptr;
        }
        if (i + 1 == count) {
            const char after = p[end];
            return after == ' ' || after == '\t' || ends(after) ? p + end : nullptr;
        }
        // Blanks, at least one, up to the next number.
        const int blanks = RunFrom(m.blanks, end);
        if (blanks == 0) {
            return nullptr;
        }
        s = end + blanks;
        if (s == kBytes) {
            p += s;
            while (*p == ' ' || *p == '\t') {
                ++p;
            }
            s = 0;
            m = WindowMasksAt<kBytes>(p);
        }
    }
}

#else

KORVANE_INLINE_ALWAYS const char* ReadPaddedDecimal(const char* text, double& value) {
    return ReadPlainDecimal(text, value);
}

KORVANE_INLINE_ALWAYS const char* ReadPaddedInt(const char* text, int& value) {
    return ReadPlainInt(text, value);
}

// Without the masks every list is read one number at a time.
template <typename Number, typename Ends>
KORVANE_INLINE_ALWAYS const char* ReadMaskedList(const char*, Number*, int, Ends) {
    return nullptr;
}

#endif
