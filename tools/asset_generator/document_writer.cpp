#include "document_writer.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace assetgen {

namespace {

constexpr const char* kLineEnd = "\r\n";

class DocumentText {
  public:
    void Line(const std::string& text, int depth = 0) {
        text_.append(static_cast<std::size_t>(depth), '\t');
        text_ += text;
        text_ += kLineEnd;
    }
    std::string Take() { return std::move(text_); }

  private:
    std::string text_;
};

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Numbers(std::initializer_list<float> values, int decimals) {
    std::string text;
    for (float value : values) {
        if (!text.empty()) {
            text += ' ';
        }
        text += FormatNumber(value, decimals);
    }
    return text;
}

// The modeller's own view settings; the game steps over this chunk.
void WriteScene(DocumentText& out) {
    out.Line("Scene {");
    out.Line("pos 0.0000 0.0000 1500.0000", 1);
    out.Line("lookat 0.0000 45.0000 0.0000", 1);
    out.Line("head -0.7854", 1);
    out.Line("pich 0.3403", 1);
    out.Line("ortho 0", 1);
    out.Line("zoom2 5.0000", 1);
    out.Line("amb 0.250 0.250 0.250", 1);
    out.Line("dirlights 1 {", 1);
    out.Line("light {", 2);
    out.Line("dir 0.667 0.333 0.667", 3);
    out.Line("color 0.800 0.800 0.800", 3);
    out.Line("}", 2);
    out.Line("}", 1);
    out.Line("}");
}

void WriteMaterials(DocumentText& out, const Document& document) {
    out.Line("Material " + std::to_string(document.materials.size()) + " {");
    for (const DocumentMaterial& material : document.materials) {
        std::string line = Quoted(material.name);
        line +=
            " col(" +
            Numbers({material.colour.r, material.colour.g, material.colour.b, material.alpha}, 3) +
            ")";
        line += " dif(" + FormatNumber(material.diffuse, 3) + ")";
        line += " amb(" + FormatNumber(material.ambient, 3) + ")";
        line += " emi(" + FormatNumber(material.emissive, 3) + ")";
        line += " spc(" + FormatNumber(material.specular, 3) + ")";
        line += " power(" + FormatNumber(material.power, 2) + ")";
        if (!material.texture.empty()) {
            line += " tex(" + Quoted(material.texture) + ")";
        }
        out.Line(line, 1);
    }
    out.Line("}");
}

std::string FaceLine(const DocumentFace& face, std::size_t materialCount) {
    if (face.indices.size() < 3 || face.indices.size() > 4 ||
        face.uvs.size() != face.indices.size() || face.material < 0 ||
        static_cast<std::size_t>(face.material) >= materialCount) {
        throw std::logic_error("a face needs 3 or 4 corners, one UV each and a material");
    }
    std::string line = std::to_string(face.indices.size()) + " V(";
    for (std::size_t i = 0; i < face.indices.size(); ++i) {
        line += (i == 0 ? "" : " ") + std::to_string(face.indices[i]);
    }
    line += ") M(" + std::to_string(face.material) + ") UV(";
    for (std::size_t i = 0; i < face.uvs.size(); ++i) {
        line += (i == 0 ? "" : " ") + Numbers({face.uvs[i].x, face.uvs[i].y}, 5);
    }
    return line + ")";
}

void WriteObject(DocumentText& out, const DocumentObject& object, const Document& document) {
    out.Line("Object " + Quoted(object.name) + " {");
    out.Line("facet " + FormatNumber(object.facet, 1), 1);
    out.Line("vertex " + std::to_string(object.vertices.size()) + " {", 1);
    for (const Vec3& v : object.vertices) {
        out.Line(Numbers({v.x, v.y, v.z}, 4), 2);
    }
    out.Line("}", 1);
    out.Line("face " + std::to_string(object.faces.size()) + " {", 1);
    for (const DocumentFace& face : object.faces) {
        out.Line(FaceLine(face, document.materials.size()), 2);
    }
    out.Line("}", 1);
    if (!object.keys.empty()) {
        out.Line("animation " + Quoted(document.animationName) + " {", 1);
        for (const Matrix& key : object.keys) {
            std::string line;
            for (const auto& row : key.m) {
                for (float value : row) {
                    line += (line.empty() ? "" : " ") + FormatNumber(value, 6);
                }
            }
            out.Line(line, 2);
        }
        out.Line("}", 1);
    }
    out.Line("}");
}

} // namespace

std::string FormatNumber(float value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(static_cast<double>(value) * scale) / scale;
    if (rounded == 0.0) {
        rounded = 0.0; // folds -0 into 0
    }
    char buffer[64] = {};
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, rounded);
    return buffer;
}

std::string WriteDocument(const Document& document) {
    DocumentText out;
    out.Line("Metasequoia Document");
    out.Line("Format Text Ver 1.0");
    out.Line("");
    WriteScene(out);
    WriteMaterials(out, document);
    for (const DocumentObject& object : document.objects) {
        WriteObject(out, object, document);
    }
    out.Line("Eof");
    return out.Take();
}

} // namespace assetgen
