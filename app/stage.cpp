#include "app/stage.h"

#include <fstream>
#include <locale>

#include "app/scene_objects.h"
#include "model/model.h"
#include "platform/services/system_services.h"

bool LoadStage(std::string_view path) {
    std::ifstream file(NativePath(path), std::ios::in | std::ios::binary);
    if (!file.is_open()) {
        return false;
    }
    ReadStageHeights(file);
    return true;
}

void ReadStageHeights(std::istream& stage) {
    // Numbers are written with a decimal point whatever the user's locale.
    stage.imbue(std::locale::classic());
    float height = 1.0f;
    for (Model* tile : tileModels) {
        // Extraction stores 0 on failure, so read into a value of its own and
        // keep the last good one. Once failed, the stream stays failed.
        float value = 0.0f;
        if (stage >> value) {
            height = value;
        }
        if (tile != nullptr) {
            tile->scale = D3DXVECTOR3{1.0f, height, 1.0f};
        }
    }
}
