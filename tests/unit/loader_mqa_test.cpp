#include "model/loader_mqa.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

#include "model/model.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/load_document.h"
#include "tests/support/memory_stream.h"

namespace {

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
    LoaderMQA loader(file, &model);
    const int result = loader.Load();
    std::fclose(file);
    return result;
}

D3DXMATRIX KeyFromFirstSixteen(float first) {
    return D3DXMATRIX(first, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
}

} // namespace

TEST(LoaderMQA, ResultCodesAreTheDocumentedNumbers) {
    EXPECT_EQ(kLoadOk, 0);
    EXPECT_EQ(kLoadFormatError, -1);
    EXPECT_EQ(kLoadUnexpectedEnd, -2);
    EXPECT_EQ(kLoadBadHeader, -3);
    EXPECT_EQ(kLoadBadVersion, -4);
}

TEST(LoaderMQA, ChecksTheHeaderAndFormatLines) {
    struct Case {
        std::string document;
        int result;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        Model model;
        EXPECT_EQ(LoadDocument(c.document, model), c.result) << c.document;
        EXPECT_TRUE(model.objects.empty());
        EXPECT_TRUE(model.materials.empty());
    }
}

TEST(LoaderMQA, ReadsAWholeDocument) {
    const std::string document = kDocumentHeader + R"(
Scene {
	pos 0.0000 0.0000 1500.0000
	dirlights 1 {
		light {
			dir 0.408 0.408 0.816
		}
	}
}
Material 1 {
	"red" col(1.000 0.000 0.000 1.000) dif(0.800) amb(0.600) emi(0.000) spc(0.000) power(5.00) tex("red.bmp")
}
Object "body" {
	visible 15
	facet 59.5
	mirror_axis 1
	vertex 3 {
		0 0 0
		100 0 0
		0 100 0
	}
	face 1 {
		3 V(0 1 2) M(0) UV(0 0 1 0 0 1)
	}
	animation "walk" {
		1 0 0 0 0 1 0 0 0 0 1 0 0 10 0 1
	}
}
Eof
)";
    Model model;
    ASSERT_EQ(LoadDocument(document, model), kLoadOk);

    ASSERT_EQ(model.materials.size(), 1u);
    const Material& red = model.materials[0];
    EXPECT_EQ(red.name, "red");
    EXPECT_EQ(red.color.r, 1.0f);
    EXPECT_EQ(red.color.g, 0.0f);
    EXPECT_EQ(red.diffuse, 0.8f);
    EXPECT_EQ(red.ambient, 0.6f);
    EXPECT_EQ(red.power, 5.0f);
    EXPECT_EQ(red.textureName, "red.bmp");
    EXPECT_EQ(red.deviceMaterial.Diffuse.r, 0.8f);
    EXPECT_EQ(red.deviceMaterial.Ambient.r, 0.6f);

    ASSERT_EQ(model.objects.size(), 1u);
    const ModelObject& body = model.objects[0];
    EXPECT_EQ(body.name, "body");
    EXPECT_EQ(body.facet, 59.5f);
    EXPECT_EQ(body.mirrorAxis, 1);
    ASSERT_EQ(body.vertices.size(), 3u);
    EXPECT_EQ(body.vertices[1].x, 100.0f);
    EXPECT_EQ(body.vertices[2].y, 100.0f);
    ASSERT_EQ(body.faces.size(), 1u);
    EXPECT_EQ(body.faces[0].indices, (InlineList<int, 4>{0, 1, 2}));
    EXPECT_EQ(body.faces[0].material, 0);
    EXPECT_EQ(body.faces[0].uvs, (InlineList<TexCoord, 4>{{0, 0}, {1, 0}, {0, 1}}));
    ASSERT_EQ(body.animations.size(), 1u);
    ASSERT_EQ(body.animations[0].size(), 1u);
    EXPECT_EQ(body.animations[0][0], D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 10, 0, 1));
    EXPECT_EQ(model.animationNames, (std::vector<std::string>{"walk"}));
}

