#include "model/number_conversion.h"
#include "model/plain_numbers.h"

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "model/tokenizer.h"

namespace {

// Tokens written by hand for the shapes the C library reads in its own way.
// clang-format off
const char* const kOddTokens[] = {
    "", "+", "-", ".", "+.", "-.", "e5", ".e5", "-e", "5.", "-.5", "+.5", "+5", "+-5", "-+5", "1e",
    "1e+", "1e-", "1E3", "1e+3", "1e-3", "1.5.2", "3x", "1.5e3x", "1,5", "0", "-0", "+0", "-0.0",
    "0e999", "-0e-999", "00000000000000000000000001.5", "0.0000000000000000000000001", "inf",
    "-inf", "+INF", "Infinity", "-infinity", "infinit", "nan", "-nan", "NaN", "nan(123)", "nanx",
    "0x1p3", "-0X1.8P+1", "0x", "0xg", "+0x10", "0x1.fffffffffffffp1023", "0x1p-1074",
    "1.7976931348623157e308", "1.7976931348623159e308", "-1e309", "4.9e-324",
    "2.4703282292062327e-324", "2.4703282292062328e-324", "2.2250738585072014e-308",
    "3.4028234663852886e38", "3.4028235677973366e38", "3.4028235677973367e38",
    "1.401298464324817e-45", "7.006492321624085e-46", "7.006492321624086e-46", "9007199254740992",
    "9007199254740993", "9007199254740994", "18446744073709551615", "18446744073709551616",
    "12345678901234567890", "1234567890123456789", "2147483647", "2147483648", "-2147483648",
    "-2147483649", "4294967295", "4294967296", "9223372036854775807", "9223372036854775808",
    "-9223372036854775809", "99999999999999999999999", "1e22", "1e23", "1e-22", "1e-23",
    "123456789e22", "0.1e-22", "\v1.5", "\f-2", " 3", "\x81\x40\x35", "\xFF", "1\x81", "12.345678",
    "-3.141593", "100.000000", "0.00000", "1.00000", "000123", "0000000000123",
};
// clang-format on

std::string RandomDigits(std::mt19937_64& generator, int count) {
    std::string digits;
    std::uniform_int_distribution<int> digit(0, 9);
    for (int i = 0; i < count; ++i) {
        digits += static_cast<char>('0' + digit(generator));
    }
    return digits;
}

// Signs, points, exponents, long mantissas and garbage after the number, in
// random combinations.
std::string RandomNumberToken(std::mt19937_64& generator) {
    static const char* const kSigns[] = {"", "", "", "-", "+"};
    static const char* const kSuffixes[] = {"",  "",   "",     "",       "x",   ".",
                                            "e", "e+", "E-",   ".5",     "1.5", "abc",
                                            ")", "\"", "\x81", "e99999", "f"};
    std::uniform_int_distribution<int> pick(0, 99);
    std::string token = kSigns[pick(generator) % 5];
    const int integerDigits =
        pick(generator) < 10 ? 0 : 1 + pick(generator) % (pick(generator) < 80 ? 9 : 25);
    token += RandomDigits(generator, integerDigits);
    if (pick(generator) < 70) {
        token += '.';
        token += RandomDigits(generator, pick(generator) % (pick(generator) < 80 ? 8 : 30));
    }
    if (pick(generator) < 30) {
        token += pick(generator) < 50 ? 'e' : 'E';
        token += kSigns[pick(generator) % 5];
        token += RandomDigits(generator, pick(generator) % (pick(generator) < 70 ? 3 : 6));
    }
    token += kSuffixes[pick(generator) % 17];
    return token;
}

// Decimals of at most seventeen digits close to the point halfway between two
// neighbouring floats: rounding to double first and then to float differs
// from rounding to float directly for some of them.
std::string NearFloatMidpointToken(std::mt19937_64& generator) {
    std::uniform_int_distribution<std::uint32_t> bits(0x00800000u, 0x7F000000u);
    const std::uint32_t pattern = bits(generator);
    float low = 0.0f;
    std::memcpy(&low, &pattern, sizeof low);
    const float high = std::nextafter(low, FLT_MAX);
    const double midpoint = (static_cast<double>(low) + static_cast<double>(high)) / 2.0;
    std::uniform_int_distribution<int> precision(13, 16);
    char text[64] = {};
    std::snprintf(text, sizeof text, "%.*e", precision(generator), midpoint);
    return text;
}

// Numbers as documents write them: fixed six or five decimals.
std::string DocumentNumberToken(std::mt19937_64& generator) {
    std::uniform_real_distribution<double> value(-10000.0, 10000.0);
    char text[64] = {};
    std::snprintf(text, sizeof text, (generator() & 1) != 0 ? "%.6f" : "%.5f", value(generator));
    return text;
}

// The hand-written tokens and 600000 generated ones, among them plain
// integers of up to 22 digits.
std::vector<std::string> GeneratedTokens() {
    std::vector<std::string> tokens(std::begin(kOddTokens), std::end(kOddTokens));
    std::mt19937_64 generator(20240531);
    std::uniform_int_distribution<int> length(1, 22);
    for (int i = 0; i < 100000; ++i) {
        tokens.push_back(RandomNumberToken(generator));
        tokens.push_back(RandomNumberToken(generator));
        tokens.push_back(RandomNumberToken(generator));
        tokens.push_back(NearFloatMidpointToken(generator));
        tokens.push_back(DocumentNumberToken(generator));
        tokens.push_back((i % 3 == 0 ? "-" : "") + RandomDigits(generator, length(generator)));
    }
    return tokens;
}

template <typename T> bool SameBits(T a, T b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

} // namespace

TEST(NumberConversion, FloatsAreBitForBitTheCLibrarysAtofNarrowed) {
    int doubleRoundingCases = 0;
    int mismatches = 0;
    for (const std::string& token : GeneratedTokens()) {
        const double expected = std::atof(token.c_str());
        if ((!SameBits(TextToDouble(token.c_str()), expected) ||
             !SameBits(TextToFloat(token.c_str()), static_cast<float>(expected))) &&
            ++mismatches <= 20) {
            ADD_FAILURE() << "token \"" << token << "\": " << TextToDouble(token.c_str())
                          << " instead of " << expected;
        }
        doubleRoundingCases +=
            SameBits(std::strtof(token.c_str(), nullptr), static_cast<float>(expected)) ? 0 : 1;
    }
    EXPECT_EQ(mismatches, 0);
    // The set must hold tokens where narrowing the double differs from
    // reading a float directly, or it would not tell the two apart.
    EXPECT_GT(doubleRoundingCases, 100);
}

TEST(NumberConversion, IntegersAreTheCLibrarysAtoi) {
    int mismatches = 0;
    for (const std::string& token : GeneratedTokens()) {
        const int expected = std::atoi(token.c_str());
        if (TextToInt(token.c_str()) != expected && ++mismatches <= 20) {
            ADD_FAILURE() << "token \"" << token << "\": " << TextToInt(token.c_str())
                          << " instead of " << expected;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// The readers of plain lines take common shapes sixteen bytes at a time;
// whatever follows a token, they must end where the plain readers end and
// give the same value, or both give up.
TEST(NumberConversion, PaddedReadersAgreeWithThePlainOnes) {
    const std::string followers[] = {"", " ", ")", "\n", ".", "e", "e5", "x", "5", "0123456789"};
    int mismatches = 0;
    for (const std::string& token : GeneratedTokens()) {
        for (const std::string& follower : followers) {
            const std::string text =
                token + follower + std::string(StringSeparator::kScanPadding + 1, '\0');
            double plain = 0.0;
            double padded = 0.0;
            const char* const plainEnd = ReadPlainDecimal(text.c_str(), plain);
            const char* const paddedEnd = ReadPaddedDecimal(text.c_str(), padded);
            int plainInt = 0;
            int paddedInt = 0;
            const char* const plainIntEnd = ReadPlainInt(text.c_str(), plainInt);
            const char* const paddedIntEnd = ReadPaddedInt(text.c_str(), paddedInt);
            const bool same = plainEnd == paddedEnd && plainIntEnd == paddedIntEnd &&
                              (plainEnd == nullptr || SameBits(plain, padded)) &&
                              (plainIntEnd == nullptr || plainInt == paddedInt);
            if (!same && ++mismatches <= 20) {
                ADD_FAILURE() << "text \"" << token + follower << "\"";
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}
