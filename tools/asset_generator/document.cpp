#include "document.h"

#include <stdexcept>
#include <utility>

namespace assetgen {

DocumentMaterial MakeMaterial(std::string name, Rgb colour, float diffuse, float ambient,
                              float specular, float power, std::string texture) {
    DocumentMaterial material;
    material.name = std::move(name);
    material.colour = colour;
    material.diffuse = diffuse;
    material.ambient = ambient;
    material.specular = specular;
    material.power = power;
    material.texture = std::move(texture);
    return material;
}

int MaterialIndex(const Document& document, const std::string& name) {
    for (std::size_t i = 0; i < document.materials.size(); ++i) {
        if (document.materials[i].name == name) {
            return static_cast<int>(i);
        }
    }
    throw std::logic_error("no material named " + name);
}

} // namespace assetgen
