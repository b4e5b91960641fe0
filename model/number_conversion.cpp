#include "model/number_conversion.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Every power of ten up to 1e22 is exact in a double.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPower = 22;
constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;

// The value of c as a decimal digit, or 10 and more for any other byte.
unsigned DigitValue(char c) {
    return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0';
}

// Converts [sign] digits [. digits] [e [sign] digits] when the digits form an
// integer of at most 2^53 and the power of ten is exact: then one
// multiplication or division, rounded once, gives the correctly rounded double
// that strtod gives too. Returns false for every other shape, leaving it to
// the C library.
inline bool ConvertPlainDecimal(const char* text, double& result) {
    const char* p = text;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    const char* const integerStart = p;
    std::uint64_t mantissa = 0;
    unsigned digit = 0;
    while ((digit = DigitValue(*p)) < 10) {
        mantissa = mantissa * 10 + digit;
        ++p;
    }
    // "0x" starts a hexadecimal float; leave it to the C library.
    if (p - integerStart == 1 && *integerStart == '0' && (*p == 'x' || *p == 'X')) {
        return false;
    }
    std::ptrdiff_t digits = p - integerStart;
    std::ptrdiff_t fractionDigits = 0;
    if (*p == '.') {
        const char* const fractionStart = ++p;
        while ((digit = DigitValue(*p)) < 10) {
            mantissa = mantissa * 10 + digit;
            ++p;
        }
        fractionDigits = p - fractionStart;
        digits += fractionDigits;
    }
    // No digit at all (".", "-", "inf", "nan", garbage), or more digits than
    // a 64-bit integer holds: the C library decides.
    if (digits == 0 || digits > 19) {
        return false;
    }
    int exponent = -static_cast<int>(fractionDigits);
    // An exponent counts only with at least one digit: "1e" and "1e+" are 1.
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        const bool negativeExponent = *q == '-';
        if (*q == '-' || *q == '+') {
            ++q;
        }
        if (DigitValue(*q) < 10) {
            int written = 0;
            for (int exponentDigits = 0; (digit = DigitValue(*q)) < 10; ++q) {
                if (++exponentDigits > 4) {
                    return false;
                }
                written = written * 10 + static_cast<int>(digit);
            }
            exponent += negativeExponent ? -written : written;
        }
    }
    if (mantissa > kMaxExactMantissa || exponent < -kMaxExactPower || exponent > kMaxExactPower) {
        return false;
    }
    const double value = static_cast<double>(mantissa);
    result =
        exponent < 0 ? value / kExactPowersOfTen[-exponent] : value * kExactPowersOfTen[exponent];
    if (negative) {
        result = -result;
    }
    return true;
}

} // namespace

double TextToDouble(const char* text) {
    double result = 0.0;
    if (ConvertPlainDecimal(text, result)) {
        return result;
    }
    return std::strtod(text, nullptr);
}

float TextToFloat(const char* text) {
    return static_cast<float>(TextToDouble(text));
}

int TextToInt(const char* text) {
    const char* p = text;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    // Up to nine digits cannot leave the int range.
    int value = 0;
    const char* const start = p;
    unsigned digit = 0;
    while ((digit = DigitValue(*p)) < 10 && p - start < 9) {
        value = value * 10 + static_cast<int>(digit);
        ++p;
    }
    if (p != start && DigitValue(*p) >= 10) {
        return negative ? -value : value;
    }
    // Leading whitespace, no digits, or a long number: the C library decides.
    return static_cast<int>(std::strtol(text, nullptr, 10));
}
