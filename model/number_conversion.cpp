#include "model/number_conversion.h"

#include <cstdlib>

const char* ReadPlainDecimal(const char* text, double& value) {
    using namespace number_detail;
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
    // "0x" starts a hexadecimal float.
    if (p - integerStart == 1 && *integerStart == '0' && (*p == 'x' || *p == 'X')) {
        return nullptr;
    }
    long digits = static_cast<long>(p - integerStart);
    int exponent = 0;
    if (*p == '.') {
        const char* const fractionStart = ++p;
        while ((digit = DigitValue(*p)) < 10) {
            mantissa = mantissa * 10 + digit;
            ++p;
        }
        digits += static_cast<long>(p - fractionStart);
        exponent = -static_cast<int>(p - fractionStart);
    }
    // No digit at all (".", "-", "inf", "nan", garbage), or more digits than
    // the mantissa holds.
    if (digits == 0 || digits > kMaxMantissaDigits) {
        return nullptr;
    }
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        const bool negativeExponent = *q == '-';
        if (*q == '-' || *q == '+') {
            ++q;
        }
        if (DigitValue(*q) < 10) {
            int written = 0;
            for (int exponentDigits = 0; (digit = DigitValue(*q)) < 10; ++q) {
                if (++exponentDigits > kMaxExponentDigits) {
                    return nullptr;
                }
                written = written * 10 + static_cast<int>(digit);
            }
            exponent += negativeExponent ? -written : written;
            p = q;
        }
    }
    if (mantissa > kMaxExactMantissa || exponent < -kMaxExactPower || exponent > kMaxExactPower) {
        return nullptr;
    }
    value = ExactDecimal(mantissa, exponent, negative);
    return p;
}

const char* ReadPlainInt(const char* text, int& value) {
    using namespace number_detail;
    const char* p = text;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    const char* const start = p;
    int magnitude = 0;
    unsigned digit = 0;
    while ((digit = DigitValue(*p)) < 10) {
        if (p - start == kMaxPlainIntDigits) {
            return nullptr;
        }
        magnitude = magnitude * 10 + static_cast<int>(digit);
        ++p;
    }
    if (p == start) {
        return nullptr;
    }
    value = negative ? -magnitude : magnitude;
    return p;
}

double TextToDouble(const char* text) {
    double value = 0.0;
    if (ReadPlainDecimal(text, value) != nullptr) {
        return value;
    }
    return std::strtod(text, nullptr);
}

float TextToFloat(const char* text) {
    return static_cast<float>(TextToDouble(text));
}

int TextToInt(const char* text) {
    int value = 0;
    if (ReadPlainInt(text, value) != nullptr) {
        return value;
    }
    // Leading whitespace, no digits, or a long number: the C library decides.
    return static_cast<int>(std::strtol(text, nullptr, 10));
}
