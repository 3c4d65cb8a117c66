#include "Models.h"

#include "ModelKit.h"
#include "core/Contract.h"

#include <algorithm>

namespace {

struct ModelEntry {
    const char* name;
    int bins;
    void (*build)(std::vector<Geometry>&, const ModelOptions&);
};

const ModelEntry models[] = {
    {"windmill", WindmillBinCount, buildWindmill},
    {"sails", SailsBinCount, buildSails},
    {"farmhouse", FarmhouseBinCount, buildFarmhouse},
    {"fence", 1, buildFence},
    {"tree", TreeBinCount, buildTree},
    {"rock", 1, buildRock},
    {"grass", 1, buildGrass},
    {"flower", FlowerBinCount, buildFlower},
    {"meadow", FlowerBinCount, buildMeadow},
};

const ModelEntry* find(const std::string& name) {
    for (const ModelEntry& m : models)
        if (name == m.name)
            return &m;
    return nullptr;
}

} // namespace

bool isModelSource(const std::string& name) {
    return find(name) != nullptr;
}

bool buildModel(const std::string& name, const ModelOptions& o, Geometry& g, std::string& error) {
    const ModelEntry* entry = find(name);
    if (!entry) {
        error = "unknown model " + name;
        return false;
    }
    if (o.size < 0 || o.size > 1000 || o.count < 0 || o.count > 100000) {
        error = name + ": --size expects up to 1000 m and --count up to 100000";
        return false;
    }
    std::vector<Geometry> bins(size_t(entry->bins));
    entry->build(bins, o);
    // An empty bin would vanish and shift the materials of every bin after it.
    VORNDLE_EXPECTS(
        std::none_of(bins.begin(), bins.end(), [](const Geometry& b) { return b.indices.empty(); }),
        "every model fills each of its bins");
    modelkit::mergeBins(bins, g);
    return true;
}
