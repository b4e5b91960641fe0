#include "model/loader_mqa.h"

#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "model/model.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/load_document.h"
#include "tests/support/memory_stream.h"

namespace {

using Names = std::vector<std::string>;
using Xyz = std::array<float, 3>;

// Reads text through a real temporary file instead of a memory stream:
// seeking past the end behaves differently there.
int LoadThroughFile(const std::string& text, Model& model) {
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    if (file == nullptr) {
        return 1;
    }
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    const int result = LoaderMQA(file, &model).Load();
    std::fclose(file);
    return result;
}

// Loads text from memory (the first) or through a file (the second).
int LoadEitherWay(bool throughFile, const std::string& text, Model& model) {
    return throughFile ? LoadThroughFile(text, model) : LoadDocument(text, model);
}

std::vector<Xyz> Positions(const ModelObject& object) {
    std::vector<Xyz> positions;
    for (const D3DXVECTOR3& vertex : object.vertices) {
        positions.push_back({vertex.x, vertex.y, vertex.z});
    }
    return positions;
}

D3DXMATRIX KeyFromFirstSixteen(float first) {
    return D3DXMATRIX(first, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
}

} // namespace

TEST(LoaderMQA, ResultCodesAreTheDocumentedNumbers) {
    EXPECT_EQ((std::array<int, 5>{kLoadOk, kLoadFormatError, kLoadUnexpectedEnd, kLoadBadHeader,
                                  kLoadBadVersion}),
              (std::array{0, -1, -2, -3, -4}));
}

TEST(LoaderMQA, ChecksTheHeaderAndFormatLines) {
    const std::pair<std::string, int> cases[] = {
        {kDocumentHeader, kLoadOk},
        {"metasequoia document\nformat text ver 1\n", kLoadOk},
        {"METASEQUOIA DOCUMENT and more\nFORMAT TEXT VER 1.000 and more\n", kLoadOk},
        {"Metasequoia Document\r\nFormat Text Ver 1.0\r\n", kLoadOk},
        // The version is read leniently, as a double that must equal 1.
        {"Metasequoia Document\nFormat Text Ver 1e0\n", kLoadOk},
        {"Metasequoia Document\nFormat Text Ver 0x1\n", kLoadOk},
        {"Metasequoia Document\nFormat Text Ver 1.0beta\n", kLoadOk},
        {"", kLoadBadHeader},
        {"Metasequoia\nFormat Text Ver 1.0\n", kLoadBadHeader},
        {"Metasequoia Documents\nFormat Text Ver 1.0\n", kLoadBadHeader},
        {"Document Metasequoia\nFormat Text Ver 1.0\n", kLoadBadHeader},
        {"\nMetasequoia Document\nFormat Text Ver 1.0\n", kLoadBadHeader},
        {"Metasequoia Document\n", kLoadBadVersion},
        {"Metasequoia Document\n\nFormat Text Ver 1.0\n", kLoadBadVersion},
        {"Metasequoia Document\nFormat Text Ver 1.1\n", kLoadBadVersion},
        {"Metasequoia Document\nFormat Text Ver 2.0\n", kLoadBadVersion},
        {"Metasequoia Document\nFormat Text Ver 1.0000000001\n", kLoadBadVersion},
        {"Metasequoia Document\nFormat Text Ver\n", kLoadBadVersion},
        {"Metasequoia Document\nFormat Binary Ver 1.0\n", kLoadBadVersion},
        {"Metasequoia Document\nFormat Text Version 1.0\n", kLoadBadVersion},
    };
    for (const auto& [document, result] : cases) {
        Model model;
        EXPECT_EQ(LoadDocument(document, model), result) << document;
        EXPECT_TRUE(model.objects.empty() && model.materials.empty()) << document;
    }
}

TEST(LoaderMQA, ReadsAWholeDocumentWithKeywordsInAnyLetterCase) {
    const std::string documents[] = {
        "Scene {\n\tpos 0.0000 0.0000 1500.0000\n\tdirlights 1 {\n\t\tlight {\n"
        "\t\t\tdir 0.408 0.408 0.816\n\t\t}\n\t}\n}\n"
        "Material 1 {\n\t\"red\" col(1.000 0.000 0.000 1.000) dif(0.800) amb(0.600) emi(0.000) "
        "spc(0.000) power(5.00) tex(\"red.bmp\")\n}\n"
        "Object \"body\" {\n\tvisible 15\n\tfacet 59.5\n\tmirror_axis 1\n"
        "\tvertex 3 {\n\t\t0 0 0\n\t\t100 0 0\n\t\t0 100 0\n\t}\n"
        "\tface 1 {\n\t\t3 V(0 1 2) M(0) UV(0 0 1 0 0 1)\n\t}\n"
        "\tanimation \"walk\" {\n\t\t1 0 0 0 0 1 0 0 0 0 1 0 0 10 0 1\n\t}\n}\nEof\n",
        "MATERIAL 1 {\n\"red\" COL(1 0 0 1) DIF(0.8) AMB(0.6) Power(5) tex(\"red.bmp\")\n}\n"
        "oBjEcT \"body\" {\nFACET 59.5\nMirror_Axis 1\nVERTEX 3 {\n0 0 0\n100 0 0\n0 100 0\n}\n"
        "Face 1 {\n3 v(0 1 2) m(0) uv(0 0 1 0 0 1)\n}\n"
        "ANIMATION \"walk\" {\n1 0 0 0 0 1 0 0 0 0 1 0 0 10 0 1\n}\n}\n",
    };
    for (const std::string& document : documents) {
        Model model;
        ASSERT_EQ(LoadDocument(kDocumentHeader + document, model), kLoadOk) << document;
        ASSERT_EQ(model.materials.size(), 1u);
        const Material& red = model.materials[0];
        EXPECT_EQ(std::tuple(red.name, red.color.r, red.color.g, red.diffuse, red.ambient,
                             red.power, red.textureName),
                  std::tuple("red", 1.0f, 0.0f, 0.8f, 0.6f, 5.0f, "red.bmp"));
        EXPECT_EQ(std::tuple(red.deviceMaterial.Diffuse.r, red.deviceMaterial.Ambient.r),
                  std::tuple(0.8f, 0.6f));
        ASSERT_EQ(model.objects.size(), 1u);
        const ModelObject& body = model.objects[0];
        EXPECT_EQ(std::tuple(body.name, body.facet, body.mirrorAxis), std::tuple("body", 59.5f, 1));
        EXPECT_EQ(Positions(body), (std::vector<Xyz>{{0, 0, 0}, {100, 0, 0}, {0, 100, 0}}));
        ASSERT_EQ(body.faces.size(), 1u);
        EXPECT_EQ(std::tuple(body.faces[0].indices, body.faces[0].material, body.faces[0].uvs),
                  std::tuple(InlineList<int, 4>{0, 1, 2}, 0,
                             InlineList<TexCoord, 4>{{0, 0}, {1, 0}, {0, 1}}));
        ASSERT_EQ(body.animations.size(), 1u);
        EXPECT_EQ(body.animations[0],
                  KeyList{D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 10, 0, 1)});
        EXPECT_EQ(model.animationNames, Names{"walk"});
    }
}

