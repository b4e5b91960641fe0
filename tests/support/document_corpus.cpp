#include "tests/support/document_corpus.h"

#include <cstdint>
#include <random>

#include "tests/support/grid_document.h"

namespace {

const std::string kHeader = "Metasequoia Document\r\nFormat Text Ver 1.0\r\n";

// Random choices from std::mt19937_64, whose output the standard fixes, with
// no distribution class, whose results vary between libraries.
class Choices {
  public:
    explicit Choices(std::uint64_t seed) : generator_(seed) {}
    int Below(int bound) {
        return static_cast<int>(generator_() % static_cast<std::uint64_t>(bound));
    }
    bool OneIn(int chances) { return Below(chances) == 0; }
    template <typename T, std::size_t N> const T& Among(const T (&values)[N]) {
        return values[Below(static_cast<int>(N))];
    }

  private:
    std::mt19937_64 generator_;
};

// Smoothing angles at and around the limits the angle test meets.
const char* const kFacets[] = {"0",   "30",   "45",    "59.5",  "89.999", "90", "90.001",
                               "120", "180",  "179.9", "181",   "360",    "-1", "nan",
                               "inf", "1e30", "1e-3",  "0x1p6", "  7",    "abc"};

// Coordinates: small integers make coplanar and right-angled neighbours,
// the rest are numbers the conversions must treat alike.
const char* const kCoordinates[] = {"0",       "1",         "-1",        "2",          "0.5",
                                    "-0.5",    "1.000001",  "0.999999",  "1e-7",       "-0",
                                    "3",       "12.345678", "-3.141593", "100.000000", "1e38",
                                    "nan",     "inf",       "-inf",      "0x1.8p1",    "1e400",
                                    "7.5e-46", "x",         "2.5junk",   "+4",         ".25"};

// Words that steer the reader, for mutations and free lines.
const char* const kWords[] = {"{",        "}",           "(",        ")",      "[",    "]",
                              "\"",       "Object",      "Material", "vertex", "face", "animation",
                              "facet",    "mirror_axis", "V",        "M",      "UV",   "col",
                              "tex",      "dif",         "3",        "4",      "-1",   "99999999",
                              "\r\n",     "\n",          "\r",       "\t",     " ",    "\x81",
                              "\x81\x5B", "\x95\x5C",    "[12]",     "[-3]",   "Eof"};

std::string Coordinate(Choices& choices) {
    // Mostly small integers, so neighbours share planes and edges.
    return choices.Below(4) == 0 ? choices.Among(kCoordinates) : std::to_string(choices.Below(3));
}

// A material line with known attributes in any order, unknown ones, and
// sometimes a broken form.
std::string MaterialLine(Choices& choices, int index) {
    static const char* const kAttributes[] = {"col(0.1 0.2 0.3 0.4)",
                                              "dif(0.5)",
                                              "amb(0.25)",
                                              "emi(1)",
                                              "spc(0.75)",
                                              "power(5.00)",
                                              "shader(3)",
                                              "tex(\"wall map.bmp\")",
                                              "aplane(\"a.bmp\")",
                                              "bump(b.bmp)",
                                              "vcol(1)",
                                              "uid(7)",
                                              "dif(0.3",
                                              "col(1 2)",
                                              "reflect(0.5)",
                                              "dif",
                                              "tex(\"\x83\x5C\x95\x5C.png\")"};
    std::string line = "\t\"mat" + std::to_string(index) + "\"";
    for (int a = choices.Below(6); a > 0; --a) {
        line += ' ';
        line += choices.Among(kAttributes);
    }
    return line + "\r\n";
}

// A face line of 1 to 5 corners, sometimes broken in one of the ways the
// reader checks for.
std::string FaceLine(Choices& choices, int vertexCount, int materialCount) {
    const int corners = 1 + choices.Below(5);
    std::string line = "\t\t" + std::to_string(choices.OneIn(40) ? corners + 1 : corners) + " V(";
    for (int k = 0; k < corners; ++k) {
        const int index = choices.OneIn(30) ? vertexCount + choices.Below(3) - 1
                                            : choices.Below(vertexCount > 0 ? vertexCount : 1);
        line += (k > 0 ? " " : "") + std::to_string(choices.OneIn(60) ? -index - 1 : index);
    }
    line += ")";
    if (!choices.OneIn(5)) {
        line += " M(" + std::to_string(choices.Below(materialCount + 2) - 1) + ")";
    }
    if (!choices.OneIn(3)) {
        line += " UV(";
        const int pairs = choices.OneIn(20) ? corners - 1 : corners;
        for (int k = 0; k < 2 * pairs; ++k) {
            line += (k > 0 ? " " : "") + Coordinate(choices);
        }
        line += choices.OneIn(30) ? "" : ")";
    }
    if (choices.OneIn(10)) {
        line += " COL(4294967295 4294967295 4294967295)";
    }
    return line + "\r\n";
}

// Raw bytes of a binary block: every value, line ends and braces among them.
std::string BinaryBytes(Choices& choices, int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        bytes += static_cast<char>(choices.OneIn(8)   ? '\n'
                                   : choices.OneIn(8) ? '}'
                                                      : choices.Below(256));
    }
    return bytes;
}

