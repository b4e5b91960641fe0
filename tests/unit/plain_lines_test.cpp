// Vertex, face and key lines are read straight from their bytes only in their
// strict plain shape, and then give exactly what splitting them into tokens
// gives; every other line is left to the general way, which reads it as before.
#include "model/plain_lines.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/loader_mqa.h"
#include "model/tokenizer.h"
#include "platform/system_services.h"
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
