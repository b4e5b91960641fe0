// Face lines and material lines of the document reader.
#include "model/loader_mqa.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "model/model.h"
#include "tests/support/load_document.h"

namespace {

using Indices = std::vector<int>;
using Rgba = std::array<float, 4>;

// A face line that adds a face, and that face (its UV pairs flattened).
struct FaceCase {
    std::string line;
    Indices indices;
    int material = -1;
    std::vector<float> uvs = {};
};

// Reads one face line in an object of its own, expecting the given result;
// returns the faces it added.
std::vector<Face> ReadFaceLine(const std::string& line, int result) {
    Model model;
    EXPECT_EQ(
        LoadDocument(kDocumentHeader + "Object \"o\" {\nface 1 {\n" + line + "\n}\n}\n", model),
        result)
        << line;
    EXPECT_EQ(model.objects.size(), 1u) << line;
    return model.objects.empty() ? std::vector<Face>() : model.objects[0].faces;
}

Indices IndicesOf(const Face& face) {
    return Indices(face.indices.begin(), face.indices.end());
}

std::vector<float> UvsOf(const Face& face) {
    std::vector<float> uvs;
    for (const TexCoord& uv : face.uvs) {
        uvs.insert(uvs.end(), {uv.u, uv.v});
    }
    return uvs;
}

Material ReadMaterialLine(const std::string& line) {
    Model model;
    EXPECT_EQ(LoadDocument(kDocumentHeader + "Material 1 {\n" + line + "\n}\n", model), kLoadOk)
        << line;
    EXPECT_EQ(model.materials.size(), 1u) << line;
    return model.materials.empty() ? Material() : model.materials[0];
}

} // namespace

TEST(LoaderMQAFaces, FaceLinesFollowTheirCountsAndParts) {
    const FaceCase cases[] = {
        {"3 V(0 1 2) M(1) UV(0 0 1 0 1 1)", {0, 1, 2}, 1, {0, 0, 1, 0, 1, 1}},
        {"4 V(0 1 2 3)", {0, 1, 2, 3}},
        {"3 v(5 6 7) m(2) uv(0.5 0.25 1 1 0 0)", {5, 6, 7}, 2, {0.5f, 0.25f, 1, 1, 0, 0}},
        // Five corners keep their first four indices and UV pairs.
        {"5 V(0 1 2 3 4) M(2) UV(0 0 1 0 2 0 3 0 4 0)", {0, 1, 2, 3}, 2, {0, 0, 1, 0, 2, 0, 3, 0}},
        {"5 V(0 1 2 3 4)", {0, 1, 2, 3}},
        // Counts and indices are stored as written, never checked.
        {"0 V()", {}},
        {"3 V(-1 99999 a) M(-7)", {-1, 99999, 0}, -7},
        // A material or UV part cut short is not read.
        {"3 V(0 1 2) M(1", {0, 1, 2}},
        {"3 V(0 1 2) M 1", {0, 1, 2}},
        {"3 V(0 1 2) M(x)", {0, 1, 2}, 0},
        {"3 V(0 1 2) M(1) UV(0 0 1 0 1 1", {0, 1, 2}, 1},
        // Parts in another order or of other kinds are not seen.
        {"3 V(0 1 2) UV(0 0 1 0 1 1) M(1)", {0, 1, 2}, -1, {0, 0, 1, 0, 1, 1}},
        {"3 V(0 1 2) COL(1 1 1) M(1)", {0, 1, 2}},
        {"3 V(0 1 2) M(1) COL(1 2 3) UV(0 0 1 0 1 1)", {0, 1, 2}, 1},
    };
    for (const FaceCase& c : cases) {
        const std::vector<Face> faces = ReadFaceLine(c.line, kLoadOk);
        ASSERT_EQ(faces.size(), 1u) << c.line;
        EXPECT_EQ(std::tuple(IndicesOf(faces[0]), faces[0].material, UvsOf(faces[0])),
                  std::tuple(c.indices, c.material, c.uvs))
            << c.line;
        EXPECT_TRUE(faces[0].corners.empty()) << c.line;
    }
}

