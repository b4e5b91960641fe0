#include "model/tokenizer.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/services/system_services.h"
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
    // The end, once reached, stays reported.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(file.count, -1);
        EXPECT_EQ(file.ReadLine(), -1);
    }
    return lines;
}

// Lead bytes follow the chosen code page; every test starts from Shift-JIS.
class CodePageTest : public testing::Test {
  protected:
    void SetUp() override { SetLeadByteCodePage(932); }
    void TearDown() override { SetLeadByteCodePage(932); }
};

} // namespace

TEST_F(CodePageTest, SplitsLinesIntoWordsSeparatorsAndQuotedTokens) {
    const std::pair<std::string, Tokens> cases[] = {
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
    for (const auto& [line, tokens] : cases) {
        EXPECT_EQ(Separate(line), tokens) << "line: " << line;
    }
}

TEST_F(CodePageTest, DoubleByteCharactersStayWholeWhateverTheirSecondByte) {
    const std::tuple<int, std::string, Tokens> cases[] = {
        // Second bytes that are separators: "ー" 81 5B, "‐" 81 5D, "＋" 81 7B, "｝" 81 7D.
        {932, "x\x81\x5By", {"x\x81\x5By"}},
        {932, "\x81\x5D \x81\x7B\x81\x7D", {"\x81\x5D", "\x81\x7B\x81\x7D"}},
        {932, "col(\x81\x5B)", {"col", "(", "\x81\x5B", ")"}},
        // Second byte a backslash: "ソ" 83 5C, "表" 95 5C.
        {932, "\x83\x5C\x95\x5C.bmp", {"\x83\x5C\x95\x5C.bmp"}},
        {932, "tex(\"\x95\x5C\")", {"tex", "(", "\x95\x5C", ")"}},
        // Second byte a quote, outside and inside quotes: never opens or closes.
        {932, "a\x81\"b c", {"a\x81\"b", "c"}},
        {932, "\"\x81\"\" x", {"\x81\"", "x"}},
        // Second byte whitespace, ")" or "," is taken as well.
        {932, "\xE0 a", {"\xE0 a"}},
        {932, "\x81)\x9F,", {"\x81)\x9F,"}},
        // A lead byte right before the line end has no second byte: the lone
        // byte is kept in its token and the line ends as usual.
        {932, "ab\x81", {"ab\x81"}},
        {932, "ab\x81\n", {"ab\x81"}},
        {932, "ab \x81\r\nc", {"ab", "\x81"}},
        {932, "\"ab\x81\n", {"ab\x81"}},
        {932, "\x81", {"\x81"}},
        // Lead bytes are those of the chosen code page: 0xA1 is a single
        // half-width katakana in Shift-JIS but a lead byte in GBK, and a
        // single-byte code page has none.
        {932, "\xA1[ \x81[x", {"\xA1", "[", "\x81[x"}},
        {936, "\xA1[ \x81[x", {"\xA1[", "\x81[x"}},
        {1252, "\xA1[ \x81[x", {"\xA1", "[", "\x81", "[", "x"}},
    };
    for (const auto& [codePage, line, tokens] : cases) {
        SetLeadByteCodePage(codePage);
        EXPECT_EQ(Separate(line), tokens) << "code page " << codePage << ", line: " << line;
    }
}

// Words are scanned many bytes at a time: every byte value, at every place
// of a sixteen-byte block, must still end a word or continue it as its class says.
TEST_F(CodePageTest, EveryByteValueEndsOrContinuesAWordAsItsClassSays) {
    const std::string separators = "(),:;=[]{}";
    for (int value = 1; value < 256; ++value) {
        const auto c = static_cast<char>(value);
        for (std::size_t at = 1; at <= 33; at += 4) {
            const std::string before(at, 'a');
            const std::string after = "bcdefghijklmnopqrstuvwxyz";
            Tokens expected;
            if (c == ' ' || c == '\t') {
                expected = {before, after};
            } else if (separators.find(c) != std::string::npos) {
                expected = {before, std::string(1, c), after};
            } else if (c == '"') {
                expected = {before, after}; // the quote opens a token left open to the end
            } else if (c == '\r' || c == '\n') {
                expected = {before};
            } else {
                // Any other byte, a lead byte with its second byte included, continues the word.
                expected = {before + c + after};
            }
            EXPECT_EQ(Separate(before + c + after), expected) << "byte " << value << " at " << at;
        }
    }
}

TEST(StringSeparator, SetTokenGrowsToTheLargestIndexAndNeverShrinks) {
    StringSeparator separator;
    EXPECT_EQ(std::tuple(separator.Capacity(), separator.count), std::tuple(0, 0));
    EXPECT_TRUE(separator.SetToken(4, "five"));
    EXPECT_EQ(std::tuple(separator.Capacity(), separator.Token(4), separator.Token(0)),
              std::tuple(5, "five", ""));
    EXPECT_EQ(separator.count, 0) << "SetToken does not change the line's count";
    EXPECT_TRUE(separator.SetToken(1, "a much longer token than fits in place"));
    EXPECT_TRUE(separator.SetToken(1, "b"));
    EXPECT_FALSE(separator.SetToken(-1, "x"));
    EXPECT_EQ(std::tuple(separator.Capacity(), separator.Token(1)), std::tuple(5, "b"));
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
    EXPECT_EQ(std::tuple(TokenInt(separator, 0), TokenFloat(separator, 1)), std::tuple(10, 2.5f));
    for (int i = 2; i < 9; ++i) {
        EXPECT_FALSE(TokenIs(separator, i, std::to_string(i + 1).c_str())) << i;
        EXPECT_EQ(std::tuple(TokenInt(separator, i), TokenFloat(separator, i)),
                  std::tuple(0, 0.0f));
    }
    // At the end of the input no token is reachable at all.
    separator.count = -1;
    EXPECT_FALSE(TokenIs(separator, 0, "10"));
    EXPECT_EQ(std::tuple(TokenInt(separator, 0), TokenFloat(separator, 0)), std::tuple(0, 0.0f));
}

TEST(StringSeparator, TokenIsFoldsOnlyAsciiLetters) {
    const std::tuple<const char*, const char*, bool> cases[] = {
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
    for (const auto& [token, word, equal] : cases) {
        StringSeparator separator;
        separator.SetToken(0, token);
        separator.count = 1;
        EXPECT_EQ(TokenIs(separator, 0, word), equal) << token << " vs " << word;
    }
}

TEST_F(CodePageTest, ReadsLinesUntilTheEndOfTheInputInPiecesOf8190Bytes) {
    const int piece = AsciiFileString::kMaxPieceLength;
    ASSERT_EQ(piece, 8190);
    const std::string full(piece, 'a');
    const std::string most(piece - 1, 'a');
    const std::tuple<const char*, std::string, std::vector<Tokens>> cases[] = {
        {"empty input", "", {}},
        {"blank lines count as lines", "\n  \t\n\nx\n", {{}, {}, {}, {"x"}}},
        {"last line without newline", "a b\nc", {{"a", "b"}, {"c"}}},
        {"CR LF and LF alike", "a b\r\nc\r\n", {{"a", "b"}, {"c"}}},
        {"CR inside a line ends it", "a\rlost\nb\n", {{"a"}, {"b"}}},
        {"NUL inside a line ends it", std::string("a\0lost\nb\n", 9), {{"a"}, {"b"}}},
        // The work buffer still holds the first line's bytes behind the second
        // line's terminator; none of them may reach the lone lead byte's token.
        {"lone lead byte after a longer line",
         "aaaaaaaaaaaaaaaaaaaaaaaa bbbbbbbbbbbbbbbbbbb\nb\x81",
         {{"aaaaaaaaaaaaaaaaaaaaaaaa", "bbbbbbbbbbbbbbbbbbb"}, {"b\x81"}}},
        {"a line of exactly one piece, newline included", most + "\nnext\n", {{most}, {"next"}}},
        {"the newline alone makes a second, blank piece",
         full + "\nnext\n",
         {{full}, {}, {"next"}}},
        {"a token across the boundary is split in two",
         most + "bc d\n",
         {{most + "b"}, {"c", "d"}}},
        {"three pieces", full + full + "tail\n", {{full}, {full}, {"tail"}}},
        // The piece ends between the two bytes of a character: the lead byte
        // stays alone, and the second byte, here "[", starts the next piece.
        {"a character across the boundary", most + "\x81\x5B\n", {{most + "\x81"}, {"["}}},
    };
    for (const auto& [name, bytes, lines] : cases) {
        EXPECT_EQ(ReadAllLines(bytes), lines) << name;
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
        document += "\t\t12.345678 -3.141593 100.000000\n\t\t4 V(0 1 2 3) M(0) UV(0.00000 0.00000 "
                    "1.00000 0.00000 1.00000 1.00000 0.00000 1.00000)\n\"material with a long "
                    "quoted name\" col(1 1 1 1) tex(\"a/long/path.bmp\")\n";
    }
    MemoryStream input(document);
    AsciiFileString file(input.get());
    ASSERT_EQ(file.ReadLine(), 24);

    const AllocationScope scope;
    int lines = 0;
    while (file.ReadLine() != -1) {
        ++lines;
    }
    EXPECT_EQ(lines, 6000);
    EXPECT_EQ(scope.Allocations(), 0u);
}

// A long input of random lines, some far longer than a piece and many
// crossing the points where the read-ahead buffer is refilled.
std::string RandomLines() {
    std::mt19937_64 random(8190);
    const std::string alphabet = std::string("aZ19.-  \t\t\"(),;{}[]\r\x81\x5B\xE0\xA1") + '\0';
    std::string bytes;
    while (bytes.size() < 1500000) {
        const std::uint64_t kind = random() % 100;
        const std::size_t length = kind < 5    ? 8185 + random() % 10
                                   : kind == 5 ? 20000 + random() % 30000
                                               : random() % 120;
        for (std::size_t i = 0; i < length; ++i) {
            bytes += alphabet[random() % alphabet.size()];
        }
        bytes += random() % 50 == 0 ? "" : "\n";
    }
    return bytes;
}

// The same random lines read by fgets, as the reference, and by an AsciiFileString.
class BesideFgetsTest : public CodePageTest {
  protected:
    // Reads the next fgets piece into piece; false at the end.
    bool NextPiece() {
        return std::fgets(piece.data(), static_cast<int>(piece.size()), reference.get()) != nullptr;
    }

    const std::string bytes = RandomLines();
    MemoryStream reference{bytes};
    MemoryStream input{bytes};
    AsciiFileString file{input.get()};
    std::vector<char> piece = std::vector<char>(AsciiFileString::kMaxPieceLength + 1);
};

// Lines taken from the read-ahead buffer must be exactly the pieces fgets
// gives: each ReadLine must split what StringSeparator splits from the same
// fgets piece.
TEST_F(BesideFgetsTest, ReadLineSplitsTheSamePiecesAsFgets) {
    int lines = 0;
    while (NextPiece()) {
        StringSeparator expected;
        expected.Separate(piece.data());
        ASSERT_EQ(file.ReadLine(), expected.count) << "line " << lines;
        ASSERT_EQ(CurrentTokens(file), CurrentTokens(expected)) << "line " << lines;
        ++lines;
    }
    EXPECT_EQ(file.ReadLine(), -1);
    EXPECT_GT(lines, 1500);
}

// TakeLine hands over the fgets piece itself, unsplit, with no tokens left
// of the line before; SplitTakenLine splits it once, as ReadLine would.
TEST_F(BesideFgetsTest, TakeLineGivesTheFgetsPieceAndSplitTakenLineItsTokens) {
    int lines = 0;
    for (long start = 0; NextPiece();) {
        // The piece may hold NULs, so its length is where fgets left the stream.
        const long end = std::ftell(reference.get());
        const auto length = static_cast<std::size_t>(end - start);
        start = end;
        const char* taken = file.TakeLine();
        ASSERT_NE(taken, nullptr) << "line " << lines;
        EXPECT_EQ(file.count, 0);
        EXPECT_EQ(file.Token(0), "");
        ASSERT_EQ(std::string(taken, length), std::string(piece.data(), length))
            << "line " << lines;
        if (taken[length - 1] != '\n') {
            EXPECT_EQ(taken[length], '\0') << "line " << lines;
        }
        StringSeparator expected;
        expected.Separate(piece.data());
        ASSERT_EQ(file.SplitTakenLine(), expected.count) << "line " << lines;
        ASSERT_EQ(file.SplitTakenLine(), expected.count) << "line " << lines;
        ASSERT_EQ(CurrentTokens(file), CurrentTokens(expected)) << "line " << lines;
        ++lines;
    }
    EXPECT_EQ(file.TakeLine(), nullptr);
    EXPECT_EQ(file.count, -1);
    EXPECT_GT(lines, 1500);
}
