// The scene template's pure rules and its state file, without a GL context.
#include "VorndleSceneTemplate.h"

#include "VorndleStateLayout.h"
#include "core/GzipInputStream.h"
#include "core/MemoryInputStream.h"
#include "core/MemoryOutputStream.h"
#include "post/BlitEngine.h"
#include "scene/Envelope.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

Ref<Envelope> ramp(float v0, float v1, float t1) {
    Ref<Envelope> e = makeRef<Envelope>();
    EnvelopeKey key;
    key.shape = ShapeLinear;
    key.value = v0;
    e->insertKey(key);
    key.time = t1;
    key.value = v1;
    e->insertKey(key);
    return e;
}

Ref<VorndleSceneTemplate> withChain() {
    Ref<VorndleSceneTemplate> part = makeRef<VorndleSceneTemplate>("intro", "intro.xml");
    part->setBlitEngine(makeRef<BlitEngine>());
    return part;
}

std::vector<uint8_t> stateBytes(VorndleSceneTemplate& part) {
    MemoryOutputStream out;
    EXPECT_TRUE(part.writeState(out));
    return out.bytes();
}

} // namespace

TEST(SceneTemplateRules, EffectModeRoundsTheEnvelopeToTheNearestMode) {
    EXPECT_EQ(VorndleSceneTemplate::effectMode(1.4f), 1) << "glow";
    EXPECT_EQ(VorndleSceneTemplate::effectMode(1.6f), 2) << "radial blur";
    EXPECT_EQ(VorndleSceneTemplate::effectMode(0.49f), 0);
    EXPECT_EQ(VorndleSceneTemplate::effectMode(2.6f), 0) << "3 is no mode";
    EXPECT_EQ(VorndleSceneTemplate::effectMode(-1.0f), 0);
    EXPECT_EQ(VorndleSceneTemplate::effectMode(std::nanf("")), 0);
}

TEST(SceneTemplateRules, OutroScreenFadesInOverBeats245To253AndOutBy264) {
    EXPECT_EQ(VorndleSceneTemplate::outroFade(200.0f), 0.0f);
    EXPECT_EQ(VorndleSceneTemplate::outroFade(245.0f), 0.0f) << "not drawn at 245 or before";
    EXPECT_FLOAT_EQ(VorndleSceneTemplate::outroFade(249.0f), 0.5f);
    EXPECT_FLOAT_EQ(VorndleSceneTemplate::outroFade(253.0f), 1.0f);
    EXPECT_FLOAT_EQ(VorndleSceneTemplate::outroFade(254.0f), 1.0f);
    EXPECT_FLOAT_EQ(VorndleSceneTemplate::outroFade(259.0f), 0.5f);
    EXPECT_NEAR(VorndleSceneTemplate::outroFade(264.0f), 0.0f, 1e-6f);
}

TEST(SceneTemplateRules, CameraSelectionFloorsAndClampsToTheCameras) {
    EXPECT_EQ(VorndleSceneTemplate::cameraIndex(0.0f, 3), 0);
    EXPECT_EQ(VorndleSceneTemplate::cameraIndex(1.99f, 3), 1);
    EXPECT_EQ(VorndleSceneTemplate::cameraIndex(2.0f, 3), 2);
    EXPECT_EQ(VorndleSceneTemplate::cameraIndex(7.5f, 3), 2);
    EXPECT_EQ(VorndleSceneTemplate::cameraIndex(-3.0f, 3), 0);
    EXPECT_EQ(VorndleSceneTemplate::cameraIndex(std::nanf(""), 3), 0);
    EXPECT_EQ(VorndleSceneTemplate::cameraIndex(1e30f, 2), 1) << "no integer overflow";
    EXPECT_EQ(VorndleSceneTemplate::cameraIndex(0.0f, 0), -1);
}