TEST(LoaderMQA, KeywordsMatchInAnyLetterCase) {
    const std::string document = kDocumentHeader + "MATERIAL 1 {\n"
                                                   "\"m\" COL(0.5 0.5 0.5 1) DIF(0.25)\n"
                                                   "}\n"
                                                   "oBjEcT \"o\" {\n"
                                                   "FACET 30\n"
                                                   "Mirror_Axis 2\n"
                                                   "VERTEX 1 {\n1 2 3\n}\n"
                                                   "Face 1 {\n3 v(0 0 0) m(0) uv(0 0 0 0 0 0)\n}\n"
                                                   "ANIMATION \"a\" {\n"
                                                   "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n}\n"
                                                   "}\n";
    Model model;
    ASSERT_EQ(LoadDocument(document, model), kLoadOk);
    ASSERT_EQ(model.materials.size(), 1u);
    EXPECT_EQ(model.materials[0].color.r, 0.5f);
    EXPECT_EQ(model.materials[0].diffuse, 0.25f);
    ASSERT_EQ(model.objects.size(), 1u);
    const ModelObject& object = model.objects[0];
    EXPECT_EQ(object.facet, 30.0f);
    EXPECT_EQ(object.mirrorAxis, 2);
    EXPECT_EQ(object.vertices.size(), 1u);
    ASSERT_EQ(object.faces.size(), 1u);
    EXPECT_EQ(object.faces[0].material, 0);
    EXPECT_EQ(object.faces[0].uvs.size(), 3u);
    ASSERT_EQ(object.animations.size(), 1u);
    EXPECT_EQ(object.animations[0].size(), 1u);
}

TEST(LoaderMQA, ObjectLinesSetNameSmoothingAngleAndMirrorAxis) {
    struct Case {
        std::string chunk;
        std::string name;
        float facet;
        int mirrorAxis;
    };
    const Case cases[] = {
        {"Object {\n}\n", "", 0.0f, 0},
        {"Object \"two words\" {\n}\n", "two words", 0.0f, 0},
        {"Object plain extra {\n}\n", "plain", 0.0f, 0},
        {"Object \"o\" {\nfacet 59.5\nmirror_axis 1\n}\n", "o", 59.5f, 1},
        {"Object \"o\" {\nfacet\nmirror_axis\n}\n", "o", 0.0f, 0},
        {"Object \"o\" {\nfacet 10\nfacet 20\n}\n", "o", 20.0f, 0},
        {"Object \"o\" {\nfacet abc\nmirror_axis 2x\n}\n", "o", 0.0f, 2},
        {"Object \"o\" {\nvisible 15\ncolor 0.1 0.2 0.3\nscale 1 1 1\n\n}\n", "o", 0.0f, 0},
    };
    for (const Case& c : cases) {
        Model model;
        ASSERT_EQ(LoadDocument(kDocumentHeader + c.chunk, model), kLoadOk) << c.chunk;
        ASSERT_EQ(model.objects.size(), 1u) << c.chunk;
        EXPECT_EQ(model.objects[0].name, c.name) << c.chunk;
        EXPECT_EQ(model.objects[0].facet, c.facet) << c.chunk;
        EXPECT_EQ(model.objects[0].mirrorAxis, c.mirrorAxis) << c.chunk;
    }
}

TEST(LoaderMQA, VertexLinesNeedThreeNumbersAndKeepTheirExactValues) {
    const std::string document = kDocumentHeader + "Object \"o\" {\n"
                                                   "vertex 99 {\n"
                                                   "\t\t12.345678 -3.141593 100.000000\n"
                                                   "1 2\n"
                                                   "\n"
                                                   "4 5 6 7\n"
                                                   "a b c\n"
                                                   "-1.5e2 +2 0x10\n"
                                                   "}\n"
                                                   "}\n";
    Model model;
    ASSERT_EQ(LoadDocument(document, model), kLoadOk);
    const auto& vertices = model.objects.at(0).vertices;
    ASSERT_EQ(vertices.size(), 4u) << "the chunk's count is ignored";
    EXPECT_EQ(vertices[0].x, 12.345678f);
    EXPECT_EQ(vertices[0].y, -3.141593f);
    EXPECT_EQ(vertices[0].z, 100.0f);
    EXPECT_EQ(vertices[1].z, 6.0f);
    EXPECT_EQ(vertices[2].x, 0.0f);
    EXPECT_EQ(vertices[3].x, -150.0f);
    EXPECT_EQ(vertices[3].y, 2.0f);
    EXPECT_EQ(vertices[3].z, 16.0f);
}

