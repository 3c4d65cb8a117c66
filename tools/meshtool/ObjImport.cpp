#include "Geometry.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

namespace {

// An OBJ index: 1-based, or negative counting back from the latest element; 0 means absent.
bool resolve(long raw, size_t count, bool required, long& out) {
    if (raw == 0) {
        out = -1;
        return !required;
    }
    long idx = raw > 0 ? raw - 1 : long(count) + raw;
    if (idx < 0 || size_t(idx) >= count)
        return false;
    out = idx;
    return true;
}

bool parseCorner(const std::string& text, long corner[3]) {
    corner[0] = corner[1] = corner[2] = 0;
    const char* p = text.c_str();
    for (int k = 0; k < 3; ++k) {
        if (*p && *p != '/') {
            char* end;
            corner[k] = std::strtol(p, &end, 10);
            if (end == p)
                return false;
            p = end;
        }
        if (*p == '/')
            ++p;
        else
            break;
    }
    return *p == 0;
}

} // namespace

bool importObj(const std::string& path, Geometry& g, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<Vec3> v, vn;
    std::vector<Vec2> vt;
    std::map<std::tuple<long, long, long>, uint32_t> corners;
    bool anyNormals = false;
    std::string line;
    int lineNumber = 0;
    g.startGroup();
    auto fail = [&](const std::string& why) {
        error = path + ":" + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    while (std::getline(file, line)) {
        ++lineNumber;
        std::istringstream in(line);
        std::string word;
        if (!(in >> word) || word[0] == '#')
            continue;
        if (word == "v" || word == "vn") {
            Vec3 p;
            if (!(in >> p.x >> p.y >> p.z))
                return fail("expected three numbers");
            (word == "v" ? v : vn).push_back(p);
        } else if (word == "vt") {
            Vec2 t;
            if (!(in >> t.x >> t.y))
                return fail("expected two numbers");
            vt.push_back(t);
        } else if (word == "usemtl" || word == "g" || word == "o") {
            g.startGroup();
        } else if (word == "f") {
            std::vector<uint32_t> face;
            std::string text;
            while (in >> text) {
                long raw[3], idx[3];
                if (!parseCorner(text, raw))
                    return fail("malformed face corner '" + text + "'");
                if (!resolve(raw[0], v.size(), true, idx[0]) || !resolve(raw[1], vt.size(), false, idx[1]) ||
                    !resolve(raw[2], vn.size(), false, idx[2]))
                    return fail("face corner '" + text + "' refers to a missing element");
                auto key = std::make_tuple(idx[0], idx[1], idx[2]);
                auto found = corners.find(key);
                if (found == corners.end()) {
                    found = corners.emplace(key, uint32_t(g.positions.size())).first;
                    g.positions.push_back(v[size_t(idx[0])]);
                    g.texCoords.push_back(idx[1] >= 0 ? vt[size_t(idx[1])] : Vec2());
                    g.normals.push_back(idx[2] >= 0 ? vn[size_t(idx[2])] : Vec3());
                    anyNormals |= idx[2] >= 0;
                }
                face.push_back(found->second);
            }
            if (face.size() < 3)
                return fail("a face needs at least three corners");
            for (size_t k = 1; k + 1 < face.size(); ++k)
                g.indices.insert(g.indices.end(), {face[0], face[k], face[k + 1]});
        }
    }
    if (!anyNormals)
        g.normals.clear();
    if (g.indices.empty()) {
        error = path + ": no faces";
        return false;
    }
    return true;
}
