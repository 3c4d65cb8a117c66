// The saved parameter blocks of the chain and its engines, the permutation choice, the occlusion
// kernel and the composite's noise: no GL needed.
#include "core/MemoryInputStream.h"
#include "core/MemoryOutputStream.h"
#include "post/BlitEngine.h"
#include "post/BlurEngine.h"
#include "post/GlowEngine.h"
#include "post/LightStreaksEngine.h"
#include "post/RadialBlurEngine.h"
#include "post/SSAOEngine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes stateOf(const BlitEngine& blit) {
    MemoryOutputStream out;
    EXPECT_TRUE(blit.writeState(out));
    return out.bytes();
}

// Offsets in the "BLIT" block.
constexpr size_t kFlagsOffset = 4 + 4 + 16 + 16 + 8 + 12;
constexpr size_t kPassesOffset = kFlagsOffset + 7;
constexpr size_t kEnginesOffset = kPassesOffset + 28;
// BLUR 4, GLOW 20, LSTK 68, SSAO 36, MOTB 4, RADB 36.
constexpr size_t kBlockSize = kEnginesOffset + 4 + 20 + 68 + 36 + 4 + 36;

void putFloat(Bytes& bytes, size_t offset, float value) {
    std::memcpy(bytes.data() + offset, &value, 4);
}

void putInt(Bytes& bytes, size_t offset, int32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + size_t(i)] = static_cast<unsigned char>(uint32_t(value) >> (8 * i));
}

// A chain with every value away from its default.
Ref<BlitEngine> changedChain() {
    Ref<BlitEngine> blit = makeRef<BlitEngine>();
    blit->lutFade = 0.25f;
    blit->distortion[0] = 0.01f, blit->distortion[3] = 7.0f;
    blit->dofParams[0] = 3.0f, blit->dofParams[3] = -2.0f;
    blit->gamma[0] = 2.2f;
    blit->noise[0] = 1.0f, blit->noise[1] = 12.5f, blit->noise[2] = 0.05f;
    blit->effects[BlitEngine::kFlagGlow] = true;
    blit->effects[BlitEngine::kFlagDepthOfField] = true;
    blit->passCounts[0] = 7, blit->passCounts[3] = 64;
    blit->glow().color = Vec4(1, 2, 3, 4);
    blit->lightStreaks().directions[1] = Vec2(0.5f, -2.0f);
    blit->lightStreaks().weights[0] = Vec4(0, 0.6f, 0.8f, 0);
    blit->ssao().params.radius = 0.7f;
    blit->ssao().params.depthScale = 3.0f;
    blit->radialBlur().origin = Vec2(0.25f, 0.75f);
    blit->radialBlur().radialParams = Vec2(0.1f, 0.5f);
    return blit;
}

TEST(PostStateBlock, LayoutAndByteIdenticalRoundTrip) {
    Ref<BlitEngine> written = changedChain();
    const Bytes bytes = stateOf(*written);
    ASSERT_EQ(bytes.size(), kBlockSize);
    EXPECT_EQ(std::memcmp(bytes.data(), "BLIT", 4), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + kEnginesOffset, "BLUR", 4), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + kEnginesOffset + 4, "GLOW", 4), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + kEnginesOffset + 24, "LSTK", 4), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + kEnginesOffset + 92, "SSAO", 4), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + kEnginesOffset + 128, "MOTB", 4), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + kEnginesOffset + 132, "RADB", 4), 0);
    EXPECT_EQ(bytes[kFlagsOffset + 1], 1);
    EXPECT_EQ(bytes[kPassesOffset + 12], 64); // pass count 3, least significant byte first

    Ref<BlitEngine> read = makeRef<BlitEngine>();
    MemoryInputStream in(bytes.data(), bytes.size());
    ASSERT_TRUE(read->readState(in));
    EXPECT_EQ(stateOf(*read), bytes);
    EXPECT_EQ(read->permutation(), 6);
    EXPECT_EQ(read->dofParams[3], -2.0f); // recomputed only when drawn
}

