#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "model/model.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/image_files.h"
#include "tests/support/load_document.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_files.h"

namespace {

std::string Quad(const std::string& name, int material) {
    return "Object \"" + name +
           "\" {\n\tfacet 59.5\n\tvertex 4 {\n\t\t0 0 0\n\t\t1 0 0\n"
           "\t\t1 0 1\n\t\t0 0 1\n\t}\n\tface 1 {\n\t\t4 V(0 1 2 3) M(" +
           std::to_string(material) + ") UV(0 0 1 0 1 1 0 1)\n\t}\n}\n";
}

int OpenFileCount() {
    const std::filesystem::directory_iterator files("/proc/self/fd");
    return static_cast<int>(std::distance(begin(files), end(files)));
}

// Documents are written beside the test executable, as the game's lie
// beside the game; their textures go to the TEXTURE folder there.
class ModelLoadingTest : public ::testing::Test {
  protected:
    ModelLoadingTest() : textures("TEXTURE") {
        textures.Write("wall.png", EncodePng(TestImage::Solid(2, 2, Rgba{10, 20, 30, 255})));
    }

    // Each test's model is gone by now, and with it every device object.
    ~ModelLoadingTest() override {
        EXPECT_EQ(device.LiveVertexBuffers() + device.LiveTextures(), 0);
        EXPECT_EQ(device.OverReleases(), 0);
    }

    // Writes a document and gives its name relative to the executable.
    std::string Document(const std::string& file, const std::string& text) {
        documents.Write(file, text);
        return documents.NameFromExecutable(file);
    }

    // A two-material document: a textured quad, a "Collision" quad, then more.
    std::string Scene(const std::string& rest = {}) {
        return kDocumentHeader +
               "Scene {\n\tpos 0 0 1500\n}\nMaterial 2 {\n\t\"wall\" col(1 1 1 1) tex(\"" +
               textures.NameFromParent("wall.png") + "\")\n\t\"plain\" col(1 0 0 1)\n}\n" +
               Quad("body", 0) + Quad("Collision", 1) + rest;
    }

    ScratchFolder documents;
    ScratchFolder textures;
    RecordingDevice device;
};

TEST_F(ModelLoadingTest, ALoadedModelIsReadyToDraw) {
    Model model;
    ASSERT_TRUE(model.LoadFromFile(Document("scene.mqo", Scene("Eof\n")), &device));
    EXPECT_EQ(model.loadOutcome.status, ModelLoadStatus::kLoaded);

    ASSERT_EQ(model.objects.size(), 2u);
    ASSERT_EQ(model.materials.size(), 2u);
    EXPECT_EQ(model.collisionObject, 1);
    EXPECT_NE(model.materials[0].texture, nullptr);
    EXPECT_EQ(model.materials[1].texture, nullptr);
    // The collision object is built like any other.
    for (const ModelObject& object : model.objects) {
        EXPECT_NE(object.vertexBuffer, nullptr);
        ASSERT_EQ(object.faces.size(), 1u);
        EXPECT_EQ(object.faces[0].corners.size(), 4u);
    }
    EXPECT_EQ(model.objects[0].materialTriangleCounts, (std::vector<int>{2, 0}));
    EXPECT_EQ(model.objects[1].materialTriangleCounts, (std::vector<int>{0, 2}));
    // Textures are loaded before the meshes are built.
    EXPECT_EQ(device.Described(),
              (std::vector<std::string>{"CreateTexture(2, 2, 2, 21)",
                                        "CreateVertexBuffer(192, 0, 0x112, 1)",
                                        "CreateVertexBuffer(192, 0, 0x112, 1)"}));
}

TEST_F(ModelLoadingTest, NothingReadMeansNothingMade) {
    Model missing;
    Model rejected;
    missing.collisionObject = rejected.collisionObject = 7;
    EXPECT_FALSE(missing.LoadFromFile(documents.NameFromExecutable("absent.mqo"), &device));
    EXPECT_EQ(missing.collisionObject, 7); // the model is left as it was
    const std::string bad = Document("bad.mqo", "Metasequoia\n" + Quad("a", 0));
    EXPECT_FALSE(rejected.LoadFromFile(bad, &device));
    EXPECT_EQ(rejected.collisionObject, -1); // the lookup still runs
    // Each load keeps what stopped it, for the message to the player.
    EXPECT_EQ(missing.loadOutcome.status, ModelLoadStatus::kFileMissing);
    EXPECT_EQ(rejected.loadOutcome.status, ModelLoadStatus::kReaderError);
    EXPECT_EQ(rejected.loadOutcome.readerResult, kLoadBadHeader);
    for (const Model* model : {&missing, &rejected}) {
        EXPECT_TRUE(model->objects.empty());
        EXPECT_TRUE(model->materials.empty());
    }
    EXPECT_TRUE(device.calls.empty());
}

TEST_F(ModelLoadingTest, AReaderErrorStillCompletesWhatWasRead) {
    Model model;
    // The document ends inside its third object.
    EXPECT_FALSE(model.LoadFromFile(
        Document("cut.mqo", Scene("Object \"tail\" {\n\tvertex 3 {\n\t\t0 0 0\n")), &device));
    ASSERT_EQ(model.objects.size(), 3u);
    EXPECT_EQ(model.collisionObject, 1);
    EXPECT_NE(model.materials[0].texture, nullptr);
    EXPECT_NE(model.objects[0].vertexBuffer, nullptr);
    EXPECT_EQ(model.objects[2].vertexBuffer, nullptr); // no faces: nothing to draw
    EXPECT_EQ(model.objects[2].materialTriangleCounts, (std::vector<int>{0, 0}));
}

TEST_F(ModelLoadingTest, NamesResolveAgainstTheExecutableWithoutALengthLimit) {
    const std::string deep = std::string(200, 'd') + "/" + std::string(200, 'e') + "/deep.mqo";
    const std::string name = Document(deep, Scene());
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path("/");
    Model model;
    const bool loaded = model.LoadFromFile(name, &device);
    std::filesystem::current_path(previous);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(model.objects.size(), 2u);
    EXPECT_NE(model.materials[0].texture, nullptr);
}

TEST(FindCollisionObjectTest, MatchesTheWholeNameInAnyLetterCase) {
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"body", "collision"}, 1},
        {{"COLLISION", "collision"}, 0},
        {{"a", "CoLLiSiOn"}, 1},
        {{"collision ", "collisions", "xcollision", "collisio", ""}, -1},
        {{}, -1},
    };
    for (const auto& [names, expected] : cases) {
        Model model;
        for (const std::string& name : names) {
            model.objects.emplace_back().name = name;
        }
        model.collisionObject = 5;
        model.FindCollisionObject();
        EXPECT_EQ(model.collisionObject, expected) << testing::PrintToString(names);
    }
}

