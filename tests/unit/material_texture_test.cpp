#include <tuple>

#include <gtest/gtest.h>

#include "model/model.h"
#include "tests/support/image_files.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_files.h"

namespace {

// Textures are looked for in the TEXTURE folder beside the executable; each
// test writes its images into a folder of its own there, so every texture
// name carries a subdirectory part.
class MaterialTextureTest : public ::testing::Test {
  protected:
    MaterialTextureTest() : textures("TEXTURE") { materials.reserve(4); }

    ~MaterialTextureTest() override {
        for (Material& material : materials) {
            if (material.texture != nullptr) {
                material.texture->Release();
            }
        }
        EXPECT_EQ(device.LiveTextures(), 0);
        EXPECT_EQ(device.OverReleases(), 0);
    }

    // Writes an image and gives the texture name that finds it.
    std::string Image(const std::string& file, const TestImage& image) {
        textures.Write(file, EncodePng(image));
        return textures.NameFromParent(file);
    }

    Material& Add() { return materials.emplace_back(); }

    ScratchFolder textures;
    RecordingDevice device;
    std::vector<Material> materials;
};

TEST_F(MaterialTextureTest, LoadsTheNamedImageWithTheGamesSettings) {
    Material& material = Add();
    material.textureName = Image("checker.png", TestImage::Solid(3, 2, Rgba{0, 0, 0, 255}));
    material.LoadTexture(&device);

    ASSERT_NE(material.texture, nullptr);
    EXPECT_EQ(device.Described(DeviceOp::CreateTexture),
              std::vector<std::string>{"CreateTexture(4, 2, 3, 21)"});
    const auto& texture = *static_cast<RecordingTexture*>(material.texture);
    EXPECT_EQ(std::tuple(texture.pool, texture.usage), std::tuple(D3DPOOL_MANAGED, DWORD{0}));
    EXPECT_EQ(texture.Texel(2, 0, 0), 0xFF000000u);
}

TEST_F(MaterialTextureTest, NoTexNameOrAMissingImageLeavesNoTexture) {
    // The alpha plane and bump names are never loaded, even when the file exists.
    const std::string present = Image("present.png", TestImage::Solid(1, 1, Rgba{}));
    Add();
    Add().alphaPlaneName = present;
    Add().bumpName = present;
    Add().textureName = textures.NameFromParent("missing.png");
    for (Material& material : materials) {
        material.LoadTexture(&device);
        EXPECT_EQ(material.texture, nullptr);
    }
    EXPECT_TRUE(device.calls.empty());
}

TEST_F(MaterialTextureTest, EveryMaterialGetsATextureOfItsOwn) {
    const std::string name = Image("shared.png", TestImage::Solid(2, 2, Rgba{}));
    Add().textureName = name;
    Add().textureName = name;
    for (Material& material : materials) {
        material.LoadTexture(&device);
    }
    ASSERT_NE(materials[0].texture, nullptr);
    ASSERT_NE(materials[1].texture, nullptr);
    EXPECT_NE(materials[0].texture, materials[1].texture);
    EXPECT_EQ(device.textures.size(), 2u);
}

TEST_F(MaterialTextureTest, AModelLoadsItsMaterialsTexturesInOrder) {
    Model model;
    model.materials.resize(3);
    model.materials[0].textureName = Image("first.png", TestImage::Solid(4, 4, Rgba{}));
    model.materials[2].textureName = Image("third.png", TestImage::Solid(8, 2, Rgba{}));
    model.LoadTextures(&device);
    EXPECT_EQ(
        device.Described(DeviceOp::CreateTexture),
        (std::vector<std::string>{"CreateTexture(4, 4, 3, 21)", "CreateTexture(8, 2, 4, 21)"}));
    EXPECT_NE(model.materials[0].texture, nullptr);
    EXPECT_EQ(model.materials[1].texture, nullptr);
    EXPECT_NE(model.materials[2].texture, nullptr);
    // The model owns them and releases each once when destroyed.
}

} // namespace
