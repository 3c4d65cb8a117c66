// The device's caches against the driver: random sequences of state records applied with the
// checking mode on (every cached value read back after each apply), and the same sequences with
// the caches off as the oracle for what GL must hold.
#include "RenderTestSupport.h"

#include "render/CodeTables.h"
#include "render/SamplerSet.h"
#include "render/Texture2D.h"

#include <cmath>
#include <random>

namespace {

struct Records {
    BlendState blend;
    DepthStencilState depthStencil;
    RasterizerState rasterizer;
};

constexpr int kFieldCount = 35;

// Gives field `field` of `r` a new random value (it may happen to equal the old one).
void vary(Records& r, int field, std::mt19937& rng) {
    auto pick = [&rng](int n) { return int(rng() % unsigned(n)); };
    auto unit = [&rng] { return float(rng() % 1001) / 1000.0f; };
    static const float kSizes[] = {0.5f, 1.0f, 1.05f, 1.2f, 2.0f, 3.5f};
    static const int kMasks[] = {-1, 0xFF, 0x0F, 0, 0x80};
    BlendState& b = r.blend;
    DepthStencilState& d = r.depthStencil;
    RasterizerState& s = r.rasterizer;
    switch (field) {
    case 0:
        b.enabled = pick(2);
        break;
    case 1:
        b.equation = 1 + pick(5);
        break;
    case 2:
        b.srcRGB = pick(10);
        break;
    case 3:
        b.dstRGB = pick(10);
        break;
    // Alpha factors are often both zero ("like RGB"), which switches between the two GL calls.
    case 4:
        b.srcAlpha = pick(3) ? 0 : pick(10);
        break;
    case 5:
        b.dstAlpha = pick(3) ? 0 : pick(10);
        break;
    case 6:
    case 7:
    case 8:
    case 9:
        b.colorMask[field - 6] = pick(2);
        break;
    case 10:
        d.depthTest = pick(2);
        break;
    case 11:
        d.depthWrite = pick(2);
        break;
    case 12:
        d.depthClamp = pick(2);
        break;
    case 13:
        d.depthNear = unit();
        break;
    case 14:
        d.depthFar = unit();
        break;
    case 15:
        d.depthFunc = pick(8);
        break;
    case 16:
        d.stencilTest = pick(2);
        break;
    case 17:
        d.stencilRef = pick(256);
        break;
    case 18:
        d.stencilMask = kMasks[pick(5)];
        break;
    case 19:
        d.stencilFunc = pick(8);
        break;
    case 20:
        d.stencilFail = pick(8);
        break;
    case 21:
        d.stencilDepthFail = pick(8);
        break;
    case 22:
        d.stencilDepthPass = pick(8);
        break;
    case 23:
        s.pointSize = kSizes[pick(6)];
        break;
    case 24:
        s.lineWidth = kSizes[pick(6)];
        break;
    case 25:
        s.cullEnabled = pick(2);
        break;
    case 26:
        s.frontFace = pick(2);
        break;
    case 27:
        s.cullFace = pick(3);
        break;
    case 28:
        s.scissorTest = pick(2);
        break;
    case 29:
        s.clampReadColor = pick(2);
        break;
    case 30:
        s.polygonOffsetEnabled = pick(2);
        break;
    case 31:
        s.polygonOffsetMode = pick(3);
        break;
    case 32:
        s.polygonOffsetFactor = float(pick(9)) - 4.0f;
        break;
    case 33:
        s.polygonOffsetUnits = float(pick(9)) - 4.0f;
        break;
    // Blending switched on with fresh factors: the factors are only compared while it is on.
    default:
        b.enabled = true;
        b.srcRGB = pick(10);
        b.dstRGB = pick(10);
        break;
    }
}

// Fixed-function state as GL holds it, read without the device. A value that only matters while
// a capability is on names that capability's reading as its guard.
struct Reading {
    const char* name;
    GLenum what;
    enum { Enabled, Integer, Float, Mask4 } kind;
    int guard;
};

enum { kBlend = 0, kDepthTest = 7, kStencilTest = 11, kOffsetFill = 26 };

const Reading kReadings[] = {
    {"GL_BLEND", GL_BLEND, Reading::Enabled, -1},
    {"blend source RGB", GL_BLEND_SRC_RGB, Reading::Integer, kBlend},
    {"blend destination RGB", GL_BLEND_DST_RGB, Reading::Integer, kBlend},
    {"blend source alpha", GL_BLEND_SRC_ALPHA, Reading::Integer, kBlend},
    {"blend destination alpha", GL_BLEND_DST_ALPHA, Reading::Integer, kBlend},
    {"blend equation", GL_BLEND_EQUATION_RGB, Reading::Integer, -1},
    {"colour mask", GL_COLOR_WRITEMASK, Reading::Mask4, -1},
    {"GL_DEPTH_TEST", GL_DEPTH_TEST, Reading::Enabled, -1},
    {"depth function", GL_DEPTH_FUNC, Reading::Integer, kDepthTest},
    {"depth mask", GL_DEPTH_WRITEMASK, Reading::Integer, -1},
    {"GL_DEPTH_CLAMP", GL_DEPTH_CLAMP, Reading::Enabled, -1},
    {"GL_STENCIL_TEST", GL_STENCIL_TEST, Reading::Enabled, -1},
    {"stencil function", GL_STENCIL_FUNC, Reading::Integer, kStencilTest},
    {"stencil reference", GL_STENCIL_REF, Reading::Integer, kStencilTest},
    {"stencil compare mask", GL_STENCIL_VALUE_MASK, Reading::Integer, kStencilTest},
    {"stencil write mask", GL_STENCIL_WRITEMASK, Reading::Integer, kStencilTest},
    {"stencil fail", GL_STENCIL_FAIL, Reading::Integer, kStencilTest},
    {"stencil depth fail", GL_STENCIL_PASS_DEPTH_FAIL, Reading::Integer, kStencilTest},
    {"stencil depth pass", GL_STENCIL_PASS_DEPTH_PASS, Reading::Integer, kStencilTest},
    {"GL_CULL_FACE", GL_CULL_FACE, Reading::Enabled, -1},
    {"front face", GL_FRONT_FACE, Reading::Integer, -1},
    {"cull face", GL_CULL_FACE_MODE, Reading::Integer, -1},
    {"GL_SCISSOR_TEST", GL_SCISSOR_TEST, Reading::Enabled, -1},
    {"point size", GL_POINT_SIZE, Reading::Float, -1},
    {"line width", GL_LINE_WIDTH, Reading::Float, -1},
    {"read colour clamp", GL_CLAMP_READ_COLOR, Reading::Integer, -1},
    {"GL_POLYGON_OFFSET_FILL", GL_POLYGON_OFFSET_FILL, Reading::Enabled, -1},
    {"GL_POLYGON_OFFSET_LINE", GL_POLYGON_OFFSET_LINE, Reading::Enabled, -1},
    {"GL_POLYGON_OFFSET_POINT", GL_POLYGON_OFFSET_POINT, Reading::Enabled, -1},
    {"polygon offset factor", GL_POLYGON_OFFSET_FACTOR, Reading::Float, kOffsetFill},
    {"polygon offset units", GL_POLYGON_OFFSET_UNITS, Reading::Float, kOffsetFill},
};
constexpr size_t kReadingCount = sizeof kReadings / sizeof kReadings[0];

struct Snapshot {
    double values[kReadingCount][4];
};

Snapshot readGl() {
    Snapshot out{};
    for (size_t i = 0; i < kReadingCount; ++i) {
        const Reading& r = kReadings[i];
        double* v = out.values[i];
        if (r.kind == Reading::Enabled) {
            v[0] = glIsEnabled(r.what);
        } else if (r.kind == Reading::Integer) {
            GLint64 n = 0;
            glGetInteger64v(r.what, &n);
            v[0] = double(n);
        } else if (r.kind == Reading::Mask4) {
            GLboolean m[4] = {};
            glGetBooleanv(r.what, m);
            for (int k = 0; k < 4; ++k)
                v[k] = m[k];
        } else {
            GLfloat f = 0;
            glGetFloatv(r.what, &f);
            v[0] = f;
        }
    }
    // The offset values matter while any of the three modes is on.
    out.values[kOffsetFill][1] = out.values[kOffsetFill + 1][0] + out.values[kOffsetFill + 2][0];
    return out;
}

// Names the first reading that differs, or answers null. Values that only matter while their
// capability is on are compared only then; point sizes and line widths closer than 0.1 count as
// equal (the device ignores such small changes on purpose). The depth range is left to the checking
// mode: it goes out only when clamping switches on, so a record that changes it while clamping
// stays on is not applied.
const char* firstDifference(const Snapshot& a, const Snapshot& b) {
    for (size_t i = 0; i < kReadingCount; ++i) {
        const Reading& r = kReadings[i];
        if (r.guard >= 0) {
            const double* g = a.values[r.guard];
            if (g[0] + g[1] == 0)
                continue;
        }
        for (int k = 0; k < (r.kind == Reading::Mask4 ? 4 : 1); ++k) {
            const bool sized = r.what == GL_POINT_SIZE || r.what == GL_LINE_WIDTH;
            if (std::fabs(a.values[i][k] - b.values[i][k]) > (sized ? 0.1 + 1e-6 : 1e-6))
                return r.name;
        }
    }
    return nullptr;
}

// Each sequence starts from the start state; each step varies one field alone, or several
// together, and applies the three records through the device.
std::vector<std::vector<Records>> sequences(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::vector<Records>> out{size_t(count)};
    for (std::vector<Records>& steps : out) {
        Records r;
        for (int step = 1 + int(rng() % 20); step > 0; --step) {
            const int fields = rng() % 2 ? 1 : 2 + int(rng() % 8);
            for (int f = 0; f < fields; ++f)
                vary(r, int(rng() % kFieldCount), rng);
            steps.push_back(r);
        }
    }
    return out;
}

using DeviceCacheCheckTest = RenderTest;

// Applies every sequence with the device's caches on or off and answers what GL held after each
// step.
std::vector<Snapshot> run(Device& device, const std::vector<std::vector<Records>>& all, bool caches) {
    std::vector<Snapshot> out;
    device.setCachesEnabled(caches);
    for (const std::vector<Records>& steps : all) {
        device.resetState();
        for (const Records& r : steps) {
            device.applyBlend(r.blend);
            device.applyDepthStencil(r.depthStencil);
            device.applyRasterizer(r.rasterizer);
            out.push_back(readGl());
        }
    }
    device.setCachesEnabled(true);
    device.resetState();
    gl::clearErrors();
    return out;
}

TEST_F(DeviceCacheCheckTest, RandomSequencesLeaveGlAsTheCachesBelieveAndAsIfUncached) {
    const std::vector<std::vector<Records>> all = sequences(1200, 27);
    const unsigned long reportedBefore = Device::stateDifferencesReported();
    // A device of its own, so its very first state is checked too.
    Ref<Device> checked = makeRef<Device>();
    checked->setStateChecking(true);
    checked->resetState();
    const std::vector<Snapshot> cached = run(*checked, all, true);
    const std::vector<Snapshot> uncached = run(*checked, all, false);
    EXPECT_TRUE(checked->stateChecking()) << "the checking mode found a difference (reported above)";
    EXPECT_EQ(Device::stateDifferencesReported(), reportedBefore);
    ASSERT_EQ(cached.size(), uncached.size());
    size_t step = 0;
    for (size_t s = 0; s < all.size(); ++s)
        for (size_t k = 0; k < all[s].size(); ++k, ++step)
            if (const char* what = firstDifference(cached[step], uncached[step])) {
                ADD_FAILURE() << "sequence " << s << ", step " << k << ": " << what
                              << " differs between the caches on and off";
                return;
            }
}

TEST_F(DeviceCacheCheckTest, CheckingSendsNothingAndRemovesAsManyCalls) {
    const std::vector<std::vector<Records>> all = sequences(60, 72);
    Calls sent[2];
    unsigned long counts[2][2];
    for (int checking = 0; checking < 2; ++checking) {
        Ref<Device> fresh = makeRef<Device>();
        fresh->setStateChecking(checking == 1);
        fresh->resetState();
        GlCallRecorder rec;
        run(*fresh, all, true);
        sent[checking] = rec.calls();
        counts[checking][0] = fresh->stateCallCount();
        counts[checking][1] = fresh->stateCallsRemovedCount();
    }
    EXPECT_EQ(sent[0], sent[1]);
    EXPECT_EQ(counts[0][0], counts[1][0]);
    EXPECT_EQ(counts[0][1], counts[1][1]);
}

std::vector<std::string> gReports;

TEST_F(DeviceCacheCheckTest, ReportsTheFirstDifferenceOnceWithBothValuesAndWhereItShowed) {
    Ref<Texture2D> texture = makeRef<Texture2D>();
    texture->create(4, 4, codes::formatCode("rgba_8"));
    Ref<SamplerSet> set = makeRef<SamplerSet>();
    set->add(texture, 3);
    device->setStateChecking(true);
    device->bindSamplerSet(set);
    gReports.clear();
    Device::setStateDifferenceHandler([](const std::string& report) { gReports.push_back(report); });
    const unsigned long reportedBefore = Device::stateDifferencesReported();
    device->checkState();
    EXPECT_TRUE(gReports.empty()) << gReports[0];

    // A texture upload that leaves its unit unbound behind the device's back.
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    device->checkState();
    ASSERT_EQ(gReports.size(), 1u);
    EXPECT_NE(gReports[0].find("texture on unit 3: the cache believes GL name " +
                               std::to_string(texture->glName()) + ", GL holds none (0)"),
              std::string::npos)
        << gReports[0];
    EXPECT_NE(gReports[0].find("DeviceCacheCheckTest.cpp:"), std::string::npos)
        << "the draw site: " << gReports[0];
    EXPECT_EQ(getInt(GL_ACTIVE_TEXTURE), GL_TEXTURE0) << "reading units back restores the active one";

    // Reported once: the device stops checking after its first difference.
    glEnable(GL_BLEND);
    device->applyBlend(BlendState());
    EXPECT_EQ(gReports.size(), 1u);
    EXPECT_FALSE(device->stateChecking());
    EXPECT_EQ(Device::stateDifferencesReported(), reportedBefore + 1);

    Ref<Device> fresh = makeRef<Device>();
    fresh->setStateChecking(true);
    glEnable(GL_BLEND);
    fresh->applyDepthStencil(DepthStencilState());
    ASSERT_EQ(gReports.size(), 2u);
    EXPECT_EQ(gReports[1], "GL state differs from the device's cache after Device::applyDepthStencil: "
                           "blending (GL_BLEND): the cache believes off, GL holds on");
    glDisable(GL_BLEND);
    device->setStateChecking(false);
    device->resetState();
}

} // namespace
