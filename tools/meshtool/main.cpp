// meshtool: writes meshes in the engine's mesh format from Wavefront OBJ files or built-in shapes.
#include "Geometry.h"
#include "Models.h"

#include "assets/MeshWriter.h"
#include "core/Version.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* usage =
    "usage: meshtool [options] SOURCE OUTPUT\n"
    "\n"
    "Writes a mesh file (.rmsh, or gzip-compressed .rmzh) from SOURCE:\n"
    "  obj:FILE.obj      Wavefront OBJ: positions, normals, texture coordinates; one index bin per\n"
    "                    usemtl/g/o statement; polygons are split into triangles\n"
    "  box               a box of --size X,Y,Z (default 1,1,1), 24 vertices\n"
    "  sphere            a UV sphere of --radius R with --segments and --rings\n"
    "  cylinder          a capped cylinder of --radius R, --height H and --segments\n"
    "  plane[:MAP.png]   a --size S square grid of --segments cells per side in XZ, displaced in Y\n"
    "                    by the grey level of MAP (first channel) times --height\n"
    "  bird              a low-poly swallow skinned to bones body, wing.L, wing.R (needs the skin flag)\n"
    "\n"
    "Procedural models (y up, base on y = 0, metres; index bins in the order given):\n"
    "  windmill          tower mill: 0 walls, 1 cap, 2 woodwork, 3 window glass; the sails'\n"
    "                    axis is parallel to +Z through the hub (0, 12.5, 3.2)\n"
    "  sails             four sail arms in XY about the origin, radius 10: 0 wood, 1 cloth\n"
    "  farmhouse         10 x 7 m, ridge along X: 0 walls, 1 roof, 2 wood, 3 chimney (top centre\n"
    "                    (3, 9.5, 0)), 4 window glass\n"
    "  fence             one 4 m section along +X, post at x = 0: 0 wood\n"
    "  tree              broadleaf tree by --seed: 0 bark, 1 canopy of leaf cards (u, v over the\n"
    "                    leaf picture, one face each)\n"
    "  rock              boulder by --seed: 0 stone\n"
    "  grass             clump of blades (v = height in metres): 0 blades\n"
    "  flower            0 stem and leaves, 1 petals (0..1 per petal), 2 heart\n"
    "  meadow            --count plants (default 190) on a --size square (default 16): bins as flower,\n"
    "                    grass in 0\n"
    "\n"
    "options:\n"
    "  --flags LIST      vertex attributes: comma-separated position,normal,tangent,texcoord,color,\n"
    "                    skin, or a number (default position,normal,texcoord); tangents are computed\n"
    "  --bones N         bones of the generated skin (with the skin flag; default 2)\n"
    "  --index-size 2|4  index size (default 2 when every index fits in 16 bits)\n"
    "  --version V       0x0102 (default, with per-bin bounds) or 0x0101 (--version alone prints\n"
    "                    the program's version and commit)\n"
    "  --gzip            compress (implied by an OUTPUT containing .rmzh)\n"
    "  --size, --radius, --height, --segments, --rings   shape parameters\n"
    "  --seed N          variant of a procedural model (default 1)\n"
    "  --count N         plants of the meadow\n"
    "  --help            this text\n";

int fail(const std::string& message) {
    std::fprintf(stderr, "meshtool: %s\n", message.c_str());
    return 1;
}

bool parseFlags(const std::string& text, uint32_t& flags) {
    char* end;
    unsigned long number = std::strtoul(text.c_str(), &end, 0);
    if (!text.empty() && *end == 0) {
        flags = uint32_t(number);
        return number <= 0x3f;
    }
    static const struct {
        const char* name;
        uint32_t flag;
    } names[] = {{"position", MeshPosition}, {"normal", MeshNormal}, {"tangent", MeshTangent},
                 {"texcoord", MeshTexCoord}, {"color", MeshColor},   {"skin", MeshSkin}};
    flags = 0;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t comma = text.find(',', begin);
        std::string word = text.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin);
        bool known = false;
        for (const auto& n : names)
            if (word == n.name) {
                flags |= n.flag;
                known = true;
            }
        if (!known)
            return false;
        if (comma == std::string::npos)
            break;
        begin = comma + 1;
    }
    return true;
}

bool parseFloat(const char* text, float& out) {
    char* end;
    out = std::strtof(text, &end);
    return *text && *end == 0;
}

