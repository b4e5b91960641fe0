// The asset generator's builders: closed shapes wound the way the game draws
// them, documents the game's reader reads back exactly, images that decode
// and tile without seams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <stb_image.h>

#include "model/model.h"
#include "tests/support/load_document.h"
#include "tests/support/mesh_checks.h"
#include "tools/asset_generator/document_writer.h"
#include "tools/asset_generator/image_encoding.h"
#include "tools/asset_generator/shape_builder.h"
#include "tools/asset_generator/texture_painter.h"

using namespace assetgen;

namespace {

Document OneObject(DocumentObject object) {
    Document document;
    document.materials.push_back({.name = "plain"});
    document.objects.push_back(std::move(object));
    return document;
}

// Writes the document and reads it back with the game's reader.
void RoundTrip(const Document& document, Model& model) {
    ASSERT_EQ(LoadDocument(WriteDocument(document), model), kLoadOk);
}

// Area of a regular polygon of n corners on a circle of radius r.
float PolygonArea(int n, float r) {
    return 0.5f * static_cast<float>(n) * r * r * std::sin(2.0f * kPi / static_cast<float>(n));
}

} // namespace

TEST(AssetGenerator, FormatsNumbersInFixedNotationWithoutNegativeZero) {
    struct Case {
        float value;
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        {0.0f, 4, "0.0000"},    {-0.0f, 2, "0.00"},        {-0.00001f, 4, "0.0000"},
        {-1.5f, 2, "-1.50"},    {2.0f / 3.0f, 3, "0.667"}, {12345.678f, 1, "12345.7"},
        {1e-7f, 6, "0.000000"}, {-50.0f, 4, "-50.0000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatNumber(c.value, c.decimals), c.text) << c.value;
    }
}

TEST(AssetGenerator, ShapesAreClosedClockwiseFromOutsideAndEncloseTheirVolume) {
    const Vec3 low{-1.0f, 0.0f, -2.0f};
    const Vec3 high{1.0f, 3.0f, 2.0f};
    const Vec3 zero{0.0f, 0.0f, 0.0f};
    const Vec3 size{2.0f, 3.0f, 4.0f};
    const Vec2 bottom{2.0f, 2.0f};
    const Vec2 top{1.0f, 1.0f};
    const std::vector<Ring> chamfered = {ChamferedRing(0.0f, 3.0f, 2.0f, 1.0f),
                                         ChamferedRing(4.0f, 3.0f, 2.0f, 1.0f)};
    const std::vector<Vec3> path = {{0.0f, 0.0f, 0.0f}, {0.0f, 2.0f, 1.0f}, {0.0f, 3.0f, 4.0f}};
    const std::vector<Vec2> radii = {{0.0f, 0.0f}, {1.0f, 1.5f}, {0.0f, 0.0f}};
    const Vec3 side{1.0f, 0.0f, 0.0f};
    const Vec3 radii3{1.0f, 2.0f, 3.0f};
    const Vec3 dome{3.0f, 2.0f, 3.0f};
    struct Case {
        const char* name;
        std::function<void(ShapeBuilder&)> build;
        double volume;     // enclosed volume; 0 when only its sign is checked
        Matrix place = {}; // from the shape's frame into the object
    };
    const Case cases[] = {
        {"box", [&](ShapeBuilder& s) { s.AddBox(low, high); }, 24.0},
        {"mirrored box", [&](ShapeBuilder& s) { s.AddBox(zero, size); }, 24.0,
         Scaling({-1.0f, 1.0f, 1.0f})},
        {"turned box", [&](ShapeBuilder& s) { s.AddBox(zero, size); }, 24.0,
         RotationX(90.0f) * RotationY(30.0f) * Translation({5.0f, 1.0f, 2.0f})},
        {"tapered box", [&](ShapeBuilder& s) { s.AddTaperedBox(3.0f, bottom, top); },
         3.0 * (16.0 + 4.0 + 8.0) / 3.0},
        {"cylinder", [](ShapeBuilder& s) { s.AddCylinder(2.0f, 2.0f, 5.0f, 12); },
         PolygonArea(12, 2.0f) * 5.0},
        {"cone", [](ShapeBuilder& s) { s.AddCylinder(2.0f, 0.0f, 6.0f, 8); },
         PolygonArea(8, 2.0f) * 6.0 / 3.0},
        {"ellipsoid", [&](ShapeBuilder& s) { s.AddEllipsoid(radii3, 12, 8); }, 0.0},
        {"dome", [&](ShapeBuilder& s) { s.AddEllipsoid(dome, 12, 4, 0.0f, 90.0f); }, 0.0},
        {"chamfered loft", [&](ShapeBuilder& s) { s.AddLoft(chamfered, LoftUv::Wrapped); },
         4.0 * (6.0 * 4.0 - 2.0)},
        {"tube with tips", [&](ShapeBuilder& s) { s.AddTube(path, radii, side, 8); }, 0.0},
    };
    for (const Case& c : cases) {
        DocumentObject object;
        object.name = c.name;
        ShapeBuilder shapes(object);
        shapes.place = c.place;
        c.build(shapes);
        Model model;
        RoundTrip(OneObject(object), model);
        ASSERT_EQ(model.objects.size(), 1u);
        const ModelObject& read = model.objects[0];
        EXPECT_EQ(UnpairedEdges(read), 0) << c.name;
        for (const Face& face : read.faces) {
            EXPECT_TRUE(face.indices.size() == 3 || face.indices.size() == 4) << c.name;
        }
        const double volume = SignedVolume(read);
        EXPECT_LT(volume, 0.0) << c.name << " is inside out";
        if (c.volume > 0.0) {
            EXPECT_NEAR(-volume, c.volume, c.volume * 1e-3) << c.name;
        }
    }
}

TEST(AssetGenerator, EndCapsTakeTheirOwnMaterials) {
    DocumentObject object;
    ShapeBuilder shapes(object);
    shapes.material = 0;
    shapes.startCapMaterial = 1;
    shapes.endCapMaterial = 2;
    shapes.AddBox({0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f});
    ASSERT_EQ(object.faces.size(), 6u);
    int counts[3] = {0, 0, 0};
    for (const DocumentFace& face : object.faces) {
        ASSERT_GE(face.material, 0);
        ASSERT_LT(face.material, 3);
        ++counts[face.material];
        float y = 0.0f;
        for (const int index : face.indices) {
            y += object.vertices[static_cast<std::size_t>(index)].y / 4.0f;
        }
        if (face.material == 1) {
            EXPECT_FLOAT_EQ(y, 0.0f) << "the start cap closes the first ring";
        } else if (face.material == 2) {
            EXPECT_FLOAT_EQ(y, 1.0f) << "the end cap closes the last ring";
        }
    }
    EXPECT_EQ(counts[0], 4);
    EXPECT_EQ(counts[1], 1);
    EXPECT_EQ(counts[2], 1);
}

TEST(AssetGenerator, LoftTextureCoordinatesStandUprightAndRunRound) {
    for (const LoftUv uv : {LoftUv::PerSide, LoftUv::Wrapped}) {
        const bool perSide = uv == LoftUv::PerSide;
        const char* name = perSide ? "per side" : "wrapped";
        DocumentObject object;
        ShapeBuilder shapes(object);
        const Ring bottom =
            perSide ? RectangleRing(0.0f, 1.0f, 1.0f) : EllipseRing(0.0f, 1.0f, 1.0f, 8);
        Ring top = bottom;
        for (Vec3& p : top) {
            p.y = 2.0f;
        }
        shapes.AddLoft({bottom, top}, uv);
        float covered = 0.0f;
        for (const DocumentFace& face : object.faces) {
            float low = 1e9f;
            float high = -1e9f;
            bool side = false;
            for (std::size_t k = 0; k < face.indices.size(); ++k) {
                const float y = object.vertices[static_cast<std::size_t>(face.indices[k])].y;
                side = side || y != object.vertices[static_cast<std::size_t>(face.indices[0])].y;
                low = std::min(low, face.uvs[k].x);
                high = std::max(high, face.uvs[k].x);
            }
            if (!side) {
                continue; // a cap
            }
            for (std::size_t k = 0; k < face.indices.size(); ++k) {
                const float y = object.vertices[static_cast<std::size_t>(face.indices[k])].y;
                EXPECT_FLOAT_EQ(face.uvs[k].y, y == 2.0f ? 0.0f : 1.0f) << name;
            }
            EXPECT_FLOAT_EQ(low + (perSide ? 1.0f : 1.0f / 8.0f), high) << name;
            covered += high - low;
        }
        EXPECT_FLOAT_EQ(covered, perSide ? 4.0f : 1.0f) << name;
    }
}

TEST(AssetGenerator, DocumentsReadBackExactlyThroughTheGameReader) {
    Document document;
    document.animationName = "wave";
    document.materials = {
        MakeMaterial("red", {1.0f, 0.0f, 0.25f}, 0.7f, 0.3f, 0.6f, 12.5f, "a b.png"),
        MakeMaterial("plain", {0.5f, 0.5f, 0.5f}, 0.8f, 0.4f),
    };
    document.materials[0].alpha = 0.5f;
    document.materials[0].emissive = 0.1f;
    DocumentObject object;
    object.name = "part one";
    object.facet = 45.0f;
    object.vertices = {
        {0.0f, 0.0f, 0.0f}, {1.5f, 0.0f, 0.0f}, {1.5f, 2.0f, -0.25f}, {0.0f, 2.0f, 0.0f}};
    object.faces = {{{0, 1, 2, 3}, {{0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}}, 1},
                    {{2, 1, 0}, {{0.5f, 0.25f}, {0.0f, 0.0f}, {1.0f, 1.0f}}, 0}};
    object.keys = {Matrix{}, RotationY(30.0f) * Translation({1.0f, 2.0f, 3.0f})};
    document.objects = {object};

    const std::string text = WriteDocument(document);
    EXPECT_EQ(text.find("\n"), text.find("\r\n") + 1) << "lines end in CR LF";
    EXPECT_EQ(text.find('\n', text.find("\r\n") + 2), text.find("\r\n", text.find("\r\n") + 2) + 1);
    EXPECT_NE(text.find("\r\nScene {\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 5), "Eof\r\n");

    Model model;
    RoundTrip(document, model);
    ASSERT_EQ(model.materials.size(), 2u);
    const Material& red = model.materials[0];
    EXPECT_EQ(red.name, "red");
    EXPECT_FLOAT_EQ(red.color.r, 1.0f);
    EXPECT_FLOAT_EQ(red.color.b, 0.25f);
    EXPECT_FLOAT_EQ(red.color.a, 0.5f);
    EXPECT_FLOAT_EQ(red.diffuse, 0.7f);
    EXPECT_FLOAT_EQ(red.ambient, 0.3f);
    EXPECT_FLOAT_EQ(red.emissive, 0.1f);
    EXPECT_FLOAT_EQ(red.specular, 0.6f);
    EXPECT_FLOAT_EQ(red.power, 12.5f);
    EXPECT_EQ(red.textureName, "a b.png");
    EXPECT_TRUE(model.materials[1].textureName.empty());

    ASSERT_EQ(model.objects.size(), 1u);
    const ModelObject& read = model.objects[0];
    EXPECT_EQ(read.name, "part one");
    EXPECT_FLOAT_EQ(read.facet, 45.0f);
    ASSERT_EQ(read.vertices.size(), object.vertices.size());
    for (std::size_t i = 0; i < read.vertices.size(); ++i) {
        EXPECT_FLOAT_EQ(read.vertices[i].x, object.vertices[i].x);
        EXPECT_FLOAT_EQ(read.vertices[i].y, object.vertices[i].y);
        EXPECT_FLOAT_EQ(read.vertices[i].z, object.vertices[i].z);
    }
    ASSERT_EQ(read.faces.size(), object.faces.size());
    for (std::size_t f = 0; f < read.faces.size(); ++f) {
        const DocumentFace& written = object.faces[f];
        EXPECT_EQ(read.faces[f].material, written.material);
        ASSERT_EQ(read.faces[f].indices.size(), written.indices.size());
        ASSERT_EQ(read.faces[f].uvs.size(), written.uvs.size());
        for (std::size_t k = 0; k < written.indices.size(); ++k) {
            EXPECT_EQ(read.faces[f].indices[k], written.indices[k]);
            EXPECT_FLOAT_EQ(read.faces[f].uvs[k].u, written.uvs[k].x);
            EXPECT_FLOAT_EQ(read.faces[f].uvs[k].v, written.uvs[k].y);
        }
    }
    ASSERT_EQ(model.animationNames.size(), 1u);
    EXPECT_EQ(model.animationNames[0], "wave");
    ASSERT_EQ(read.animations.size(), 1u);
    ASSERT_EQ(read.animations[0].size(), 2u);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_NEAR(read.animations[0][1].m[row][column], object.keys[1].m[row][column], 1e-6f);
        }
    }
}

TEST(AssetGenerator, RefusesFacesTheGameWouldNotDraw) {
    struct Case {
        const char* name;
        DocumentFace face;
    };
    const std::vector<Vec2> three(3);
    const Case cases[] = {
        {"no such material", {{0, 1, 2}, three, 1}},
        {"negative material", {{0, 1, 2}, three, -1}},
        {"two corners", {{0, 1}, {{}, {}}, 0}},
        {"five corners", {{0, 1, 2, 0, 1}, std::vector<Vec2>(5), 0}},
        {"missing texture coordinates", {{0, 1, 2}, {}, 0}},
    };
    for (const Case& c : cases) {
        DocumentObject object;
        object.vertices = {{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}};
        object.faces = {c.face};
        EXPECT_THROW(WriteDocument(OneObject(object)), std::logic_error) << c.name;
    }
}

TEST(AssetGenerator, EncodedImagesDecodeToThePaintedPixels) {
    Image image(5, 3); // odd width: BMP rows need padding
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            image.Set(x, y, {static_cast<float>(x) / 4.0f, static_cast<float>(y) / 2.0f, 0.5f});
        }
    }
    const std::vector<std::uint8_t> expected = image.ToRgb();
    for (const bool png : {false, true}) {
        const std::vector<std::uint8_t> file = png ? EncodePng(image) : EncodeBmp(image);
        if (!png) {
            ASSERT_GE(file.size(), 30u);
            EXPECT_EQ(file[28], 24) << "24 bits per pixel";
        }
        int width = 0;
        int height = 0;
        int channels = 0;
        stbi_uc* pixels = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width,
                                                &height, &channels, 3);
        ASSERT_NE(pixels, nullptr) << (png ? "PNG" : "BMP");
        EXPECT_EQ(width, image.width);
        EXPECT_EQ(height, image.height);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), pixels)) << (png ? "PNG" : "BMP");
        stbi_image_free(pixels);
    }
}