TEST(SceneTemplateRules, RadialBlurOriginForAKnownCamera) {
    // 90 degrees, square, near 1, far 100, looking down -z from the origin. A point at (20, 10, -50)
    // has clip (20, 10, 48.9899, 50): the origin is (0.5 + 0.5 * 20 / 48.9899, 0.5 + 0.5 * 10 / 48.9899).
    const Mat4 projection = Mat4::perspective(90.0f, 1.0f, 1.0f, 100.0f);
    float origin[2] = {-1, -1};
    ASSERT_TRUE(VorndleSceneTemplate::radialOrigin(projection, Mat4(), Vec3(20, 10, -50), origin));
    EXPECT_NEAR(origin[0], 0.70412f, 1e-4f);
    EXPECT_NEAR(origin[1], 0.60206f, 1e-4f);
    ASSERT_TRUE(VorndleSceneTemplate::radialOrigin(projection, Mat4(), Vec3(0, 0, -50), origin));
    EXPECT_NEAR(origin[0], 0.5f, 1e-6f);
    // Far to the side: clamped to the screen's edge.
    ASSERT_TRUE(VorndleSceneTemplate::radialOrigin(projection, Mat4(), Vec3(500, -500, -50), origin));
    EXPECT_EQ(origin[0], 1.0f);
    EXPECT_EQ(origin[1], 0.0f);
    // A point whose clip depth is zero has no screen position: the origin stays.
    const float kept[2] = {origin[0], origin[1]};
    EXPECT_FALSE(
        VorndleSceneTemplate::radialOrigin(projection, Mat4(), Vec3(0, 0, -200.0f / 101.0f), origin));
    EXPECT_EQ(origin[0], kept[0]);
    EXPECT_EQ(origin[1], kept[1]);
}

TEST(SceneTemplateState, RoundTripKeepsEveryValueAndTheBytes) {
    Ref<VorndleSceneTemplate> source = withChain();
    source->cameraSelection = ramp(0, 2, 100);
    source->timeOfDay = ramp(4.5f, 7.0f, 106);
    source->gamma = ramp(1.0f, 1.1f, 50);
    source->terrainDetailParams[0] = 3.0f;
    source->terrainDetailParams[1] = 0.25f;
    source->shadowIntensity = 0.75f;
    source->spare = 0.123456789f;
    for (int i = 0; i < VorndleSceneTemplate::kSmoothnessCount; ++i)
        source->materialSmoothness[i] = 0.05f * float(i);
    source->cloudHeightScale = 2.5f;
    source->terrainTexCoordScale = 0.125f;
    source->turbidity = ramp(2, 3, 10);
    source->effectModeEnvelope = ramp(1, 2, 60);
    source->cloudHeight = ramp(1.5f, 2.5f, 80);
    source->blitEngine()->lutFade = 0.25f;
    // Reading forces two depth-of-field blur passes (as a loaded part has them).
    source->blitEngine()->passCounts[BlitEngine::kDepthOfFieldBlur] = 2;
    const std::vector<uint8_t> bytes = stateBytes(*source);

    Ref<VorndleSceneTemplate> copy = withChain();
    MemoryInputStream in(bytes.data(), bytes.size());
    ASSERT_TRUE(copy->readState(in));
    EXPECT_EQ(in.remaining(), 0) << "every byte belongs to a block";
    EXPECT_EQ(copy->spare, source->spare) << "the spare float survives";
    EXPECT_EQ(copy->shadowIntensity, 0.75f);
    EXPECT_EQ(copy->terrainDetailParams[1], 0.25f);
    EXPECT_EQ(copy->materialSmoothness[15], source->materialSmoothness[15]);
    EXPECT_EQ(copy->cloudHeightScale, 2.5f);
    EXPECT_EQ(copy->terrainTexCoordScale, 0.125f);
    EXPECT_FLOAT_EQ(copy->timeOfDay->evaluate(53), source->timeOfDay->evaluate(53));
    EXPECT_FLOAT_EQ(copy->cloudHeight->evaluate(40), 2.0f);
    EXPECT_EQ(copy->blitEngine()->lutFade, 0.25f);
    EXPECT_EQ(copy->blitEngine()->passCounts[BlitEngine::kDepthOfFieldBlur], 2)
        << "the depth-of-field blur always runs two passes";
    EXPECT_EQ(stateBytes(*copy), bytes) << "written again, byte for byte";
}