bool parseInt(const char* text, int lo, int hi, int& out) {
    char* end;
    long v = std::strtol(text, &end, 0);
    out = int(v);
    return *text && *end == 0 && v >= lo && v <= hi;
}

} // namespace

int main(int argc, char** argv) {
    if (versionRequested(argc, argv))
        return printVersion("meshtool");
    PackOptions pack;
    bool gzip = false;
    Vec3 size = {1, 1, 1};
    float radius = 0.5f, height = 1.0f;
    int segments = -1, rings = 16;
    ModelOptions model;
    std::string positional[2];
    int positionals = 0;

    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needValue = [&]() {
            if (!value)
                return false;
            ++i;
            return true;
        };
        if (a == "--help" || a == "-h") {
            std::fputs(usage, stdout);
            return 0;
        } else if (a == "--gzip") {
            gzip = true;
        } else if (a == "--flags") {
            if (!needValue() || !parseFlags(value, pack.flags))
                return fail("--flags expects attribute names or a number up to 0x3f");
        } else if (a == "--bones") {
            if (!needValue() || !parseInt(value, 1, 100000, pack.bones))
                return fail("--bones expects a positive count");
        } else if (a == "--index-size") {
            if (!needValue() || !parseInt(value, 2, 4, pack.indexSize) || pack.indexSize == 3)
                return fail("--index-size expects 2 or 4");
        } else if (a == "--version") {
            int v = 0;
            if (!needValue() || !parseInt(value, 0x0101, 0x0102, v))
                return fail("--version expects 0x0101 or 0x0102");
            pack.version = uint16_t(v);
        } else if (a == "--size") {
            if (!needValue())
                return fail("--size expects X[,Y,Z]");
            int n = std::sscanf(value, "%f,%f,%f", &size.x, &size.y, &size.z);
            if (n == 1)
                size.y = size.z = size.x;
            else if (n != 3)
                return fail("--size expects X or X,Y,Z");
            model.size = size.x;
        } else if (a == "--radius" || a == "--height") {
            if (!needValue() || !parseFloat(value, a == "--radius" ? radius : height))
                return fail(a + " expects a number");
        } else if (a == "--segments" || a == "--rings") {
            if (!needValue() || !parseInt(value, 1, 4096, a == "--segments" ? segments : rings))
                return fail(a + " expects a count from 1 to 4096");
        } else if (a == "--seed") {
            int seed = 0;
            if (!needValue() || !parseInt(value, 0, 0x7fffffff, seed))
                return fail("--seed expects a number from 0");
            model.seed = uint32_t(seed);
        } else if (a == "--count") {
            if (!needValue() || !parseInt(value, 1, 100000, model.count))
                return fail("--count expects a count from 1 to 100000");
        } else if (!a.empty() && a[0] == '-') {
            return fail("unknown option " + a + " (see --help)");
        } else if (positionals < 2) {
            positional[positionals++] = a;
        } else {
            return fail("too many arguments (see --help)");
        }
    }
    if (positionals != 2)
        return fail("expected SOURCE and OUTPUT (see --help)");

    const std::string& source = positional[0];
    Geometry geometry;
    std::string error;
    bool built = true;
    if (source.rfind("obj:", 0) == 0) {
        built = importObj(source.substr(4), geometry, error);
    } else if (source == "box") {
        makeBox(geometry, size);
    } else if (source == "sphere") {
        makeSphere(geometry, radius, segments < 3 ? 32 : segments, rings < 2 ? 2 : rings);
    } else if (source == "cylinder") {
        makeCylinder(geometry, radius, height, segments < 3 ? 32 : segments);
    } else if (source == "plane" || source.rfind("plane:", 0) == 0) {
        std::string map = source.size() > 6 ? source.substr(6) : std::string();
        built = makePlane(geometry, size.x, segments < 1 ? 16 : segments, map, height, error);
    } else if (isModelSource(source)) {
        built = buildModel(source, model, geometry, error);
    } else if (source == "bird") {
        makeBird(geometry);
    } else {
        return fail("unknown source " + source + " (see --help)");
    }
    if (!built)
        return fail(error);

    MeshData mesh;
    if (!packGeometry(geometry, pack, mesh, error))
        return fail(error);
    if (!MeshWriter::writeFile(positional[1], mesh, gzip))
        return 1;
    return 0;
}
