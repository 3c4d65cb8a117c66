#pragma once

#include "Geometry.h"
#include "math/Vec3.h"

#include <string>
#include <vector>

// The film's procedural models. Every model stands with y up on the ground plane y = 0, in
// metres; walls and trunks reach below 0 so that a sloping ground shows no gap. Each model's
// index bins come in the fixed order of its enum below, since scenes give each bin its own
// material.
struct ModelOptions {
    uint32_t seed = 1; // variant of the seeded models (tree, rock, grass, flower, meadow, fence)
    float size = 0;    // meadow: side of the square patch; 0 for the default 16 m
    int count = 0;     // meadow: plants; 0 for the default
};

// The sails turn about an axis parallel to +Z through this point of the windmill's space: the
// front end of its windshaft, where the sails' origin belongs.
constexpr Vec3 windmillHub{0, 12.5f, 3.2f};
// The centre of the top of the farmhouse's chimney, where its smoke starts.
constexpr Vec3 farmhouseChimneyTop{3, 9.5f, 0};

enum WindmillBin { WindmillWalls, WindmillCap, WindmillWood, WindmillGlass, WindmillBinCount };
enum SailsBin { SailsWood, SailsCloth, SailsBinCount };
enum FarmhouseBin {
    FarmhouseWalls,
    FarmhouseRoof,
    FarmhouseWood,
    FarmhouseChimney,
    FarmhouseGlass,
    FarmhouseBinCount
};
enum TreeBin { TreeBark, TreeCanopy, TreeBinCount };
enum FlowerBin { FlowerGreen, FlowerPetals, FlowerHeart, FlowerBinCount };

constexpr float meadowDefaultSize = 16;
constexpr int meadowDefaultCount = 190;
// The meadow's plants take ranks 0..meadowRanks-1 in turn, added to u in steps of the stride
// (see buildMeadow).
constexpr int meadowRanks = 16;
constexpr float meadowRankStride = 8;

// True for the names buildModel knows.
bool isModelSource(const std::string& name);
// Builds the named model into `g`, one group per index bin; false with a message for bad options.
[[nodiscard]] bool buildModel(const std::string& name, const ModelOptions& options, Geometry& g,
                              std::string& error);

// The builders behind buildModel: each fills `bins`, already sized to its bin count.
void buildWindmill(std::vector<Geometry>& bins, const ModelOptions& options);
void buildSails(std::vector<Geometry>& bins, const ModelOptions& options);
void buildFarmhouse(std::vector<Geometry>& bins, const ModelOptions& options);
void buildFence(std::vector<Geometry>& bins, const ModelOptions& options);
void buildTree(std::vector<Geometry>& bins, const ModelOptions& options);
void buildRock(std::vector<Geometry>& bins, const ModelOptions& options);
void buildGrass(std::vector<Geometry>& bins, const ModelOptions& options);
void buildFlower(std::vector<Geometry>& bins, const ModelOptions& options);
void buildMeadow(std::vector<Geometry>& bins, const ModelOptions& options);
