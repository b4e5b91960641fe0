// Loading a model document: resolve the name against the executable's
// directory, read it, then find the collision object, load the textures and
// build the meshes.
#include <cstdio>
#include <exception>
#include <memory>
#include <utility>

#include "model/ascii_text.h"
#include "model/loader_mqa.h"
#include "model/model.h"
#include "model/module_directory.h"
#include "platform/sdk/com_release.h"
#include "platform/services/file_handle.h"
#include "render/mesh_builder.h"

bool Model::LoadFromFile(std::string relativeName, IDirect3DDevice9* device) {
    try {
        const std::string path = std::string(GetModuleDirectory()) + relativeName;
        FileHandle file = OpenFileForReading(path);
        if (file == nullptr) {
            loadOutcome = {ModelLoadStatus::kFileMissing, kLoadOk};
            return false;
        }
        return LoadFromOpenFile(std::move(file), device);
    } catch (const std::exception&) {
        loadOutcome = {ModelLoadStatus::kOutOfMemory, kLoadOk};
        return false;
    }
}

bool Model::LoadFromOpenFile(FileHandle file, IDirect3DDevice9* device) {
    // Running out of memory (or a list asked to grow beyond its limit) while
    // reading or preparing the model ends the load as a failure. The file is
    // closed by its owner on the way out; what the model already holds stays
    // with it and is released by its destructor.
    try {
        int result = kLoadOk;
        {
            // The reader goes before the file is closed.
            const std::unique_ptr<LoaderMQA> loader = std::make_unique<LoaderMQA>(file.get(), this);
            result = loader->Load();
        }
        file.reset();
        // Whatever the reader returned, the model is completed from what it holds.
        FindCollisionObject();
        LoadTextures(device);
        BuildMeshes(device);
        loadOutcome = result == kLoadOk ? ModelLoadOutcome{ModelLoadStatus::kLoaded, kLoadOk}
                                        : ModelLoadOutcome{ModelLoadStatus::kReaderError, result};
        return result == kLoadOk;
    } catch (const std::exception&) {
        loadOutcome = {ModelLoadStatus::kOutOfMemory, kLoadOk};
        return false;
    }
}

void Model::FindCollisionObject() {
    collisionObject = -1;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (EqualsIgnoringAsciiCase(objects[i].name, "collision")) {
            collisionObject = static_cast<int>(i);
            return;
        }
    }
}

void Model::LoadTextures(IDirect3DDevice9* device) {
    for (Material& material : materials) {
        material.LoadTexture(device);
    }
}

void Model::BuildMeshes(IDirect3DDevice9* device) {
    for (ModelObject& object : objects) {
        ReleaseAndClear(object.vertexBuffer);
        BuildMesh(object, device, materials);
    }
}