TEST(LoaderMQA, ObjectLinesSetNameSmoothingAngleAndMirrorAxisAndNothingElse) {
    // An object chunk, and the name, smoothing angle and mirror axis it gives.
    const std::tuple<std::string, std::string, float, int> cases[] = {
        {"Object {\n}\n", "", 0.0f, 0},
        {"Object \"two words\" {\n}\n", "two words", 0.0f, 0},
        {"Object plain extra {\n}\n", "plain", 0.0f, 0},
        {"Object \"o\" {\nfacet 59.5\nmirror_axis 1\n}\n", "o", 59.5f, 1},
        {"Object \"o\" {\nfacet\nmirror_axis\n}\n", "o", 0.0f, 0},
        {"Object \"o\" {\nfacet 10\nfacet 20\n}\n", "o", 20.0f, 0},
        {"Object \"o\" {\nfacet abc\nmirror_axis 2x\n}\n", "o", 0.0f, 2},
        {"Object \"o\" {\nvisible 15\ncolor 0.1 0.2 0.3\nscale 1 1 1\n\n}\n", "o", 0.0f, 0},
        // List headers without a count are stepped over unread.
        {"Object \"o\" {\nvertex {\n1 2 3\n}\nface {\n3 V(0 1 2)\n}\nanimation {\n"
         "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n}\n}\n",
         "o", 0.0f, 0},
    };
    for (const auto& [chunk, name, facet, mirrorAxis] : cases) {
        Model model;
        ASSERT_EQ(LoadDocument(kDocumentHeader + chunk, model), kLoadOk) << chunk;
        ASSERT_EQ(model.objects.size(), 1u) << chunk;
        const ModelObject& object = model.objects[0];
        EXPECT_EQ(std::tuple(object.name, object.facet, object.mirrorAxis),
                  std::tuple(name, facet, mirrorAxis))
            << chunk;
        EXPECT_TRUE(object.vertices.empty() && object.faces.empty() && object.animations.empty())
            << chunk;
        EXPECT_TRUE(model.animationNames.empty()) << chunk;
    }
}

