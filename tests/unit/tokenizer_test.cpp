#include "model/tokenizer.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/system_services.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/memory_stream.h"

namespace {

using Tokens = std::vector<std::string>;

Tokens CurrentTokens(const StringSeparator& separator) {
    Tokens tokens;
    for (int i = 0; i < separator.count; ++i) {
        tokens.emplace_back(separator.Token(i));
    }
    return tokens;
}

Tokens Separate(const std::string& text) {
    StringSeparator separator;
    const int returned = separator.Separate(text.c_str());
    EXPECT_EQ(returned, separator.count);
    return CurrentTokens(separator);
}

// Every line of a stream as its tokens, until ReadLine reports the end.
std::vector<Tokens> ReadAllLines(const std::string& bytes) {
    MemoryStream input(bytes);
    AsciiFileString file(input.get());
    std::vector<Tokens> lines;
    while (file.ReadLine() != -1) {
        lines.push_back(CurrentTokens(file));
    }
    EXPECT_EQ(file.count, -1);
    return lines;
}

// Lead bytes follow the chosen code page; every test starts from Shift-JIS.
class CodePageTest : public testing::Test {
  protected:
    void SetUp() override { SetLeadByteCodePage(932); }
    void TearDown() override { SetLeadByteCodePage(932); }
};

} // namespace

TEST(StringSeparator, SplitsLinesIntoWordsSeparatorsAndQuotedTokens) {
    struct Case {
        std::string line;
        Tokens tokens;
    };
    const Case cases[] = {
        {"col(0.8 0.8 0.8 1.0)", {"col", "(", "0.8", "0.8", "0.8", "1.0", ")"}},
        {"tex(\"my file.bmp\")", {"tex", "(", "my file.bmp", ")"}},
        {"Object \"obj 1\" {", {"Object", "obj 1", "{"}},
        {"3 V(0 1 2) M(0)", {"3", "V", "(", "0", "1", "2", ")", "M", "(", "0", ")"}},
        {"Vector 8 [96]", {"Vector", "8", "[", "96", "]"}},
        {"a,b;c=d", {"a", ",", "b", ";", "c", "=", "d"}},
        {"(),:;=[]{}", {"(", ")", ",", ":", ";", "=", "[", "]", "{", "}"}},
        {"((a))", {"(", "(", "a", ")", ")"}},
        // Sign, point, exponent and other punctuation are ordinary characters.
        {"-1.5e+3 a.b! #x\\y <&>|?", {"-1.5e+3", "a.b!", "#x\\y", "<&>|?"}},
        // Runs of spaces and tabs make no empty tokens.
        {" \t  a \t\t b   ", {"a", "b"}},
        {"", {}},
        {" \t \t", {}},
        // Quotes: kept separators and spaces, empty tokens, quotes inside words.
        {"\"\"", {""}},
        {"\"two words\" \"\" bare", {"two words", "", "bare"}},
        {"ab\"cd\"ef", {"ab", "cd", "ef"}},
        {"\"(1)\"", {"(1)"}},
        {"\"a\tb, c\"", {"a\tb, c"}},
        {"\"\"\"\"", {"", ""}},
        {"word\"", {"word"}},
        {"a \"open to  the end  ", {"a", "open to  the end  "}},
        {"a \"", {"a"}},
        // Line ends: CR and LF end the line wherever they stand, inside quotes too.
        {"a b\r\n", {"a", "b"}},
        {"a b\rc d", {"a", "b"}},
        {"a b\nc d", {"a", "b"}},
        {"a \"b c\r\nd", {"a", "b c"}},
        // Other control characters and bytes that start no character are ordinary.
        {"\x01x\x7F \v5\f", {"\x01x\x7F", "\v5\f"}},
        {"\xB1\xB2 \xA0\xDF \xFD\xFE\xFF \x80", {"\xB1\xB2", "\xA0\xDF", "\xFD\xFE\xFF", "\x80"}},
    };
    SetLeadByteCodePage(932);
    for (const Case& c : cases) {
        EXPECT_EQ(Separate(c.line), c.tokens) << "line: " << c.line;
    }
}