TEST(AssetGenerator, TerrainTexturesTileWithoutSeams) {
    // Across the wrap-around edge, neighbouring columns (or rows) differ no
    // more than neighbours inside the image do.
    auto difference = [](const Image& image, int a, int b, bool columns) {
        float sum = 0.0f;
        const int length = columns ? image.height : image.width;
        for (int i = 0; i < length; ++i) {
            const Colour p = columns ? image.At(a, i) : image.At(i, a);
            const Colour q = columns ? image.At(b, i) : image.At(i, b);
            sum += std::fabs(p.r - q.r) + std::fabs(p.g - q.g) + std::fabs(p.b - q.b);
        }
        return sum / static_cast<float>(length);
    };
    auto expectSeamless = [&](const Image& image, bool columns, const char* name) {
        const int size = columns ? image.width : image.height;
        float inside = 0.0f;
        for (int i = 0; i + 1 < size; ++i) {
            inside += difference(image, i, i + 1, columns);
        }
        inside /= static_cast<float>(size - 1);
        EXPECT_LT(difference(image, size - 1, 0, columns), 1.5f * inside) << name;
    };
    expectSeamless(PaintGrass(64), true, "grass across x");
    expectSeamless(PaintGrass(64), false, "grass across z");
    expectSeamless(PaintEarthSide(96, 48), true, "earth along the side");
}