TEST(LoaderMQA, ListHeadersWithoutACountAreSteppedOverUnread) {
    const std::string document = kDocumentHeader + "Object \"o\" {\n"
                                                   "vertex {\n1 2 3\n}\n"
                                                   "face {\n3 V(0 1 2)\n}\n"
                                                   "animation {\n"
                                                   "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n}\n"
                                                   "}\n";
    Model model;
    ASSERT_EQ(LoadDocument(document, model), kLoadOk);
    ASSERT_EQ(model.objects.size(), 1u);
    EXPECT_TRUE(model.objects[0].vertices.empty());
    EXPECT_TRUE(model.objects[0].faces.empty());
    EXPECT_TRUE(model.objects[0].animations.empty());
    EXPECT_TRUE(model.animationNames.empty());
}

TEST(LoaderMQA, AnimationsAreNamedOnlyByTheFirstObject) {
    const std::string keys = "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n"
                             "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15\n"       // 15 numbers: ignored
                             "2 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17\n" // 17: first 16 used
                             "\n";
    const std::string document = kDocumentHeader +
                                 "Object \"first\" {\n"
                                 "animation \"walk\" {\n" +
                                 keys + "}\nanimation \"idle\" {\n}\n}\n" +
                                 "Object \"second\" {\n"
                                 "animation \"other\" {\n" +
                                 keys + "}\nanimation \"more\" {\n}\n}\n";
    Model model;
    ASSERT_EQ(LoadDocument(document, model), kLoadOk);
    EXPECT_EQ(model.animationNames, (std::vector<std::string>{"walk", "idle"}));
    ASSERT_EQ(model.objects.size(), 2u);
    for (const ModelObject& object : model.objects) {
        ASSERT_EQ(object.animations.size(), 2u) << object.name;
        ASSERT_EQ(object.animations[0].size(), 2u) << object.name;
        EXPECT_EQ(object.animations[0][0], KeyFromFirstSixteen(1));
        EXPECT_EQ(object.animations[0][1], KeyFromFirstSixteen(2));
        EXPECT_TRUE(object.animations[1].empty());
    }
    // Rows come in reading order: the translation is tokens 12 to 14.
    EXPECT_EQ(model.objects[0].animations[0][0]._41, 13.0f);
    EXPECT_EQ(model.objects[0].animations[0][0]._43, 15.0f);
}

TEST(LoaderMQA, AnObjectWithoutAnimationsLeavesLaterOnesUnnamed) {
    const std::string document = kDocumentHeader +
                                 "Object \"first\" {\n}\n"
                                 "Object \"second\" {\nanimation \"walk\" {\n}\n}\n";
    Model model;
    ASSERT_EQ(LoadDocument(document, model), kLoadOk);
    EXPECT_TRUE(model.animationNames.empty());
    EXPECT_EQ(model.objects.at(1).animations.size(), 1u);
}

TEST(LoaderMQA, StepsOverUnknownChunksNestedChunksAndBinaryBlocks) {
    // The raw bytes of each block hold braces, line ends and NUL that would
    // change the nesting if the tokenizer saw them.
    const std::string raw = std::string("}\n{\n\0}", 6);
    const std::string document = kDocumentHeader +
                                 "BackImage {\n"
                                 "\tnested {\n"
                                 "\t\tdeeper {\n"
                                 "\t\t}\n"
                                 "\t}\n"
                                 "\tVector 2 [6]\n" +
                                 raw +
                                 "\n}\n"
                                 "}\n" // a stray brace at the top level
                                 "Blob [6]\n" +
                                 raw +
                                 "Empty [0]\n"
                                 "Object \"o\" {\n"
                                 "\tBVertex {\n"
                                 "\t\tVector 1 [+6]\n" +
                                 raw +
                                 "\n\t}\n"
                                 "\tvertex 1 {\n\t\t1 2 3\n\t}\n"
                                 "}\n"
                                 "Eof\n"
                                 "Object \"after the end marker\" {\n}\n";
    for (const bool throughFile : {false, true}) {
        Model model;
        const int result =
            throughFile ? LoadThroughFile(document, model) : LoadDocument(document, model);
        ASSERT_EQ(result, kLoadOk) << (throughFile ? "file" : "memory");
        ASSERT_EQ(model.objects.size(), 2u);
        EXPECT_EQ(model.objects[0].vertices.size(), 1u);
        EXPECT_EQ(model.objects[1].name, "after the end marker");
    }
}

