// Vertex, face and key lines are read straight from their bytes only in their
// strict plain shape, and then give exactly what splitting them into tokens
// gives; every other line is left to the general way, which reads it as before.
#include "model/plain_lines.h"
#include "model/plain_numbers.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/loader_mqa.h"
#include "model/tokenizer.h"
#include "platform/services/system_services.h"
#include "tests/support/grid_document.h"
#include "tests/support/load_digest.h"
#include "tests/support/load_document.h"
#include "tests/support/memory_stream.h"

namespace {

enum class LineKind { kVertex, kFace, kKey };

struct PlainLineCase {
    LineKind kind;
    std::string line;
    bool plain; // read straight from its bytes
};

const LineKind kVertex = LineKind::kVertex;
const LineKind kFace = LineKind::kFace;
const LineKind kKey = LineKind::kKey;

// clang-format off
const PlainLineCase kCases[] = {
    {kVertex, "\t\t1.000000 -2.500000 3.250000\r\n", true},
    {kVertex, "0 0 0\n", true},
    {kVertex, "1 2 3", true}, // the last line of a stream, ended by the NUL after it
    {kVertex, " \t-0 +1 .5 \t\r\n", true},
    {kVertex, "1 2 3 4 5\r\n", true}, // numbers after the third are not read
    {kVertex, "1 2 3 \"quoted\" ( \x81\r\n", true}, // nor is anything else after it
    {kVertex, "1e5 2E-3 7.\r\n", true},
    {kVertex, "12345678.87654321 -9.5 123456789\r\n", true},
    {kVertex, "1 2 3\r4 5 6\n", true}, // a CR ends the line's text
    {kVertex, "9007199254740993 0 0\r\n", false}, // beyond 2^53: the C library rounds it
    {kVertex, "1e23 0 0\r\n", false},
    {kVertex, "1 2\r\n", false},
    {kVertex, "1 2\r3\r\n", false},
    {kVertex, std::string("1 2\0 3\r\n", 8), false},
    {kVertex, "1 2 3x\r\n", false},
    {kVertex, "1e 2 3\r\n", false},
    {kVertex, "1,2,3\r\n", false},
    {kVertex, "1(2 3\r\n", false},
    {kVertex, "0x10 1 2\r\n", false},
    {kVertex, "inf 1 2\r\n", false},
    {kVertex, "1\x81 2 3\r\n", false},
    {kVertex, "\"1\" 2 3\r\n", false},
    {kVertex, "\v1 2 3\r\n", false},
    {kVertex, "}\r\n", false},
    {kVertex, "\r\n", false},
    {kFace, "\t\t4 V(0 1 2 3) M(1) UV(0.000000 0.100000 0.200000 0.300000 0.400000 0.500000 "
            "0.600000 0.700000)\r\n", true},
    {kFace, "3 V( 0 1 2 ) M( 1 ) UV( 0 0 1 0 1 1 )\r\n", true},
    {kFace, "3\tv(0\t1 2)m(1)uv(0 0 1 0 1 1)\n", true},
    {kFace, "3 V(0 1 2) UV(0 0 1 0 1 1) COL(1 2 3) M(2)\r\n", true}, // nothing after "UV" counts
    {kFace, "3 V(0 1 2) UV(0 0 1 0 1 1)\x81)\"\r\n", true},
    {kFace, "3 V(0 1 2)\r\n", true}, // the material of the line before carries over
    {kFace, "3 V(0 1 2) M(2)\rlost\n", true},
    {kFace, "2 V(-1 7)\r\n", true},
    {kFace, "1 V(+0) M(-3)\r\n", true},
    {kFace, "4 V(0 1 2 3) M(123456789)\r\n", true},
    {kFace, "4 V(0 1 2 3) M(1234567890)\r\n", false}, // atoi of ten digits may overflow
    {kFace, "5 V(0 1 2 3 4)\r\n", false},
    {kFace, "0 V()\r\n", false},
    {kFace, "3 V(0 1 2 3)\r\n", false},
    {kFace, "3 V(0 1)\r\n", false},
    {kFace, "3 V(0 1 2\r\n", false},
    {kFace, "3 V(0 1 2) M(1\r\n", false},
    {kFace, "3 V(0 1 2) M ( 5 ]\r\n", false},
    {kFace, "3 V(0 1 2) M(1 2)\r\n", false},
    {kFace, "4 V(0 1 2 3) M(0) junk\r\n", false},
    {kFace, "4 V(0 1 2 3) M(0) \"x\"\r\n", false},
    {kFace, "3 V(0 1 2) \"M\"(5)\r\n", false}, // a quoted word is a token like any other
    {kFace, "3 V(0 1 2) M(1) \"uv\"(0 0 1 0 1 1)\r\n", false},
    {kFace, "3 V(0 1 2) UV(0 0 1 0 1)\r\n", false},
    {kFace, "3 V(0 1 2) UV(0 0 1 0 1 1\r\n", false},
    {kFace, "3 V(0 1 2) UV(nan 0 1 0 1 1)\r\n", false},
    {kFace, "3 W(0 1 2)\r\n", false},
    {kFace, "3V(0 1 2)\r\n", false},
    {kFace, "3 VV(0 1 2)\r\n", false},
    {kFace, "3 V(0 1 1.5)\r\n", false},
    {kFace, "3 V(0 1 2) Mx(1)\r\n", false},
    {kFace, "3 V(0 1 2) UVW(0 0 1 0 1 1)\r\n", false},
    {kFace, "3.0 V(0 1 2)\r\n", false},
    {kFace, "3 V(0,1,2)\r\n", false},
    {kKey, "\t\t1 0 0 0 0 1 0 0 0 0 1 0 0 10 0 1\r\n", true},
    {kKey, "1 0 0 0 0 1 0 0 0 0 1 0 12.5 -3.25 0.125 1 9 x\r\n", true},
    {kKey, "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15\r\n", false},
    {kKey, "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 1e400\r\n", false},
};
// clang-format on

// What reading the line straight from its bytes says, the line standing in
// a buffer with the padding that AsciiFileString's buffer has.
bool ReadsPlain(LineKind kind, const std::string& line) {
    const std::string padded = line + std::string(StringSeparator::kScanPadding + 1, '\0');
    float values[16] = {};
    PlainFaceLine face;
    switch (kind) {
    case LineKind::kVertex:
        return ReadPlainNumberLine(padded.c_str(), values, 3);
    case LineKind::kKey:
        return ReadPlainNumberLine(padded.c_str(), values, 16);
    default:
        return ReadPlainFaceLine(padded.c_str(), face);
    }
}

// A document with the line in a chunk of its kind; a face line follows one
// that gives a material, which a line without an "M" part carries on.
std::string DocumentWith(LineKind kind, const std::string& line) {
    const char* const chunks[] = {"\tvertex 1 {\r\n", "\tface 2 {\r\n\t\t3 V(0 1 2) M(7)\r\n",
                                  "\tanimation \"a\" {\r\n"};
    return kDocumentHeader + "Object \"o\" {\r\n" + chunks[static_cast<int>(kind)] + line +
           "\n\t}\r\n}\r\n";
}

// The reader's result and records, with or without reading plain lines directly.
std::uint64_t Reading(const std::string& document, bool plainLines) {
    MemoryStream input(document);
    Model model;
    LoaderMQA loader(input.get(), &model);
    loader.ReadPlainLinesDirectly(plainLines);
    const int result = loader.Load();
    return ReaderDigest(result, model);
}

class PlainLinesTest : public testing::Test {
  protected:
    void SetUp() override { SetLeadByteCodePage(932); }
    void TearDown() override { SetLeadByteCodePage(932); }
};

} // namespace

