// meshtool's skinned bird: bones by name, wings that follow their own bones, weights that sum to
// one, and surfaces wound the way their normals face.
#include "ToolRun.h"

#include "assets/RAWMeshLoader.h"
#include "assets/SoftwareMesh.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class BirdMeshTest : public ::testing::Test {
protected:
    void SetUp() override {
        ToolResult r =
            runTool("meshtool", "--flags position,normal,texcoord,skin bird " + dir.file("bird.rmsh"));
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_TRUE(RAWMeshLoader::readFile(dir.file("bird.rmsh"), data));
        mesh = SoftwareMesh::fromData(data);
        ASSERT_TRUE(mesh);
    }
    // The weight a vertex gives a bone (0 when it names it not at all).
    float weight(const SoftwareMesh::Vertex& v, uint32_t bone) const {
        float w = 0;
        for (uint32_t k = 0; k < v.boneIndex[1]; ++k)
            if (mesh->influences[v.boneIndex[0] + k].bone == bone)
                w += mesh->influences[v.boneIndex[0] + k].weight;
        return w;
    }

    TempDir dir;
    MeshData data;
    Ref<SoftwareMesh> mesh;
};

} // namespace

TEST_F(BirdMeshTest, WingsFollowTheirBonesAndWeightsSumToOne) {
    ASSERT_EQ(mesh->boneNames, (std::vector<std::string>{"body", "wing.L", "wing.R"}));
    ASSERT_EQ(data.bins.size(), 2u) << "body and tail, then the wings";
    ASSERT_EQ(data.bounds.size(), 2u);
    EXPECT_NEAR(data.bounds[1].max.x - data.bounds[1].min.x, 0.9f, 0.01f) << "the wingspan";
    EXPECT_GT(data.bounds[0].max.z, 0.2f) << "the beak forward";
    EXPECT_LT(data.bounds[0].min.z, -0.25f) << "the tail behind";

    int leftTips = 0, rightTips = 0, blended = 0;
    for (size_t i = 0; i < mesh->vertices.size(); ++i) {
        const SoftwareMesh::Vertex& v = mesh->vertices[i];
        SCOPED_TRACE("vertex " + std::to_string(i));
        ASSERT_GE(v.boneIndex[1], 1u);
        ASSERT_LE(size_t(v.boneIndex[0]) + v.boneIndex[1], mesh->influences.size());
        float sum = 0;
        for (uint32_t k = 0; k < v.boneIndex[1]; ++k) {
            const float w = mesh->influences[v.boneIndex[0] + k].weight;
            EXPECT_GT(w, 0.0f);
            sum += w;
        }
        EXPECT_NEAR(sum, 1.0f, 1e-5f);
        EXPECT_GE(v.texCoord.x, 0.0f);
        EXPECT_LE(v.texCoord.x, 1.0f);
        EXPECT_GE(v.texCoord.y, 0.0f);
        EXPECT_LE(v.texCoord.y, 1.0f);
        // Beyond the shoulders a vertex is all wing, its own side's; body and tail stay narrower.
        if (std::fabs(v.position.x) >= 0.12f) {
            EXPECT_EQ(weight(v, v.position.x > 0 ? 1 : 2), 1.0f);
            leftTips += v.position.x > 0.44f;
            rightTips += v.position.x < -0.44f;
        }
        if (i < data.bins[1].lowest) {
            EXPECT_EQ(weight(v, 0), 1.0f) << "body and tail follow the body alone";
        }
        const float body = weight(v, 0);
        if (body > 0 && body < 1) {
            ++blended;
            EXPECT_LT(std::fabs(v.position.x), 0.12f) << "blending only near the shoulder";
        }
    }
    EXPECT_GT(leftTips, 0);
    EXPECT_GT(rightTips, 0);
    EXPECT_GT(blended, 0) << "the wings bend at the shoulders rather than tear";
}

TEST_F(BirdMeshTest, FacesAreWoundTheWayTheirNormalsPoint) {
    // Flat shading: each triangle's vertices carry its face normal, and the winding (counter-
    // clockwise seen from the front) must agree, or back-face culling shows the bird inside out.
    for (const SoftwareMesh::Triangle& t : mesh->triangles)
        for (uint32_t i : t.index)
            EXPECT_GT(t.normal.dot(mesh->vertices[i].normal), 0.99f);
    // The body is closed and wound outwards: its signed volume is positive.
    float volume = 0;
    const IndexBin& body = data.bins[0];
    for (uint32_t k = body.first; k + 2 < body.first + body.count; k += 3) {
        const Vec3& a = mesh->vertices[mesh->indices[k]].position;
        const Vec3& b = mesh->vertices[mesh->indices[k + 1]].position;
        const Vec3& c = mesh->vertices[mesh->indices[k + 2]].position;
        volume += a.dot(b.cross(c)) / 6;
    }
    EXPECT_GT(volume, 0.0f);
}