TEST(SceneTemplateState, EverySectionOfTheLayoutFillsTheMemberOfItsName) {
    // A state whose envelopes and numbers all differ, written by walking the layout as statetool
    // does: a section or field that reaches the wrong member shows as the wrong number there.
    using namespace vorndle_state;
    Ref<VorndleSceneTemplate> source = withChain();
    MemoryOutputStream out;
    ASSERT_TRUE(source->blitEngine()->writeState(out));
    std::map<std::string, float> first; // section or field name -> its first number
    float next = 1.0f;
    for (const SectionLayout& section : sections()) {
        if (section.kind == SectionKind::Envelope) {
            Envelope envelope;
            EnvelopeKey key;
            key.value = next;
            envelope.insertKey(key);
            ASSERT_TRUE(envelope.write(out));
            first[section.name] = next++;
        }
        for (int f = 0; section.kind == SectionKind::Values && f < section.fieldCount; ++f) {
            first[section.fields[f].name] = next;
            for (int n = 0; n < section.fields[f].count; ++n)
                out.writeFloat(next++);
        }
    }
    Ref<VorndleSceneTemplate> part = withChain();
    MemoryInputStream in(out.bytes().data(), out.bytes().size());
    ASSERT_TRUE(part->readState(in));
    EXPECT_EQ(in.remaining(), 0);

    const VorndleSceneTemplate& p = *part;
    auto at0 = [](const Ref<Envelope>& e) { return e ? e->evaluate(0) : -1.0f; };
    const std::pair<const char*, float> members[] = {
        {"camera", at0(p.cameraSelection)},
        {"time_of_day", at0(p.timeOfDay)},
        {"gamma", at0(p.gamma)},
        {"turbidity", at0(p.turbidity)},
        {"sun_intensity", at0(p.sunIntensity)},
        {"rayleigh", at0(p.rayleighFactor)},
        {"mie", at0(p.mieFactor)},
        {"colour_scale", at0(p.colourScale)},
        {"azimuth_offset", at0(p.azimuthOffset)},
        {"lut_fade", at0(p.lutFade)},
        {"effect_mode", at0(p.effectModeEnvelope)},
        {"dof_switch", at0(p.depthOfFieldSwitch)},
        {"dof_param_0", at0(p.depthOfFieldParams[0])},
        {"dof_param_1", at0(p.depthOfFieldParams[1])},
        {"dof_param_2", at0(p.depthOfFieldParams[2])},
        {"cloud_height", at0(p.cloudHeight)},
        {"terrain_detail", p.terrainDetailParams[0]},
        {"shadow_intensity", p.shadowIntensity},
        {"spare", p.spare},
        {"smoothness", p.materialSmoothness[0]},
        {"cloud_height_scale", p.cloudHeightScale},
        {"texcoord_scale", p.terrainTexCoordScale},
    };
    EXPECT_EQ(first.size(), std::size(members)) << "a section or field of the layout is not checked here";
    for (const auto& [name, value] : members) {
        ASSERT_EQ(first.count(name), 1u) << name << " is not in the layout";
        EXPECT_EQ(value, first[name]) << name;
    }
    EXPECT_EQ(p.terrainDetailParams[1], first["terrain_detail"] + 1);
    EXPECT_EQ(p.materialSmoothness[15], first["smoothness"] + 15);
}