TEST_F(ModelLoadingTest, RebuildingReleasesTheOldBufferFirst) {
    Model model;
    ASSERT_TRUE(model.LoadFromFile(Document("scene.mqo", Scene()), &device));
    model.BuildMeshes(&device);
    ASSERT_EQ(device.vertexBuffers.size(), 4u);
    EXPECT_EQ(device.vertexBuffers[0]->count.releasesToZero, 1);
    EXPECT_EQ(device.vertexBuffers[1]->count.releasesToZero, 1);
    EXPECT_EQ(device.LiveVertexBuffers(), 2);
    EXPECT_EQ(model.objects[0].vertexBuffer, device.vertexBuffers[2].get());
    EXPECT_EQ(model.objects[0].faces[0].corners.size(), 4u);
}

TEST_F(ModelLoadingTest, RunningOutOfMemoryClosesTheFileAndFails) {
    if (!AllocationCountingActive()) {
        GTEST_SKIP() << "allocation failure cannot be injected in this build";
    }
    const std::string name = Document("scene.mqo", Scene());
    const int openFiles = OpenFileCount();
    int failures = 0;
    for (std::size_t allowed = 0;; ++allowed) {
        RecordingDevice failing;
        bool loaded = false;
        {
            auto failed = std::make_unique<Model>();
            std::string argument = name; // the caller's copy, made before the failure
            {
                AllocationFailure failure(allowed);
                loaded = failed->LoadFromFile(std::move(argument), &failing);
            }
            EXPECT_EQ(OpenFileCount(), openFiles) << "after " << allowed << " allocations";
            if (!loaded) {
                EXPECT_EQ(failed->loadOutcome.status, ModelLoadStatus::kOutOfMemory);
            }
        }
        // Whatever the model made before the failure, it released.
        EXPECT_EQ(failing.LiveVertexBuffers(), 0);
        EXPECT_EQ(failing.LiveTextures(), 0);
        EXPECT_EQ(failing.OverReleases(), 0);
        if (loaded) {
            break;
        }
        ASSERT_LT(++failures, 10000);
    }
    EXPECT_GT(failures, 20);
}

} // namespace