TEST(LoaderMQAFaces, MalformedFaceLinesAddNothing) {
    const std::pair<int, std::vector<std::string>> groups[] = {
        // The second token must be "V" and the line long enough for the count.
        {kLoadFormatError, {"3 X(0 1 2)", "3", "3 V(0 1 2", "2147483647 V(0)"}},
        // Parentheses that do not match the count drop the line, and so do
        // material and UV parts in the wrong form.
        {kLoadOk,
         {"3 V(0 1 2 3)", "3 V[0 1 2]", "2 V(0 1 2)", "-1 V(0)", "-2147483648 V(0)",
          "3 V(0 1 2) M[1] UV(0 0 1 0 1 1)", "3 V(0 1 2) M(1 2)",
          "3 V(0 1 2) M(1) UV(0 0 1 0 1 1 2)", "3 V(0 1 2) UV[0 0 1 0 1 1]"}},
    };
    for (const auto& [result, lines] : groups) {
        for (const std::string& line : lines) {
            EXPECT_TRUE(ReadFaceLine(line, result).empty()) << line;
        }
    }
}

TEST(LoaderMQAFaces, AFaceWithoutMaterialTakesThePreviousLinesOrMinusOne) {
    // A dropped line in between adds nothing, and reading goes on after it.
    const std::string document = kDocumentHeader + "Object \"o\" {\nface 4 {\n3 V(0 1 2)\n\n"
                                                   "3 V(0 1 2) M(2)\n3 V(3 4 5)\n3 V(0 1 2 3)\n"
                                                   "4 V(0 1 2 3) M(5) UV(0 0 1 0 1 1 0 1)\n"
                                                   "3 V(0 1 2)\n}\nface 1 {\n3 V(0 1 2)\n}\n}\n";
    Model model;
    ASSERT_EQ(LoadDocument(document, model), kLoadOk);
    const std::vector<Face>& faces = model.objects.at(0).faces;
    ASSERT_EQ(faces.size(), 6u);
    const int materials[] = {-1, 2, 2, 5, 5, -1};
    for (std::size_t i = 0; i < faces.size(); ++i) {
        EXPECT_EQ(faces[i].material, materials[i]) << "face " << i;
    }
    // Each line starts with empty lists: nothing of the line before remains.
    EXPECT_EQ(IndicesOf(faces[2]), (Indices{3, 4, 5}));
    EXPECT_EQ(faces[3].indices.size(), 4u);
    EXPECT_TRUE(faces[4].uvs.empty());
}