TEST_F(PlainLinesTest, AreReadStraightFromTheirBytesOnlyInTheirStrictShape) {
    for (const PlainLineCase& c : kCases) {
        EXPECT_EQ(ReadsPlain(c.kind, c.line), c.plain) << '"' << c.line << '"';
    }
}

TEST_F(PlainLinesTest, EveryLineReadsAsItsTokensDoWhicheverWayItIsRead) {
    for (const PlainLineCase& c : kCases) {
        const std::string document = DocumentWith(c.kind, c.line);
        EXPECT_EQ(Reading(document, true), Reading(document, false)) << '"' << c.line << '"';
    }
}

TEST_F(PlainLinesTest, ReadValuesAreTheTokensNumbers) {
    Model model;
    ASSERT_EQ(LoadDocument(kDocumentHeader +
                               "Object {\n\tvertex 1 {\n\t\t-1.250000 0.5 +3e2\n\t}\n\tface 2 {\n"
                               "\t\t3 V(0 1 2) M(4) UV(0.1 0.2 0.3 0.4 0.5 0.6)\n"
                               "\t\t4 V(5 -6 7 8)\n\t}\n\tanimation \"a\" {\n"
                               "\t\t1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16.5\n\t}\n}\n",
                           model),
              kLoadOk);
    const ModelObject& object = model.objects.at(0);
    ASSERT_EQ(object.vertices.size(), 1u);
    EXPECT_EQ(object.vertices[0].x, -1.25f);
    EXPECT_EQ(object.vertices[0].y, 0.5f);
    EXPECT_EQ(object.vertices[0].z, 300.0f);
    ASSERT_EQ(object.faces.size(), 2u);
    EXPECT_EQ(object.faces[0].indices, (InlineList<int, kMaxFaceCorners>{0, 1, 2}));
    EXPECT_EQ(object.faces[0].material, 4);
    EXPECT_EQ(object.faces[0].uvs,
              (InlineList<TexCoord, kMaxFaceCorners>{{0.1f, 0.2f}, {0.3f, 0.4f}, {0.5f, 0.6f}}));
    EXPECT_EQ(object.faces[1].indices, (InlineList<int, kMaxFaceCorners>{5, -6, 7, 8}));
    EXPECT_EQ(object.faces[1].material, 4);
    EXPECT_TRUE(object.faces[1].uvs.empty());
    ASSERT_EQ(object.animations.size(), 1u);
    ASSERT_EQ(object.animations[0].size(), 1u);
    EXPECT_EQ(object.animations[0][0]._11, 1.0f);
    EXPECT_EQ(object.animations[0][0]._44, 16.5f);
}