TEST(LoaderMQA, VertexLinesNeedThreeNumbersAndKeepTheirExactValues) {
    Model model;
    ASSERT_EQ(LoadDocument(kDocumentHeader + "Object \"o\" {\nvertex 99 {\n"
                                             "\t\t12.345678 -3.141593 100.000000\n1 2\n\n"
                                             "4 5 6 7\na b c\n-1.5e2 +2 0x10\n}\n}\n",
                           model),
              kLoadOk);
    // The chunk's count is ignored; short lines add nothing, long ones keep three numbers.
    EXPECT_EQ(
        Positions(model.objects.at(0)),
        (std::vector<Xyz>{{12.345678f, -3.141593f, 100.0f}, {4, 5, 6}, {0, 0, 0}, {-150, 2, 16}}));
}

TEST(LoaderMQA, AnimationsAreNamedOnlyByTheFirstObject) {
    const std::string keys = "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n"
                             "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15\n"       // 15 numbers: ignored
                             "2 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17\n" // 17: first 16 used
                             "\n";
    const std::string document = kDocumentHeader + "Object \"first\" {\nanimation \"walk\" {\n" +
                                 keys + "}\nanimation \"idle\" {\n}\n}\n" +
                                 "Object \"second\" {\nanimation \"other\" {\n" + keys +
                                 "}\nanimation \"more\" {\n}\n}\n";
    Model model;
    ASSERT_EQ(LoadDocument(document, model), kLoadOk);
    EXPECT_EQ(model.animationNames, (Names{"walk", "idle"}));
    ASSERT_EQ(model.objects.size(), 2u);
    for (const ModelObject& object : model.objects) {
        ASSERT_EQ(object.animations.size(), 2u) << object.name;
        EXPECT_EQ(object.animations[0], (KeyList{KeyFromFirstSixteen(1), KeyFromFirstSixteen(2)}));
        EXPECT_TRUE(object.animations[1].empty());
    }
    // Rows come in reading order: the translation is tokens 12 to 14.
    EXPECT_EQ(model.objects[0].animations[0][0]._41, 13.0f);
    EXPECT_EQ(model.objects[0].animations[0][0]._43, 15.0f);

    // A first object without animations leaves the later ones unnamed.
    Model unnamed;
    ASSERT_EQ(LoadDocument(kDocumentHeader + "Object \"first\" {\n}\n"
                                             "Object \"second\" {\nanimation \"walk\" {\n}\n}\n",
                           unnamed),
              kLoadOk);
    EXPECT_TRUE(unnamed.animationNames.empty());
    EXPECT_EQ(unnamed.objects.at(1).animations.size(), 1u);
}