// An object with the parts a modelling program writes and the ones the reader
// steps over.
std::string ObjectChunk(Choices& choices, int index, int materialCount) {
    static const char* const kNames[] = {
        "body", "\x83\x7B\x83\x66\x83\x42", "Collision", "", "a b", "\x95\x5C\x5C", "collision"};
    std::string text = "Object \"" + std::string(choices.Among(kNames)) + std::to_string(index) +
                       "\" {\r\n\tvisible 15\r\n";
    if (!choices.OneIn(4)) {
        text += "\tfacet " + std::string(choices.Among(kFacets)) + "\r\n";
    }
    text += "\tmirror_axis " + std::to_string(choices.Below(8)) + "\r\n";
    if (choices.OneIn(4)) {
        const int bytes = 12 * choices.Below(4);
        text += "\tBVertex 1 {\r\n\t\tVector " + std::to_string(bytes / 12) + " [" +
                std::to_string(bytes) + "]\r\n" + BinaryBytes(choices, bytes) + "\r\n\t}\r\n";
    }
    const int vertexCount = choices.Below(24);
    text += "\tvertex " + std::to_string(vertexCount) + " {\r\n";
    for (int v = 0; v < vertexCount; ++v) {
        // Drawn one by one, so every compiler makes the same document: the
        // line end first, then the coordinates from the last to the first.
        const bool unterminated = choices.OneIn(30);
        const std::string z = Coordinate(choices);
        const std::string y = Coordinate(choices);
        const std::string x = Coordinate(choices);
        text += "\t\t" + x + ' ' + y + ' ' + z + (unterminated ? "" : "\r\n");
        if (choices.OneIn(40)) {
            text += "\t\t1 2\r\n"; // too few numbers: ignored
        }
    }
    text += "\t}\r\n";
    const int faceCount = choices.Below(30);
    text += "\tface " + std::to_string(faceCount) + " {\r\n";
    for (int f = 0; f < faceCount; ++f) {
        text += FaceLine(choices, vertexCount, materialCount);
    }
    text += "\t}\r\n";
    for (int a = choices.Below(3); a > 0; --a) {
        text += "\tanimation \"move" + std::to_string(a) + "\" {\r\n";
        for (int k = choices.Below(4); k > 0; --k) {
            text += "\t\t";
            for (int i = 0, n = 14 + choices.Below(4); i < n; ++i) {
                text += Coordinate(choices) + ' ';
            }
            text += "\r\n";
        }
        text += "\t}\r\n";
    }
    return text + "}\r\n";
}

std::string GeneratedDocument(Choices& choices) {
    std::string text = kHeader;
    if (choices.OneIn(2)) {
        text += "Scene {\r\n\tpos 0 0 1500\r\n\tdirlights 1 {\r\n\t\tlight {\r\n\t\t\tdir 0 1 0\r\n"
                "\t\t}\r\n\t}\r\n}\r\n";
    }
    const int materialCount = choices.Below(4);
    text += "Material " + std::to_string(materialCount) + " {\r\n";
    for (int m = 0; m < materialCount; ++m) {
        text += MaterialLine(choices, m);
    }
    text += "}\r\n";
    for (int o = 1 + choices.Below(3); o > 0; --o) {
        text += ObjectChunk(choices, o, materialCount);
    }
    return text + (choices.OneIn(3) ? "" : "Eof\r\n");
}

