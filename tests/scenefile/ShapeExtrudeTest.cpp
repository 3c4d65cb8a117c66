// Extruded tubes: ring, vertex and index counts, bins, and the scene element.
#include "SceneFileTestSupport.h"

#include "demo/Registries.h"
#include "scene/EnvelopeShapeFunctor.h"
#include "scene/SceneTestSupport.h"
#include "scene/ShapeExtrude.h"

namespace {

// A straight path along z from `from`, radius 1.
std::unique_ptr<ShapeFunctor> straightPath(float x) {
    return std::make_unique<EnvelopeShapeFunctor>(constantEnvelope(x), constantEnvelope(0),
                                                  linearEnvelope({{0, 0}, {1, 1}}), nullptr, nullptr, nullptr,
                                                  constantEnvelope(1), 1.0f);
}

void square(ShapeExtrude& g) {
    g.beginShape();
    g.addPoint(-1, -1, -1, 0);
    g.addPoint(1, -1, 0, -1);
    g.addPoint(1, 1, 1, 0);
    g.addPoint(-1, 1, 0, 1);
}

} // namespace

TEST(ShapeExtrudeTest, TwoRingSquareHasTheCountsOfItsFormula) {
    ShapeExtrude g;
    g.segments = 9;
    square(g);
    g.addExtrusion(straightPath(0), 0.0f, 0.25f); // trunc(2.25) = 2 rings
    std::vector<float> vertices;
    std::vector<uint32_t> indices;
    std::vector<IndexBin> bins;
    ASSERT_TRUE(g.build(false, false, vertices, indices, bins));
    EXPECT_EQ(g.segmentsInfo()[0].rings, 2u);
    EXPECT_EQ(vertices.size() / 8, 4u * 2 + 10);
    EXPECT_EQ(indices.size(), 24u * 2);
    for (uint32_t i : indices)
        ASSERT_LT(i, vertices.size() / 8);
    // Ring 0 sits at the start, scaled by the radius; the caps' centres at the two rings' middles.
    EXPECT_NEAR(vertices[2], 0.0f, 1e-6f);
    EXPECT_NEAR(vertices[8 * 4 + 2], 0.125f, 1e-6f) << "ring 1 at start + (stop - start) / m";
    const size_t lastCentre = vertices.size() / 8 - 1;
    EXPECT_NEAR(vertices[8 * lastCentre + 2], 0.125f, 1e-6f);
}

TEST(ShapeExtrudeTest, ExtrusionsGetDisjointBinsOrOneBin) {
    ShapeExtrude g;
    g.segments = 4;
    square(g);
    g.addExtrusion(straightPath(0), 0.0f, 1.0f);
    square(g);
    g.addExtrusion(straightPath(5), 0.0f, 0.5f);
    std::vector<float> vertices;
    std::vector<uint32_t> indices;
    std::vector<IndexBin> bins;
    ASSERT_TRUE(g.build(false, false, vertices, indices, bins));
    ASSERT_EQ(bins.size(), 2u);
    EXPECT_EQ(bins[0].lowest, 0u);
    EXPECT_EQ(bins[0].highest, 4u * 4 + 10 - 1);
    EXPECT_EQ(bins[1].lowest, bins[0].highest + 1);
    EXPECT_EQ(bins[1].first, bins[0].count);
    for (uint32_t k = bins[1].first; k < bins[1].first + bins[1].count; ++k)
        ASSERT_GE(indices[k], bins[1].lowest);
    ASSERT_TRUE(g.build(true, false, vertices, indices, bins));
    ASSERT_EQ(bins.size(), 1u);
    EXPECT_EQ(bins[0].count, indices.size());
    EXPECT_EQ(bins[0].highest, vertices.size() / 8 - 1);
}