TEST(LoaderMQA, OnlyTheLastTokenOfALineCountsForNesting) {
    // "x } {" opens one more level; counting every brace would close the
    // chunk at the next line and read the object.
    const std::string document = kDocumentHeader + "Skip {\n"
                                                   "x } {\n"
                                                   "}\n"
                                                   "Object \"o\" {\n"
                                                   "}\n";
    Model model;
    EXPECT_EQ(LoadDocument(document, model), kLoadUnexpectedEnd);
    EXPECT_TRUE(model.objects.empty());

    Model closed;
    EXPECT_EQ(LoadDocument(kDocumentHeader + "Skip {\na { b }\n}\nObject \"o\" {\n}\n", closed),
              kLoadOk);
    EXPECT_EQ(closed.objects.size(), 1u) << "\"a { b }\" closed the chunk by its last token";
}

TEST(LoaderMQA, BinaryBlocksThatCannotBeSkippedAreFormatErrors) {
    struct Case {
        const char* name;
        std::string document;
        int result;
    };
    const std::string inChunk = kDocumentHeader + "Skip {\nVector 2 ";
    const Case cases[] = {
        // A negative count would seek backwards and read the same lines forever.
        {"negative count", inChunk + "[-14]\n}\n", kLoadFormatError},
        {"negative count at the top level", kDocumentHeader + "Blob [-20]\n", kLoadFormatError},
        {"count that is no number", inChunk + "[abc]\n}\n", kLoadFormatError},
        {"count beyond the int range", inChunk + "[99999999999]\n}\n", kLoadFormatError},
        {"block cut short by the end", inChunk + "[100]\nabc", kLoadFormatError},
        {"block cut short at the top level", kDocumentHeader + "Blob [4]\nabc", kLoadFormatError},
        {"block ending exactly at the end", kDocumentHeader + "Blob [4]\nabcd", kLoadOk},
        {"count followed by garbage", inChunk + "[3x]\nabc\n}\n", kLoadOk},
        {"brackets not at the end", inChunk + "[-1] 2\n}\n", kLoadOk},
    };
    for (const Case& c : cases) {
        for (const bool throughFile : {false, true}) {
            Model model;
            const int result =
                throughFile ? LoadThroughFile(c.document, model) : LoadDocument(c.document, model);
            EXPECT_EQ(result, c.result) << c.name << (throughFile ? " (file)" : " (memory)");
        }
    }
}

TEST(LoaderMQA, AnEndInsideAnyChunkKeepsEverythingReadBefore) {
    struct Case {
        const char* name;
        std::string document;
        std::size_t materials, objects, vertices, faces, keys;
    };
    const std::string object = "Object \"o\" {\nfacet 30\n";
    const std::string key = "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n";
    const Case cases[] = {
        {"skipped chunk", kDocumentHeader + "Scene {\nnested {\n}\n", 0, 0, 0, 0, 0},
        {"material chunk", kDocumentHeader + "Material 3 {\n\"a\"\n\"b\" col(1 0 0 1)\n", 2, 0, 0,
         0, 0},
        {"object chunk", kDocumentHeader + "Material 1 {\n\"a\"\n}\n" + object, 1, 1, 0, 0, 0},
        {"chunk inside an object", kDocumentHeader + object + "BVertex {\n", 0, 1, 0, 0, 0},
        {"vertex list", kDocumentHeader + object + "vertex 3 {\n1 2 3\n4 5 6\n", 0, 1, 2, 0, 0},
        {"face list", kDocumentHeader + object + "vertex 3 {\n1 2 3\n}\nface 2 {\n3 V(0 0 0)\n", 0,
         1, 1, 1, 0},
        {"animation", kDocumentHeader + object + "animation \"a\" {\n" + key + key, 0, 1, 0, 0, 2},
    };
    for (const Case& c : cases) {
        Model model;
        EXPECT_EQ(LoadDocument(c.document, model), kLoadUnexpectedEnd) << c.name;
        EXPECT_EQ(model.materials.size(), c.materials) << c.name;
        ASSERT_EQ(model.objects.size(), c.objects) << c.name;
        if (c.objects > 0) {
            const ModelObject& read = model.objects[0];
            EXPECT_EQ(read.name, "o") << c.name;
            EXPECT_EQ(read.facet, 30.0f) << c.name;
            EXPECT_EQ(read.vertices.size(), c.vertices) << c.name;
            EXPECT_EQ(read.faces.size(), c.faces) << c.name;
            EXPECT_EQ(read.animations.empty() ? 0u : read.animations[0].size(), c.keys) << c.name;
        }
    }
}