TEST_F(CodePageTest, DoubleByteCharactersStayWholeWhateverTheirSecondByte) {
    struct Case {
        std::string line;
        Tokens tokens;
    };
    const Case cases[] = {
        // Second bytes that are separators: "ー" 81 5B, "‐" 81 5D, "＋" 81 7B, "｝" 81 7D.
        {"x\x81\x5By", {"x\x81\x5By"}},
        {"\x81\x5D \x81\x7B\x81\x7D", {"\x81\x5D", "\x81\x7B\x81\x7D"}},
        {"col(\x81\x5B)", {"col", "(", "\x81\x5B", ")"}},
        // Second byte a backslash: "ソ" 83 5C, "表" 95 5C.
        {"\x83\x5C\x95\x5C.bmp", {"\x83\x5C\x95\x5C.bmp"}},
        {"tex(\"\x95\x5C\")", {"tex", "(", "\x95\x5C", ")"}},
        // Second byte a quote, outside and inside quotes: never opens or closes.
        {"a\x81\"b c", {"a\x81\"b", "c"}},
        {"\"\x81\"\" x", {"\x81\"", "x"}},
        // Second byte whitespace, ")" or "," is taken as well.
        {"\xE0 a", {"\xE0 a"}},
        {"\x81)\x9F,", {"\x81)\x9F,"}},
        // A lead byte right before the line end has no second byte: the lone
        // byte is kept in its token and the line ends as usual.
        {"ab\x81", {"ab\x81"}},
        {"ab\x81\n", {"ab\x81"}},
        {"ab \x81\r\nc", {"ab", "\x81"}},
        {"\"ab\x81\n", {"ab\x81"}},
        {"\x81", {"\x81"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Separate(c.line), c.tokens) << "line: " << c.line;
    }
}

TEST_F(CodePageTest, LeadBytesAreThoseOfTheChosenCodePage) {
    // 0xA1 is a single half-width katakana in Shift-JIS but a lead byte in GBK.
    EXPECT_EQ(Separate("\xA1[ \x81[x"), (Tokens{"\xA1", "[", "\x81[x"}));
    SetLeadByteCodePage(936);
    EXPECT_EQ(Separate("\xA1[ \x81[x"), (Tokens{"\xA1[", "\x81[x"}));
    // A single-byte code page has no lead bytes.
    SetLeadByteCodePage(1252);
    EXPECT_EQ(Separate("\xA1[ \x81[x"), (Tokens{"\xA1", "[", "\x81", "[", "x"}));
}

TEST_F(CodePageTest, LoneLeadByteNeverTakesBytesOfAnEarlierLongerLine) {
    // The work buffer still holds the first line's bytes behind the second
    // line's terminator; none of them may reach a token.
    const auto lines = ReadAllLines("aaaaaaaaaaaaaaaaaaaaaaaa bbbbbbbbbbbbbbbbbbb\nb\x81");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], (Tokens{"b\x81"}));
}

TEST(StringSeparator, SetTokenGrowsToTheLargestIndexAndNeverShrinks) {
    StringSeparator separator;
    EXPECT_EQ(separator.Capacity(), 0);
    EXPECT_EQ(separator.count, 0);

    EXPECT_TRUE(separator.SetToken(4, "five"));
    EXPECT_EQ(separator.Capacity(), 5);
    EXPECT_EQ(separator.Token(4), "five");
    EXPECT_EQ(separator.Token(0), "");
    EXPECT_EQ(separator.count, 0) << "SetToken does not change the line's count";

    EXPECT_TRUE(separator.SetToken(1, "a much longer token than fits in place"));
    EXPECT_TRUE(separator.SetToken(1, "b"));
    EXPECT_EQ(separator.Token(1), "b");
    EXPECT_EQ(separator.Capacity(), 5);
    EXPECT_FALSE(separator.SetToken(-1, "x"));
    EXPECT_EQ(separator.Capacity(), 5);

    EXPECT_EQ(separator.Separate("a b c d e f g h i"), 9);
    EXPECT_EQ(separator.Capacity(), 9);
    EXPECT_EQ(separator.Separate("x y"), 2);
    EXPECT_EQ(separator.Capacity(), 9);
}

TEST(StringSeparator, HelpersSeeOnlyTheTokensOfTheCurrentLine) {
    StringSeparator separator;
    separator.Separate("1 2 3 4 5 6 7 8 9");
    separator.Separate("10 2.5");
    ASSERT_EQ(separator.count, 2);
    EXPECT_EQ(TokenInt(separator, 0), 10);
    EXPECT_EQ(TokenFloat(separator, 1), 2.5f);
    for (int i = 2; i < 9; ++i) {
        EXPECT_FALSE(TokenIs(separator, i, std::to_string(i + 1).c_str())) << i;
        EXPECT_EQ(TokenInt(separator, i), 0) << i;
        EXPECT_EQ(TokenFloat(separator, i), 0.0f) << i;
    }
    // At the end of the input no token is reachable at all.
    separator.count = -1;
    EXPECT_FALSE(TokenIs(separator, 0, "10"));
    EXPECT_EQ(TokenInt(separator, 0), 0);
    EXPECT_EQ(TokenFloat(separator, 0), 0.0f);
}