TEST(LoaderMQA, StepsOverUnknownChunksAndBinaryBlocksUnlessTheyCannotBeSkipped) {
    struct Case {
        const char* name;
        std::string body;
        int result;
        std::size_t objects, vertices;
    };
    // The raw bytes of each block hold braces, line ends and NUL that would
    // change the nesting if the tokenizer saw them.
    const std::string raw = std::string("}\n{\n\0}", 6);
    const std::string inChunk = "Skip {\nVector 2 ";
    std::string large;
    for (int i = 0; large.size() < 1000000; ++i) {
        large += raw[static_cast<std::size_t>(i) % raw.size()];
    }
    const Case cases[] = {
        {"nested chunks and blocks",
         "BackImage {\n\tnested {\n\t\tdeeper {\n\t\t}\n\t}\n\tVector 2 [6]\n" + raw +
             "\n}\n}\nBlob [6]\n" + raw + "Empty [0]\nObject \"o\" {\n\tBVertex {\n" +
             "\t\tVector 1 [+6]\n" + raw + "\n\t}\n\tvertex 1 {\n\t\t1 2 3\n\t}\n}\n" +
             "Eof\nObject \"after the end marker\" {\n}\n", // with a stray brace at the top level
         kLoadOk, 2, 1},
        // Only the last token of a line counts for nesting: "x } {" opens one
        // more level, and counting every brace would read the object.
        {"brace opened last", "Skip {\nx } {\n}\nObject \"o\" {\n}\n", kLoadUnexpectedEnd, 0, 0},
        {"brace closed last", "Skip {\na { b }\n}\nObject \"o\" {\n}\n", kLoadOk, 1, 0},
        // A negative count would seek backwards and read the same lines forever.
        {"negative count", inChunk + "[-14]\n}\n", kLoadFormatError, 0, 0},
        {"negative count at the top level", "Blob [-20]\n", kLoadFormatError, 0, 0},
        {"count that is no number", inChunk + "[abc]\n}\n", kLoadFormatError, 0, 0},
        {"count beyond the int range", inChunk + "[99999999999]\n}\n", kLoadFormatError, 0, 0},
        // A block cut short by the end of the stream is an unexpected end, wherever it stands.
        {"block cut short by the end", inChunk + "[100]\nabc", kLoadUnexpectedEnd, 0, 0},
        {"block cut short in a scene", "Scene {\nblob 1 [100000]\nabc\n", kLoadUnexpectedEnd, 0, 0},
        {"block cut short at the top level", "Blob [4]\nabc", kLoadUnexpectedEnd, 0, 0},
        {"block cut short right after its line", "Blob [4]\n", kLoadUnexpectedEnd, 0, 0},
        {"block ending exactly at the end", "Blob [4]\nabcd", kLoadOk, 0, 0},
        {"count followed by garbage", inChunk + "[3x]\nabc\n}\n", kLoadOk, 0, 0},
        {"brackets not at the end", inChunk + "[-1] 2\n}\n", kLoadOk, 0, 0},
        // Blocks longer than what the tokenizer reads ahead: the rest of them
        // is stepped over in the stream itself.
        {"block longer than the read-ahead",
         "Blob [1000000]\n" + large + "Object \"o\" {\nvertex 1 {\n1 2 3\n}\n}\n", kLoadOk, 1, 1},
        {"long block cut short", "Blob [1000001]\n" + large, kLoadUnexpectedEnd, 0, 0},
    };
    for (const Case& c : cases) {
        for (const bool throughFile : {false, true}) {
            Model model;
            const std::string way = throughFile ? " (file)" : " (memory)";
            EXPECT_EQ(LoadEitherWay(throughFile, kDocumentHeader + c.body, model), c.result)
                << c.name << way;
            ASSERT_EQ(model.objects.size(), c.objects) << c.name << way;
            EXPECT_EQ(c.objects > 0 ? model.objects[0].vertices.size() : 0u, c.vertices) << c.name;
        }
    }
}