TEST(LoaderMQA, ChunkHeadersWithoutTheirBraceAreFormatErrors) {
    struct Case {
        const char* name;
        std::string tail;
        std::size_t objects, vertices;
    };
    const std::string object = "Object \"o\" {\nvertex 1 {\n1 2 3\n}\n";
    const Case cases[] = {
        {"Material", "Material 1\n\"a\"\n}\n", 0, 0},
        {"Object", "Object \"a\"\n}\n", 0, 0},
        {"Object after an object", object + "}\nObject \"b\" x\n", 1, 1},
        {"vertex", object + "vertex 3 x\n", 1, 1},
        {"face", object + "face 2 [\n", 1, 1},
        {"animation", object + "animation \"a\" x\n", 1, 1},
    };
    for (const Case& c : cases) {
        Model model;
        EXPECT_EQ(LoadDocument(kDocumentHeader + c.tail, model), kLoadFormatError) << c.name;
        ASSERT_EQ(model.objects.size(), c.objects) << c.name;
        if (c.objects > 0) {
            EXPECT_EQ(model.objects[0].vertices.size(), c.vertices) << c.name;
        }
    }
}

TEST(LoaderMQA, ShortLinesThatLookLikeChunksAreIgnored) {
    // "Material" and "Object" alone are no chunk headers: they are stepped over.
    Model model;
    EXPECT_EQ(LoadDocument(kDocumentHeader + "Material\nObject\n}\n\n", model), kLoadOk);
    EXPECT_TRUE(model.objects.empty());
    EXPECT_TRUE(model.materials.empty());
}

TEST(LoaderMQA, ReadingListsAllocatesOnlyToGrowThem) {
    if (!AllocationCountingActive()) {
        GTEST_SKIP() << "another allocator is in place and nothing is counted";
    }
    const int lines = 20000;
    std::string document = kDocumentHeader + "Object \"o\" {\nvertex 1 {\n";
    for (int i = 0; i < lines; ++i) {
        document += "\t\t12.345678 -3.141593 100.000000\n";
    }
    document += "\t}\n\tface 1 {\n";
    for (int i = 0; i < lines; ++i) {
        document += "\t\t4 V(0 1 2 3) M(0) UV(0.00000 0.00000 1.00000 0.00000 1.00000 1.00000 "
                    "0.00000 1.00000)\n";
    }
    document += "\t}\n}\n";
    MemoryStream input(document);
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
                                 "vertex 2 {\n1 2 3\n4 5 6\n}\n"
                                 "face 1 {\n3 V(0 1 1)\n}\n"
                                 "animation \"walk\" {\n"
                                 "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n}\n}\n";
    // Fail the first allocation, then the second, and so on, until the load
    // gets through: every failure must come out as std::bad_alloc.
    int failures = 0;
    for (std::size_t allowed = 0;; ++allowed) {
        MemoryStream input(document);
        Model model;
        bool threw = false;
        int result = 1;
        {
            AllocationFailure failure(allowed);
            try {
                LoaderMQA loader(input.get(), &model);
                result = loader.Load();
            } catch (const std::bad_alloc&) {
                threw = true;
            }
        }
        if (!threw) {
            EXPECT_EQ(result, kLoadOk);
            break;
        }
        ++failures;
        ASSERT_LT(failures, 1000);
    }
    EXPECT_GT(failures, 5);
}

TEST(LoaderMQA, ListHeaderCountsReserveNoMoreThanTheDocumentCouldHold) {
    // Counts are only hints for the room to reserve: false ones, however
    // large and however many, cost no more than a quarter of the document's
    // size in list entries.
    std::string document = kDocumentHeader;
    for (int i = 0; i < 200; ++i) {
        document += "Object \"o\" {\nvertex 2000000000 {\n1 2 3\n}\nface 2000000000 {\n3 V(0 0 "
                    "0)\n}\n}\n";
    }
    Model model;
    ASSERT_EQ(LoadDocument(document, model), kLoadOk);
    std::size_t reserved = 0;
    for (const ModelObject& object : model.objects) {
        EXPECT_EQ(object.vertices.size(), 1u);
        EXPECT_EQ(object.faces.size(), 1u);
        reserved += object.vertices.capacity() + object.faces.capacity();
    }
    EXPECT_LE(reserved, document.size() / 4 + 2 * model.objects.size());
}