TEST(StringSeparator, TokenIsFoldsOnlyAsciiLetters) {
    struct Case {
        const char* token;
        const char* word;
        bool equal;
    };
    const Case cases[] = {
        {"Object", "Object", true},
        {"object", "Object", true},
        {"OBJECT", "object", true},
        {"mIrRoR_aXiS", "mirror_axis", true},
        {"Objec", "Object", false},
        {"Objects", "Object", false},
        {"", "", true},
        {"", "x", false},
        {"[", "{", false},
        {"@", "`", false}, // differ by 32 but are no letters
        {"\xC4", "\xE4", false},
        {"\x81\x5B", "\x81\x5B", true},
    };
    for (const Case& c : cases) {
        StringSeparator separator;
        separator.SetToken(0, c.token);
        separator.count = 1;
        EXPECT_EQ(TokenIs(separator, 0, c.word), c.equal) << c.token << " vs " << c.word;
    }
}

TEST(AsciiFileString, ReadsLinesUntilTheEndOfTheInput) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<Tokens> lines;
    };
    const Case cases[] = {
        {"empty input", "", {}},
        {"blank lines count as lines", "\n  \t\n\nx\n", {{}, {}, {}, {"x"}}},
        {"last line without newline", "a b\nc", {{"a", "b"}, {"c"}}},
        {"CR LF and LF alike", "a b\r\nc\r\n", {{"a", "b"}, {"c"}}},
        {"CR inside a line ends it", "a\rlost\nb\n", {{"a"}, {"b"}}},
        {"NUL inside a line ends it", std::string("a\0lost\nb\n", 9), {{"a"}, {"b"}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadAllLines(c.bytes), c.lines) << c.name;
    }
}

TEST(AsciiFileString, KeepsReportingTheEndOnceReached) {
    MemoryStream input("only\n");
    AsciiFileString file(input.get());
    EXPECT_EQ(file.ReadLine(), 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(file.ReadLine(), -1);
        EXPECT_EQ(file.count, -1);
    }
}

TEST(AsciiFileString, DeliversLongLinesInPiecesOf8190Bytes) {
    const int piece = AsciiFileString::kMaxPieceLength;
    ASSERT_EQ(piece, 8190);
    const std::string full(piece, 'a');
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<Tokens> lines;
    };
    const Case cases[] = {
        {"a line of exactly one piece, newline included",
         std::string(piece - 1, 'a') + "\nnext\n",
         {{std::string(piece - 1, 'a')}, {"next"}}},
        {"the newline alone makes a second, blank piece",
         full + "\nnext\n",
         {{full}, {}, {"next"}}},
        {"a token across the boundary is split in two",
         std::string(piece - 1, 'a') + "bc d\n",
         {{std::string(piece - 1, 'a') + "b"}, {"c", "d"}}},
        {"three pieces", full + full + "tail\n", {{full}, {full}, {"tail"}}},
        // The piece ends between the two bytes of a character: the lead byte
        // stays alone, and the second byte, here "[", starts the next piece.
        {"a character across the boundary",
         std::string(piece - 1, 'a') + "\x81\x5B\n",
         {{std::string(piece - 1, 'a') + "\x81"}, {"["}}},
    };
    SetLeadByteCodePage(932);
    for (const Case& c : cases) {
        EXPECT_EQ(ReadAllLines(c.bytes), c.lines) << c.name;
    }
}

TEST(AsciiFileString, ReadingLinesAllocatesNothingOnceTheSlotsHaveGrown) {
    if (!AllocationCountingActive()) {
        GTEST_SKIP() << "another allocator is in place and nothing is counted";
    }
    // The first line has the most tokens and the longest ones; every later
    // line fits in the storage it left behind.
    std::string document;
    for (int i = 0; i < 24; ++i) {
        document += "\"a quoted token well beyond the short-string size\" ";
    }
    document += "\n";
    for (int i = 0; i < 2000; ++i) {
        document += "\t\t12.345678 -3.141593 100.000000\n";
        document += "\t\t4 V(0 1 2 3) M(0) UV(0.00000 0.00000 1.00000 0.00000 1.00000 1.00000 "
                    "0.00000 1.00000)\n";
        document += "\"material with a long quoted name\" col(1 1 1 1) tex(\"a/long/path.bmp\")\n";
    }
    MemoryStream input(document);
    AsciiFileString file(input.get());
    ASSERT_EQ(file.ReadLine(), 24);

    AllocationScope scope;
    int lines = 0;
    while (file.ReadLine() != -1) {
        ++lines;
    }
    EXPECT_EQ(lines, 6000);
    EXPECT_EQ(scope.Allocations(), 0u);
}
