// A material's texture, loaded from the TEXTURE directory beside the executable.
#include <string>

#include "model/model.h"
#include "model/module_directory.h"
#include "platform/d3dx/d3dx_texture.h"

void Material::LoadTexture(IDirect3DDevice9* device) {
    if (textureName.empty()) {
        return;
    }
    // Expects no texture yet: a copy of the model borrows the owner's, so it
    // must never be released here.
    const std::string path = std::string(GetModuleDirectory()) + "TEXTURE\\" + textureName;
    // A failed load leaves texture null; the material is then drawn without one.
    D3DXCreateTextureFromFileExA(device, path.c_str(), 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                 D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, 0, nullptr, nullptr,
                                 &texture);
}