// A line longer than a piece is read in pieces; a number cut at the end of
// one is read from that piece alone, on both ways.
TEST_F(PlainLinesTest, PiecesOfLongLinesReadAsTheirTokensDo) {
    const int piece = AsciiFileString::kMaxPieceLength;
    for (int cut = 0; cut < 12; ++cut) {
        const std::string line =
            std::string(static_cast<std::size_t>(piece - cut), ' ') + "1.5 2.5 3.5 4.5\r\n";
        for (const LineKind kind : {kVertex, kFace, kKey}) {
            const std::string document = DocumentWith(kind, line);
            EXPECT_EQ(Reading(document, true), Reading(document, false)) << "cut " << cut;
        }
    }
}

// A plain line of each kind, cut by the end of a piece at every one of its
// bytes: the piece before and the one after read alike either way.
TEST_F(PlainLinesTest, LinesCutAtEveryByteByAPieceReadAsTheirTokensDo) {
    const struct {
        LineKind kind;
        std::string line;
    } lines[] = {
        {kVertex, "-12.345678 0.500000 1e2\r\n"},
        {kFace, "4 V(10 11 12 13) M(1) UV(0.125 0.25 0.5 0.75 1 0.5 0.25 0.125)\r\n"},
        {kKey, "1 0 0 0 0 1 0 0 0 0 1 0 -2.5 3.25 0.125 1\r\n"},
    };
    const int piece = AsciiFileString::kMaxPieceLength;
    for (const auto& [kind, line] : lines) {
        for (std::size_t cut = 0; cut <= line.size(); ++cut) {
            const std::string document = DocumentWith(
                kind, std::string(static_cast<std::size_t>(piece) - cut, ' ') + line + line);
            EXPECT_EQ(Reading(document, true), Reading(document, false))
                << '"' << line << "\" cut after " << cut;
        }
    }
}

// A document with lines of every kind ends at each of its bytes, with or
// without its last newline: every prefix reads alike either way.
TEST_F(PlainLinesTest, EveryPrefixOfADocumentReadsAlikeEitherWay) {
    const std::string document = kDocumentHeader +
                                 "Object \"o\" {\r\n\tvertex 2 {\r\n\t\t1.5 -2 3e1\r\n\t\t4 5 6\r\n"
                                 "\t}\r\n\tface 2 {\r\n\t\t3 V(0 1 2) M(1) UV(0 0 1 0 1 1)\r\n"
                                 "\t\t4 V(0 1 2 3)\r\n\t}\r\n\tanimation \"a\" {\r\n"
                                 "\t\t1 0 0 0 0 1 0 0 0 0 1 0 7 8 9 1\r\n\t}\r\n}\r\n";
    for (std::size_t size = 0; size <= document.size(); ++size) {
        const std::string prefix = document.substr(0, size);
        EXPECT_EQ(Reading(prefix, true), Reading(prefix, false)) << "first " << size << " bytes";
    }
}

// Lines of a generated document with bytes changed at random to ones that
// matter to the tokenizer or to numbers; a fixed seed keeps it repeatable.
TEST_F(PlainLinesTest, DocumentsWithChangedBytesReadAlikeEitherWay) {
    const std::string original = GridDocument(3);
    const std::string bytes = std::string("0123456789.-+eExX \t\r\n()\"VvMmUu,}\x81\xE0") + '\0';
    // The header lines stay as they are, so that the chunks are read.
    const std::size_t firstChunk = original.find("Material");
    ASSERT_NE(firstChunk, std::string::npos);
    std::mt19937 random(12);
    for (int round = 0; round < 400; ++round) {
        std::string document = original;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int k = 0; k < changes; ++k) {
            const std::size_t at = firstChunk + random() % (document.size() - firstChunk);
            document[at] = bytes[random() % bytes.size()];
        }
        EXPECT_EQ(Reading(document, true), Reading(document, false)) << "round " << round;
    }
}