// Changes a document in one of the ways damage or hand edits do.
void Mutate(Choices& choices, std::string& bytes) {
    if (bytes.empty()) {
        bytes = choices.Among(kWords);
        return;
    }
    const auto at = static_cast<std::size_t>(choices.Below(static_cast<int>(bytes.size())));
    switch (choices.Below(6)) {
    case 0:
        bytes[at] = static_cast<char>(choices.Below(256));
        break;
    case 1:
        bytes.erase(at, static_cast<std::size_t>(1 + choices.Below(40)));
        break;
    case 2:
        bytes.insert(at, choices.Among(kWords));
        break;
    case 3:
        bytes.insert(at, bytes.substr(at, static_cast<std::size_t>(1 + choices.Below(200))));
        break;
    case 4:
        bytes.resize(at);
        break;
    default:
        bytes.insert(at, std::string(" ") + choices.Among(kWords) + " ");
        break;
    }
}

// Documents written by hand for one edge each.
std::vector<CorpusDocument> HandWrittenDocuments() {
    const std::string piece(8190, 'a');
    const std::string longName(9000, '\x81'); // lead bytes all the way across a piece boundary
    const std::string cube =
        "Object \"cube\" {\r\n\tfacet 90\r\n\tvertex 8 {\r\n\t\t0 0 0\r\n\t\t1 0 0\r\n\t\t1 1 0\r\n"
        "\t\t0 1 0\r\n\t\t0 0 1\r\n\t\t1 0 1\r\n\t\t1 1 1\r\n\t\t0 1 1\r\n\t}\r\n\tface 6 {\r\n"
        "\t\t4 V(0 1 2 3) M(0)\r\n\t\t4 V(4 7 6 5) M(0)\r\n\t\t4 V(0 4 5 1) M(1)\r\n"
        "\t\t4 V(1 5 6 2) M(1)\r\n\t\t4 V(2 6 7 3) M(0)\r\n\t\t4 V(3 7 4 0) M(2)\r\n\t}\r\n}\r\n";
    const std::string materials = "Material 2 {\r\n\t\"a\" col(1 0 0 1)\r\n\t\"b\"\r\n}\r\n";
    return {
        {"empty", ""},
        {"header only", kHeader},
        {"no header", "Metasequoia\r\n"},
        {"header in other case", "metasequoia document\nformat text ver 1\n"},
        {"version 1.1", "Metasequoia Document\nFormat Text Ver 1.1\n"},
        {"object without brace", kHeader + "Object \"a\"\r\n"},
        {"material without brace", kHeader + "Material 1\r\n"},
        {"ends in object", kHeader + materials + "Object \"a\" {\r\n\tvertex 1 {\r\n\t\t1 2 3\r\n"},
        {"ends in material", kHeader + "Material 2 {\r\n\t\"a\" col(1 1 1 1)\r\n"},
        {"face line without V", kHeader + "Object {\r\n\tface 1 {\r\n\t\t3 W(0 1 2)\r\n"},
        {"face line too short", kHeader + "Object {\r\n\tface 1 {\r\n\t\t3 V(0 1 2\r\n"},
        {"cube at 90 degrees", kHeader + materials + cube},
        {"cube at 180 degrees",
         kHeader + materials + std::string(cube).replace(cube.find("90"), 2, "180")},
        {"opposite faces at 180",
         kHeader + materials +
             "Object \"o\" {\r\n\tfacet 180\r\n\tvertex 3 {\r\n\t\t0 0 0\r\n\t\t1 0 0\r\n"
             "\t\t0 0 1\r\n\t}\r\n\tface 2 {\r\n\t\t3 V(0 1 2) M(0)\r\n\t\t3 V(0 2 1) M(1)\r\n"
             "\t\t2 V(0 1) M(0)\r\n\t\t1 V(2) M(0)\r\n\t\t5 V(0 1 2 0 1) M(1) UV(1 2 3 4 5 6 7 8 9 "
             "10)\r\n"
             "\t}\r\n}\r\n"},
        {"nearly coplanar neighbours",
         kHeader + materials +
             "Object \"flat\" {\r\n\tfacet 0.001\r\n\tvertex 5 {\r\n\t\t0 0 0\r\n\t\t1 0.0000001 "
             "0\r\n"
             "\t\t1 0 1\r\n\t\t0 0 1\r\n\t\t0.3333333 0.0000003 0.7777777\r\n\t}\r\n\tface 3 {\r\n"
             "\t\t3 V(0 1 2) M(0)\r\n\t\t3 V(0 2 3) M(0)\r\n\t\t3 V(0 2 4) M(1)\r\n\t}\r\n}\r\n"},
        {"binary block whole", kHeader +
                                   "Object \"b\" {\r\n\tBVertex 1 {\r\n\t\tVector 2 [24]\r\n" +
                                   std::string("}\n{\0\r\n[12]}}}}\n\n\n}\r\n\t\t\0x", 24) +
                                   "\r\n\t}\r\n\tvertex 1 {\r\n\t\t1 2 3\r\n\t}\r\n}\r\n"},
        {"binary block cut short",
         kHeader + "Object \"b\" {\r\n\tBVertex 1 {\r\n\t\tVector 8 [96]\r\n}}}}"},
        {"binary block negative", kHeader + "Chunk {\r\n\tdata [-5]\r\n}\r\n"},
        {"binary block not a number", kHeader + "Chunk {\r\n\tdata [x]\r\n}\r\n"},
        {"binary block at top level", kHeader + "data [4]\r\n}}}}Object {\r\n}\r\n"},
        {"binary block huge", kHeader + "data [2147483647]\r\nxyz"},
        {"long line of one token", kHeader + "Object \"" + piece + piece + "\" {\r\n}\r\n"},
        {"long vertex line", kHeader + "Object {\r\n\tvertex 2 {\r\n\t\t" + std::string(8185, ' ') +
                                 "1.5 2.5 3.5\r\n\t\t4 5 6\r\n\t}\r\n}\r\n"},
        {"long line of lead bytes", kHeader + "Object \"" + longName + "\" {\r\n}\r\n"},
        {"piece ends at a lead byte",
         kHeader + std::string(8189, ' ') + "\x81[\r\nObject {\r\n}\r\n"},
        {"double-byte names",
         kHeader +
             "Material 1 {\r\n\t\"\x83\x7B\x83\x66\x83\x42\x81\x5B\" tex(\"\x95\x5C.bmp\")\r\n}\r\n"
             "Object \"\x8A\x5B\x81\x5D\x81\x7B\" {\r\n\tanimation \"\x95\x5C\x81\x5D\" {\r\n"
             "\t\t1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\r\n\t}\r\n}\r\nObject \"x\x81\" {\r\n}\r\n"},
        {"line ends of every kind", "Metasequoia Document\rFormat Text Ver 1.0\r\nObject "
                                    "{\n\tvertex 1 {\r\t\t1 2 3\n\t}\n}\n"},
        {"NUL inside lines",
         kHeader + std::string("Object \"a\0b\" {\r\n\tfacet 1\0 90\r\n}\r\n", 30)},
        {"quotes",
         kHeader + "Object \"two words\" \"\" bare {\r\nObject ab\"cd\"ef {\r\n}\r\n}\r\n"},
    };
}

} // namespace

std::vector<CorpusDocument> DocumentCorpus(const std::vector<CorpusDocument>& seeds) {
    std::vector<CorpusDocument> corpus = HandWrittenDocuments();
    corpus.push_back({"grid 12", GridDocument(12)});
    corpus.push_back({"grid 40", GridDocument(40)});
    Choices choices(20261209);
    std::vector<CorpusDocument> originals = seeds;
    originals.push_back({"grid 5", GridDocument(5)});
    for (int i = 0; i < 60; ++i) {
        CorpusDocument generated{"generated " + std::to_string(i), GeneratedDocument(choices)};
        if (i < 20) {
            originals.push_back(generated);
        }
        corpus.push_back(std::move(generated));
    }
    for (const CorpusDocument& original : originals) {
        for (int variant = 0; variant < 3; ++variant) {
            CorpusDocument mutated{original.name + " mutated " + std::to_string(variant),
                                   original.bytes};
            for (int edits = 1 + choices.Below(4); edits > 0; --edits) {
                Mutate(choices, mutated.bytes);
            }
            corpus.push_back(std::move(mutated));
        }
    }
    for (const CorpusDocument& seed : seeds) {
        corpus.push_back(seed);
    }
    return corpus;
}