TEST(LoaderMQAMaterials, AttributeScanAppliesWhatItCanRead) {
    struct Case {
        std::string line;
        Rgba color;
        float diffuse, ambient, emissive, specular, power;
    };
    const Rgba grey = {0.8f, 0.8f, 0.8f, 1.0f};
    const Rgba red = {1.0f, 0.0f, 0.0f, 1.0f};
    const Case cases[] = {
        {"\"m\" col(1 0 0 1) dif(0.5)", red, 0.5f, 1.0f, 0.0f, 0.0f, 0.2f},
        {"\"m\" dif(0.1) amb(0.2) emi(0.3) spc(0.4) power(50)", grey, 0.1f, 0.2f, 0.3f, 0.4f,
         50.0f},
        {"\"m\" COL(1 0 0 1) DIF(0.5) Power(2)", red, 0.5f, 1.0f, 0.0f, 0.0f, 2.0f},
        {"\"m\" dif(0.1) dif(0.9)", grey, 0.9f, 1.0f, 0.0f, 0.0f, 0.2f},
        {"\"m\" dif(abc)", grey, 0.0f, 1.0f, 0.0f, 0.0f, 0.2f},
        // An unknown attribute between known ones is stepped over whole.
        {"\"m\" dif(0.5) vcol(1 2 3 4 5) amb(0.25)", grey, 0.5f, 0.25f, 0.0f, 0.0f, 0.2f},
        {"\"m\" reflect() amb(0.25)", grey, 1.0f, 0.25f, 0.0f, 0.0f, 0.2f},
        {"\"m\" amb(0.25) foo(1 2 3", grey, 1.0f, 0.25f, 0.0f, 0.0f, 0.2f},
        // "shader" is known: in the wrong form it ends the scan.
        {"\"m\" shader(3) dif(0.5)", grey, 0.5f, 1.0f, 0.0f, 0.0f, 0.2f},
        {"\"m\" shader(3 4) dif(0.5)", grey, 1.0f, 1.0f, 0.0f, 0.0f, 0.2f},
        // A known attribute in the wrong form ends the scan, keeping what came before.
        {"\"m\" col(1 0 0 1) dif(0.5 amb(0.3)", red, 1.0f, 1.0f, 0.0f, 0.0f, 0.2f},
        {"\"m\" col(1 0 0) dif(0.5)", grey, 1.0f, 1.0f, 0.0f, 0.0f, 0.2f},
        {"\"m\" dif 0.5 amb(0.3)", grey, 1.0f, 1.0f, 0.0f, 0.0f, 0.2f},
        {"\"m\" amb(0.3) junk dif(0.5)", grey, 1.0f, 0.3f, 0.0f, 0.0f, 0.2f},
        // Too few tokens left for its form: treated as unknown and stepped over.
        {"\"m\" amb(0.3) dif(", grey, 1.0f, 0.3f, 0.0f, 0.0f, 0.2f},
        {"\"m\" amb(0.3) col(1 0 0)", grey, 1.0f, 0.3f, 0.0f, 0.0f, 0.2f},
        {"\"m\" amb(0.3) dif", grey, 1.0f, 0.3f, 0.0f, 0.0f, 0.2f},
    };
    for (const Case& c : cases) {
        const Material m = ReadMaterialLine(c.line);
        const Rgba color = {m.color.r, m.color.g, m.color.b, m.color.a};
        EXPECT_EQ(std::tuple(m.name, color, m.diffuse, m.ambient, m.emissive, m.specular, m.power),
                  std::tuple("m", c.color, c.diffuse, c.ambient, c.emissive, c.specular, c.power))
            << c.line;
        // The device material follows the line's values.
        const D3DMATERIAL9& device = m.deviceMaterial;
        EXPECT_EQ(std::tuple(device.Diffuse.r, device.Ambient.r, device.Power),
                  std::tuple(c.diffuse * c.color[0], c.ambient * c.color[0], c.power))
            << c.line;
    }
}

TEST(LoaderMQAMaterials, FileNamesAreWholeTokens) {
    const Material material =
        ReadMaterialLine("\"stone wall\" tex(\"my file.bmp\") aplane(\"a(1).bmp\") bump(b.bmp)");
    EXPECT_EQ(
        std::tuple(material.name, material.textureName, material.alphaPlaneName, material.bumpName),
        std::tuple("stone wall", "my file.bmp", "a(1).bmp", "b.bmp"));
    const Material unquoted = ReadMaterialLine("plain");
    EXPECT_EQ(unquoted.name, "plain");
    EXPECT_TRUE(unquoted.textureName.empty());
}

TEST(LoaderMQAMaterials, EveryNonBlankLineIsOneMaterialWhateverTheCount) {
    Model model;
    ASSERT_EQ(LoadDocument(kDocumentHeader + "Material 2 {\n\t\"first\" dif(0.5) tex(\"a.bmp\")\n"
                                             "\n\t\"second\"\n\t\"third\" col(1 0 0 1)\n}\n"
                                             "Material 1 {\n\t\"fourth\"\n}\n",
                           model),
              kLoadOk);
    ASSERT_EQ(model.materials.size(), 4u);
    const auto& m = model.materials;
    EXPECT_EQ(std::tuple(m[0].name, m[1].name, m[2].name, m[3].name),
              std::tuple("first", "second", "third", "fourth"));
    // Each line starts again from the defaults.
    EXPECT_EQ(m[1].diffuse, 1.0f);
    EXPECT_TRUE(m[1].textureName.empty());
    EXPECT_EQ(m[3].color.g, 0.8f);
}