// Lists in the shapes read from masks and in shapes near them, with blanks
// before them that move their numbers across every boundary of the bytes
// the masks cover: a list read from masks reads as it does one number at a
// time (floats bit for bit), and every list of the common shape is read so.
TEST_F(PlainLinesTest, ListsReadFromMasksAsOneNumberAtATime) {
    std::mt19937 random(25);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto digits = [&](int n) {
        std::string text;
        for (int i = 0; i < n; ++i) {
            text += static_cast<char>('0' + pick(10));
        }
        return text;
    };
    const auto listEnds = [](char c) { return IsLineEnd(c) || c == ')'; };
    const char* const signs[] = {"", "", "", "-", "+"};
    const char* const oddParts[] = {"e5", "..", "-", "x", "\"", ","};
    // The first five end a list after its last number whether a blank stands
    // before them or not; the others only after a blank.
    const char* const lineEnds[] = {")", "\r\n", "", ")\r\n", " x", "x", "e"};
    int readFromMasks = 0;
    for (int round = 0; round < 20000; ++round) {
        const int count = 1 + pick(16);
        std::string line(static_cast<std::size_t>(pick(70)), ' ');
        bool common = true;   // a shape the masks read, as floats
        bool integers = true; // and as ints
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                // Now and then blanks long enough to run past a window's end.
                line += pick(6) == 0   ? std::string("\t ")
                        : pick(8) == 0 ? std::string(static_cast<std::size_t>(1 + pick(40)), ' ')
                                       : std::string(" ");
            }
            const char* const sign = signs[pick(5)];
            const int integerDigits = pick(8) == 0 ? pick(12) : 1 + pick(8);
            const bool point = pick(2) == 0;
            const int fractionDigits = pick(8) == 0 ? pick(12) : pick(9);
            line += sign + digits(integerDigits);
            common = common && sign[0] != '+' && integerDigits >= 1 && integerDigits <= 8;
            if (point) {
                line += '.' + digits(fractionDigits);
                // Eight digits after the point, fifteen in all, keep it exact.
                common = common && fractionDigits <= 8 && integerDigits + fractionDigits <= 15;
                integers = false;
            }
            if (pick(40) == 0) {
                line += oddParts[pick(6)];
                common = false;
            }
        }
        const bool endsRightAfter = pick(2) == 0;
        if (!endsRightAfter) {
            line += ' ';
        }
        const int lineEnd = pick(7);
        line += lineEnds[lineEnd];
        common = common && (lineEnd < 5 || !endsRightAfter);
        const std::string padded = line + std::string(StringSeparator::kScanPadding + 1, '\0');
        float floats[2][16] = {};
        int ints[2][16] = {};
        const char* const floatEnd = ReadMaskedList(padded.c_str(), floats[0], count, listEnds);
        const char* const intEnd = ReadMaskedList(padded.c_str(), ints[0], count, listEnds);
        const char* const floatOneByOne =
            ReadPlainList(padded.c_str(), floats[1], count, ListReading::kOneByOne);
        const char* const intOneByOne =
            ReadPlainList(padded.c_str(), ints[1], count, ListReading::kOneByOne);
#ifdef KORVANE_PLAIN_NUMBERS_SSE2
        ASSERT_EQ(floatEnd != nullptr, common) << "floats of \"" << line << '"';
        ASSERT_EQ(intEnd != nullptr, common && integers) << "ints of \"" << line << '"';
#endif
        if (floatEnd != nullptr) {
            ++readFromMasks;
            ASSERT_EQ(floatEnd, floatOneByOne) << '"' << line << '"';
            ASSERT_EQ(std::memcmp(floats[0], floats[1], sizeof floats[0]), 0) << line;
        }
        if (intEnd != nullptr) {
            ASSERT_EQ(intEnd, intOneByOne) << '"' << line << '"';
            ASSERT_EQ(std::memcmp(ints[0], ints[1], sizeof ints[0]), 0) << line;
        }
        ASSERT_EQ(ReadPlainList(padded.c_str(), floats[0], count, ListReading::kMasked),
                  floatOneByOne);
    }
#ifdef KORVANE_PLAIN_NUMBERS_SSE2
    EXPECT_GT(readFromMasks, 2000) << "too few lists of the common shape to tell";
#endif
}
