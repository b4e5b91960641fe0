#include "model/number_conversion.h"

#include <cstdlib>

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