TEST(ShapeExtrudeTest, RefusesTooFewRingsPointsOrTooManyVertices) {
    std::vector<float> v;
    std::vector<uint32_t> i;
    std::vector<IndexBin> b;
    ShapeExtrude oneRing;
    oneRing.segments = 1;
    square(oneRing);
    oneRing.addExtrusion(straightPath(0), 0.0f, 1.9f);
    EXPECT_FALSE(oneRing.build(false, false, v, i, b));
    ShapeExtrude huge;
    huge.segments = 2000000000;
    square(huge);
    huge.addExtrusion(straightPath(0), 0.0f, 1e30f);
    EXPECT_FALSE(huge.build(false, false, v, i, b)) << "no allocation for a count from a file";
    ShapeExtrude onePoint;
    onePoint.beginShape();
    onePoint.addPoint(0, 0, 0, 1);
    onePoint.addExtrusion(straightPath(0), 0.0f, 1.0f);
    EXPECT_FALSE(onePoint.build(false, false, v, i, b));
}

TEST(ShapeExtrudeTest, DegeneratePathsGiveFiniteVertices) {
    ShapeExtrude g;
    g.segments = 4;
    square(g);
    g.addExtrusion(std::make_unique<EnvelopeShapeFunctor>(nullptr, nullptr, nullptr, nullptr, nullptr,
                                                          nullptr, constantEnvelope(1), 1.0f),
                   0.0f, 1.0f);
    std::vector<float> v;
    std::vector<uint32_t> i;
    std::vector<IndexBin> b;
    ASSERT_TRUE(g.build(false, true, v, i, b));
    ASSERT_TRUE(g.build(false, false, v, i, b));
    for (float f : v)
        ASSERT_TRUE(std::isfinite(f));
}

TEST_F(SceneFileTest, ManyIndicesSwitchToThirtyTwoBits) {
    ShapeExtrude g;
    g.segments = 3000;
    square(g);
    g.addExtrusion(straightPath(0), 0.0f, 1.0f); // 24 * 3000 indices
    Ref<Mesh> mesh = g.generate(true, false, false);
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->indexSize(), 4);
    EXPECT_EQ(mesh->vertexBuffer()->stride(), 32);
}

TEST_F(SceneFileTest, ShapeExtrudeRegistersItsMeshAndLoadingGoesOn) {
    const std::string extrude = R"(<extrude start="0" stop="0.5" radius="2">
        <shape><point x="0" y="1" nx="0" ny="1"/><point x="1" y="0" nx="1" ny="0"/><point x="0" y="-1" nx="0" ny="-1"/></shape>
        <position><x><envelope><key value="0"/></envelope></x><y><envelope><key value="0"/></envelope></y>
          <z><envelope><key value="0" time="0" type="3"/><key value="4" time="1" type="3"/></envelope></z></position>
      </extrude>)";
    Ref<Scene> scene =
        load("<shapeextrude meshname=\"tube\" wrap.u=\"0\">" + extrude + "</shapeextrude>" +
             "<shapeextrude meshname=\"plain\">" + extrude + "</shapeextrude><group name=\"after\"/>");
    ASSERT_TRUE(scene);
    ASSERT_TRUE(scene->findByName("after"));
    EXPECT_EQ(scene->root()->firstChild(), scene->findByName("after")) << "no node for shapeextrude";
    Ref<Mesh> plain = meshRegistry().find("plain");
    Ref<Mesh> tube = meshRegistry().find("tube");
    ASSERT_TRUE(tube);
    EXPECT_EQ(tube->vertexCount(), 4u * 3 + 2 * 3 + 2) << "trunc(0.5 × 9) = 4 rings of 3 points";
    EXPECT_EQ(plain->indexCount(), 0u) << "a taken name keeps its model";
    std::string tooShort = extrude;
    tooShort.replace(tooShort.find("0.5"), 3, "0.1");
    EXPECT_NE(loadFails("<shapeextrude meshname=\"short\">" + tooShort + "</shapeextrude>")
                  .find("shapeextrude: every"),
              std::string::npos)
        << "fewer than two rings";
}