TEST(SceneTemplateState, EnvelopesWithoutKeysAreWrittenAsTheirConstantValue) {
    // The binary envelope record cannot hold zero keys: a fresh template must still write a state
    // that it can read back.
    Ref<VorndleSceneTemplate> fresh = withChain();
    const std::vector<uint8_t> bytes = stateBytes(*fresh);
    Ref<VorndleSceneTemplate> copy = withChain();
    MemoryInputStream in(bytes.data(), bytes.size());
    ASSERT_TRUE(copy->readState(in));
    EXPECT_EQ(copy->gamma->keyCount(), 1);
    EXPECT_EQ(copy->gamma->evaluate(100), 0.0f);
}

TEST(SceneTemplateState, TruncatedOrCorruptStatesFailWithoutHarm) {
    Ref<VorndleSceneTemplate> source = withChain();
    source->timeOfDay = ramp(4, 8, 100);
    const std::vector<uint8_t> bytes = stateBytes(*source);
    for (size_t length = 0; length < bytes.size(); length += 5) {
        Ref<VorndleSceneTemplate> part = withChain();
        MemoryInputStream in(bytes.data(), length);
        EXPECT_FALSE(part->readState(in)) << "cut at " << length << " of " << bytes.size();
    }
    // Without a post chain there is nothing to read the first block into.
    Ref<VorndleSceneTemplate> bare = makeRef<VorndleSceneTemplate>("intro", "intro.xml");
    MemoryInputStream whole(bytes.data(), bytes.size());
    EXPECT_FALSE(bare->readState(whole));

    // A float that is not a number is refused: it would reach every frame's uniforms.
    Ref<VorndleSceneTemplate> probe = withChain();
    probe->spare = 0.3125f; // a value whose bytes are easy to find
    std::vector<uint8_t> poisoned = stateBytes(*probe);
    const float spare = 0.3125f, nan = std::numeric_limits<float>::quiet_NaN();
    uint8_t pattern[4], nanBytes[4];
    std::memcpy(pattern, &spare, 4);
    std::memcpy(nanBytes, &nan, 4);
    bool replaced = false;
    for (size_t i = 0; i + 4 <= poisoned.size() && !replaced; ++i)
        if (std::memcmp(&poisoned[i], pattern, 4) == 0) {
            std::memcpy(&poisoned[i], nanBytes, 4);
            replaced = true;
        }
    ASSERT_TRUE(replaced);
    Ref<VorndleSceneTemplate> part = withChain();
    MemoryInputStream in(poisoned.data(), poisoned.size());
    EXPECT_FALSE(part->readState(in));
}

TEST(SceneTemplateState, StateFilesBuiltByStatetoolReadWhole) {
    // The build compiles content/states/*.state into data/<part>.dat with statetool; the part
    // must read every one of them whole. Reading normalises two things (two depth-of-field blur
    // passes, unit-length streak weights), so what it writes has the file's size and reads back
    // into the very same bytes.
    for (const char* part : {"intro", "windmill", "outro"}) {
        const std::string path = std::string(VORNDLE_BINARY_DIR) + "/data/" + part + ".dat";
        GzipInputStream in(path);
        ASSERT_TRUE(in.isOpen()) << path;
        std::vector<uint8_t> bytes;
        for (uint8_t byte; bytes.size() < (1u << 20) && in.readUInt8(byte);)
            bytes.push_back(byte);
        Ref<VorndleSceneTemplate> state = withChain();
        MemoryInputStream memory(bytes.data(), bytes.size());
        ASSERT_TRUE(state->readState(memory)) << part;
        EXPECT_EQ(memory.remaining(), 0) << part;
        const std::vector<uint8_t> written = stateBytes(*state);
        EXPECT_EQ(written.size(), bytes.size()) << part;
        Ref<VorndleSceneTemplate> again = withChain();
        MemoryInputStream back(written.data(), written.size());
        ASSERT_TRUE(again->readState(back)) << part;
        EXPECT_EQ(stateBytes(*again), written) << part;
    }
}