TEST(LoaderMQA, ABrokenChunkEndsReadingAndKeepsEverythingReadBefore) {
    struct Case {
        const char* name;
        std::string body;
        int result;
        std::size_t materials, objects, vertices, faces, keys;
    };
    const std::string object = "Object \"o\" {\nfacet 30\n";
    const std::string vertex = object + "vertex 1 {\n1 2 3\n}\n";
    const std::string key = "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n";
    const int end = kLoadUnexpectedEnd;
    const int format = kLoadFormatError;
    const Case cases[] = {
        // The input ends inside a chunk.
        {"skipped chunk", "Scene {\nnested {\n}\n", end, 0, 0, 0, 0, 0},
        {"material chunk", "Material 3 {\n\"a\"\n\"b\" col(1 0 0 1)\n", end, 2, 0, 0, 0, 0},
        {"object chunk", "Material 1 {\n\"a\"\n}\n" + object, end, 1, 1, 0, 0, 0},
        {"chunk inside an object", object + "BVertex {\n", end, 0, 1, 0, 0, 0},
        {"vertex list", object + "vertex 3 {\n1 2 3\n4 5 6\n", end, 0, 1, 2, 0, 0},
        {"face list", vertex + "face 2 {\n3 V(0 0 0)\n", end, 0, 1, 1, 1, 0},
        {"animation", object + "animation \"a\" {\n" + key + key, end, 0, 1, 0, 0, 2},
        // A chunk header is not followed by its brace.
        {"Material", "Material 1\n\"a\"\n}\n", format, 0, 0, 0, 0, 0},
        {"Object", "Object \"a\"\n}\n", format, 0, 0, 0, 0, 0},
        {"Object after an object", vertex + "}\nObject \"b\" x\n", format, 0, 1, 1, 0, 0},
        {"vertex", vertex + "vertex 3 x\n", format, 0, 1, 1, 0, 0},
        {"face", vertex + "face 2 [\n", format, 0, 1, 1, 0, 0},
        {"animation", vertex + "animation \"a\" x\n", format, 0, 1, 1, 0, 0},
        // "Material" and "Object" alone are no chunk headers: they are stepped over.
        {"keywords alone", "Material\nObject\n}\n\n", kLoadOk, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Model model;
        EXPECT_EQ(LoadDocument(kDocumentHeader + c.body, model), c.result) << c.name;
        EXPECT_EQ(model.materials.size(), c.materials) << c.name;
        ASSERT_EQ(model.objects.size(), c.objects) << c.name;
        if (c.objects > 0) {
            const ModelObject& read = model.objects[0];
            EXPECT_EQ(std::tuple(read.name, read.facet, read.vertices.size(), read.faces.size(),
                                 read.animations.empty() ? 0u : read.animations[0].size()),
                      std::tuple("o", 30.0f, c.vertices, c.faces, c.keys))
                << c.name;
        }
    }
}

TEST(LoaderMQA, ReadingListsAllocatesOnlyToGrowThem) {
    if (!AllocationCountingActive()) {
        GTEST_SKIP() << "another allocator is in place and nothing is counted";
    }
    const int lines = 20000;
    std::string vertices;
    std::string faces;
    for (int i = 0; i < lines; ++i) {
        vertices += "\t\t12.345678 -3.141593 100.000000\n";
        faces += "\t\t4 V(0 1 2 3) M(0) UV(0.00000 0.00000 1.00000 0.00000 1.00000 1.00000 "
                 "0.00000 1.00000)\n";
    }
    MemoryStream input(kDocumentHeader + "Object \"o\" {\nvertex 1 {\n" + vertices +
                       "\t}\n\tface 1 {\n" + faces + "\t}\n}\n");
    Model model;
    LoaderMQA loader(input.get(), &model);
    AllocationScope scope;
    ASSERT_EQ(loader.Load(), kLoadOk);
    ASSERT_EQ(model.objects.at(0).faces.size(), static_cast<std::size_t>(lines));
    // Doubling the two lists takes about 2 x 15 allocations; one per line would be 40000.
    EXPECT_LT(scope.Allocations(), 100u);
}

TEST(LoaderMQA, AllocationFailureLeavesLoadAsStdBadAlloc) {
    if (!AllocationCountingActive()) {
        GTEST_SKIP() << "another allocator is in place: no failure can be injected";
    }
    const std::string document = kDocumentHeader +
                                 "Material 1 {\n\"a\" tex(\"a long texture name.bmp\")\n}\n"
                                 "Object \"a long object name here\" {\n"
                                 "vertex 2 {\n1 2 3\n4 5 6\n}\nface 1 {\n3 V(0 1 1)\n}\n"
                                 "animation \"walk\" {\n1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n}\n}\n";
    // Fail the first allocation, then the second, and so on, until the load
    // gets through: every failure must come out as std::bad_alloc.
    int failures = 0;
    for (std::size_t allowed = 0;; ++allowed) {
        MemoryStream input(document);
        Model model;
        int result = 1;
        try {
            const AllocationFailure failure(allowed);
            result = LoaderMQA(input.get(), &model).Load();
        } catch (const std::bad_alloc&) {
            ASSERT_LT(++failures, 1000);
            continue;
        }
        EXPECT_EQ(result, kLoadOk);
        break;
    }
    EXPECT_GT(failures, 5);
}

TEST(LoaderMQA, FalseListHeaderCountsCostNoMoreMemoryThanTheDocumentsSize) {
    // Counts are only hints for the room to reserve: false ones, however
    // large and however many, reserve no more bytes than the document holds.
    std::string document = kDocumentHeader;
    for (int i = 0; i < 200; ++i) {
        document += "Object \"o\" {\nvertex 2000000000 {\n1 2 3\n}\n"
                    "face 2000000000 {\n3 V(0 0 0)\n}\n}\n";
    }
    Model model;
    ASSERT_EQ(LoadDocument(document, model), kLoadOk);
    std::size_t reservedBytes = 0;
    for (const ModelObject& object : model.objects) {
        EXPECT_EQ(std::tuple(object.vertices.size(), object.faces.size()), std::tuple(1u, 1u));
        reservedBytes += object.vertices.capacity() * sizeof(D3DXVECTOR3) +
                         object.faces.capacity() * sizeof(Face);
    }
    EXPECT_LE(reservedBytes,
              document.size() + model.objects.size() * (sizeof(D3DXVECTOR3) + sizeof(Face)));
}

TEST(LoaderMQA, AFalseFaceCountBeforeShortLinesCostsAboutTheDocumentsSize) {
    // Face records are larger than short face lines, so a cap counted in
    // lines would let a false count reserve many times the document's size.
    const auto faceListBytes = [](const std::string& count, std::size_t& documentSize) {
        std::string document = kDocumentHeader + "Object \"o\" {\nface " + count + " {\n";
        for (int i = 0; i < 20000; ++i) {
            document += "3 V(0 1 2)\n";
        }
        document += "}\n}\n";
        documentSize = document.size();
        Model model;
        EXPECT_EQ(LoadDocument(document, model), kLoadOk);
        return model.objects.at(0).faces.capacity() * sizeof(Face);
    };
    std::size_t documentSize = 0;
    const std::size_t grownOnly = faceListBytes("0", documentSize);
    const std::size_t withFalseCount = faceListBytes("100000000", documentSize);
    EXPECT_LE(withFalseCount, grownOnly + documentSize);
}