TEST(PostStateBlock, ReadsExactlyTheBlock) {
    Bytes bytes = stateOf(*changedChain());
    bytes.push_back(0xAB); // the next block of the file
    Ref<BlitEngine> read = makeRef<BlitEngine>();
    MemoryInputStream in(bytes.data(), bytes.size());
    ASSERT_TRUE(read->readState(in));
    EXPECT_EQ(in.position(), kBlockSize);
    EXPECT_EQ(in.remaining(), 1);
}

TEST(PostStateBlock, CorruptBlocksFailAndChangeNothing) {
    const Bytes good = stateOf(*changedChain());
    struct Case {
        const char* what;
        std::function<void(Bytes&)> corrupt;
    };
    const Case cases[] = {
        {"wrong magic", [](Bytes& b) { b[0] = 'X'; }},
        {"flag byte above one", [](Bytes& b) { b[kFlagsOffset + 4] = 2; }},
        {"negative pass count", [](Bytes& b) { putInt(b, kPassesOffset + 4, -1); }},
        {"pass count past the bound",
         [](Bytes& b) { putInt(b, kPassesOffset, BlitEngine::kMaxPassCount + 1); }},
        {"not a number", [](Bytes& b) { putFloat(b, 4, std::numeric_limits<float>::quiet_NaN()); }},
        {"infinite gamma",
         [](Bytes& b) { putFloat(b, 4 + 16 + 16, std::numeric_limits<float>::infinity()); }},
        {"wrong engine magic", [](Bytes& b) { b[kEnginesOffset + 92] = 'Z'; }},
        {"last engine corrupt", [](Bytes& b) { b[kEnginesOffset + 132] = 'Z'; }},
        {"short block", [](Bytes& b) { b.resize(b.size() - 1); }},
        {"header only", [](Bytes& b) { b.resize(kEnginesOffset); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bad = good;
        c.corrupt(bad);
        Ref<BlitEngine> target = makeRef<BlitEngine>();
        const Bytes before = stateOf(*target);
        MemoryInputStream in(bad.data(), bad.size());
        EXPECT_FALSE(target->readState(in));
        EXPECT_EQ(stateOf(*target), before);
        EXPECT_EQ(target->permutation(), 0);
        EXPECT_LE(in.position(), bad.size());
    }
}

TEST(PostStateBlock, EngineBlocksRefuseWrongMagicAndShortInput) {
    GlowEngine glow;
    const unsigned char wrong[] = {'G', 'L', 'O', 'X', 0, 0, 0, 0};
    MemoryInputStream in(wrong, sizeof wrong);
    EXPECT_FALSE(glow.readParams(in));
    EXPECT_EQ(in.position(), 4u); // nothing read past the magic
    EXPECT_EQ(glow.color, Vec4(0.5f, 0.5f, 0.5f, 0.5f));

    RadialBlurEngine radial;
    MemoryOutputStream out;
    ASSERT_TRUE(radial.writeParams(out));
    Bytes shortBlock(out.bytes().begin(), out.bytes().end() - 2);
    radial.origin = Vec2(0.1f, 0.2f);
    MemoryInputStream shortIn(shortBlock.data(), shortBlock.size());
    EXPECT_FALSE(radial.readParams(shortIn));
    EXPECT_EQ(radial.origin, Vec2(0.1f, 0.2f));
}

TEST(PostStateBlock, LightStreakWeightsComeBackNormalised) {
    LightStreaksEngine streaks;
    EXPECT_NEAR(streaks.weights[0].x, 0.731253f, 1e-5f);
    EXPECT_NEAR(streaks.weights[1].w, 0.175501f, 1e-5f);
    streaks.weights[0] = Vec4(2, 0, 0, 0);
    streaks.weights[1] = Vec4(0, 0, 0, 0);
    MemoryOutputStream out;
    ASSERT_TRUE(streaks.writeParams(out));
    LightStreaksEngine read;
    MemoryInputStream in(out.bytes().data(), out.bytes().size());
    ASSERT_TRUE(read.readParams(in));
    EXPECT_EQ(read.weights[0], Vec4(1, 0, 0, 0));
    // A zero vector has no direction: it stays zero instead of turning into NaN.
    EXPECT_EQ(read.weights[1], Vec4(0, 0, 0, 0));
}

TEST(PostPermutation, EverySwitchCombination) {
    for (int bits = 0; bits < 128; ++bits) {
        bool flags[7];
        for (int i = 0; i < 7; ++i)
            flags[i] = (bits >> i) & 1;
        const bool glowing = flags[1] || flags[2] || flags[6];
        const int expected = (glowing ? 2 : 0) + (flags[4] ? 4 : 0);
        EXPECT_EQ(BlitEngine::permutationFor(flags), expected) << "switches " << bits;
    }
    EXPECT_STREQ(BlitEngine::permutationName(0), "post/blit");
    EXPECT_STREQ(BlitEngine::permutationName(3), "post/blit_glow_ssao");
    EXPECT_STREQ(BlitEngine::permutationName(7), "post/blit_dof_glow_ssao");
    EXPECT_EQ(BlitEngine::permutationName(8), nullptr);

    Ref<BlitEngine> blit = makeRef<BlitEngine>();
    blit->effects[BlitEngine::kFlagMotionBlur] = true; // motion blur alone selects nothing
    blit->updatePermutation();
    EXPECT_EQ(blit->permutation(), 0);
}

TEST(PostSSAOKernel, FirstEntriesFromTheRandomDraw) {
    // x1 = 16807, x2 = 16807^2 = 282475249: a = f(x1) - 3, u = 16 a, by hand:
    // 16807 >> 9 = 32 -> bits 0x40000020 -> 2.0000076 -> a = -0.9999924 -> u = -15.99988.
    float kernel[SSAOEngine::kKernelSize * 3];
    SSAOEngine::computeKernel(1, 1, kernel);
    EXPECT_NEAR(kernel[0], -15.99988f, 1e-4f);
    EXPECT_NEAR(kernel[1], -13.89540f, 1e-4f);
    EXPECT_NEAR(kernel[2], 0.063461f, 1e-5f);
    EXPECT_NEAR(kernel[3], -3.91033f, 1e-4f);
    EXPECT_NEAR(kernel[4], 7.06157f, 1e-4f);
    EXPECT_NEAR(kernel[5], 0.643267f, 1e-5f);
    // Offsets are divided by the target size.
    float scaled[SSAOEngine::kKernelSize * 3];
    SSAOEngine::computeKernel(320, 180, scaled);
    EXPECT_FLOAT_EQ(scaled[0], kernel[0] / 320.0f);
    EXPECT_FLOAT_EQ(scaled[1], kernel[1] / 180.0f);
    EXPECT_FLOAT_EQ(scaled[2], kernel[2]);
}

TEST(PostSSAOKernel, InverseProjectionGivesTheCoefficients) {
    SSAOEngine ssao;
    const Mat4 projection = Mat4::perspective(60, 16.0f / 9.0f, 0.5f, 100.0f);
    const Mat4 inverse = Mat4::inverse(projection);
    ssao.setInverseProjection(inverse);
    const float* c = ssao.projectionCoefficients();
    EXPECT_EQ(c[0], inverse.m[0]);
    EXPECT_EQ(c[1], inverse.m[5]);
    EXPECT_EQ(c[2], inverse.m[11]);
    EXPECT_EQ(c[3], inverse.m[14]);
    EXPECT_EQ(c[4], inverse.m[15]);
    EXPECT_FLOAT_EQ(c[2], -1.0f);
}

} // namespace
