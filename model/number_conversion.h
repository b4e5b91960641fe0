// The reader's lenient number conversions. Each gives exactly what the C
// library gives for the same text: TextToDouble is atof, TextToFloat is atof
// narrowed to float, TextToInt is atoi. Plain decimal numbers, the shape
// documents are made of, take a fast path; anything else goes to the C library.
#pragma once

#include <cstdint>

// atof(text): the leading number of text, 0 when there is none.
double TextToDouble(const char* text);

// (float)atof(text): rounded to double first, then narrowed, as atof's callers do.
float TextToFloat(const char* text);

// atoi(text). atoi leaves overflow undefined; here it is what strtol gives,
// narrowed to int (glibc's atoi is exactly that): on a 64-bit long a number
// beyond the int range keeps its low 32 bits, beyond the long range it
// saturates at LONG_MIN or LONG_MAX first.
int TextToInt(const char* text);

// The fast paths themselves, also used by the readers of whole lines
// (plain_lines.h). Each reads a number at text and returns the byte after
// it, or nullptr for a shape it leaves to the C library.

namespace number_detail {

// Every power of ten up to 1e22 is exact in a double.
inline constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline constexpr int kMaxExactPower = 22;
inline constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;
// Digits that a 64-bit mantissa always holds.
inline constexpr int kMaxMantissaDigits = 19;
// Exponent digits read; a longer exponent is far beyond the exact powers.
inline constexpr int kMaxExponentDigits = 4;
// Digits that atoi reads without leaving the int range.
inline constexpr int kMaxPlainIntDigits = 9;

// The value of c as a decimal digit, or 10 and more for any other byte.
inline unsigned DigitValue(char c) {
    return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0';
}

// mantissa x 10^exponent, for a mantissa of at most kMaxExactMantissa and
// an exponent within kMaxExactPower either way: both factors are exact, so
// the one rounding gives the correctly rounded double.
inline double ExactDecimal(std::uint64_t mantissa, int exponent, bool negative) {
    const double magnitude = static_cast<double>(mantissa);
    const double value = exponent < 0 ? magnitude / kExactPowersOfTen[-exponent]
                                      : magnitude * kExactPowersOfTen[exponent];
    return negative ? -value : value;
}

} // namespace number_detail

// [sign] digits [. digits] [e [sign] digits], at least one digit, when the
// digits form an integer of at most 2^53 and the power of ten is exact (see
// ExactDecimal), the double that strtod gives too. An "e" without an exponent
// digit after it is not part of the number, as for strtod.
const char* ReadPlainDecimal(const char* text, double& value);

// [sign] one to nine digits: what atoi gives, with no chance of overflow.
const char* ReadPlainInt(const char* text, int& value);
