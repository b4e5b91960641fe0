#include "model/number_conversion.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Every power of ten up to 1e22 is exact in a double.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPower = 22;
constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Converts [sign] digits [. digits] [e [sign] digits] when the digits form an
// integer below 2^53 and the power of ten is exact: then one multiplication
// or division, rounded once, gives the correctly rounded double that strtod
// gives too. Returns false for every other shape, leaving it to the C library.
bool ConvertPlainDecimal(const char* text, double& result) {
    const char* p = text;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    // "0x" starts a hexadecimal float; leave it to the C library.
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        return false;
    }
    std::uint64_t mantissa = 0;
    int digits = 0;
    int exponent = 0;
    while (IsDigit(*p)) {
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
        ++digits;
        ++p;
    }
    if (*p == '.') {
        ++p;
        while (IsDigit(*p)) {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
            ++digits;
            --exponent;
            ++p;
        }
    }
    // No digit at all (".", "-", "inf", "nan", garbage), or more digits than
    // a 64-bit integer holds: the C library decides.
    if (digits == 0 || digits > 19) {
        return false;
    }
    // An exponent counts only with at least one digit: "1e" and "1e+" are 1.
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        const bool negativeExponent = *q == '-';
        if (*q == '-' || *q == '+') {
            ++q;
        }
        if (IsDigit(*q)) {
            int written = 0;
            int exponentDigits = 0;
            while (IsDigit(*q)) {
                written = written * 10 + (*q - '0');
                ++q;
                if (++exponentDigits > 4) {
                    return false;
                }
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
    int digits = 0;
    while (IsDigit(*p) && digits < 9) {
        value = value * 10 + (*p - '0');
        ++digits;
        ++p;
    }
    if (digits > 0 && !IsDigit(*p)) {
        return negative ? -value : value;
    }
    // Leading whitespace, no digits, or a long number: the C library decides.
    return static_cast<int>(std::strtol(text, nullptr, 10));
}
