#include "StateText.h"

#include "core/MemoryInputStream.h"
#include "core/MemoryOutputStream.h"
#include "post/BlitEngine.h"
#include "post/GlowEngine.h"
#include "post/RadialBlurEngine.h"
#include "post/SSAOEngine.h"
#include "scene/Envelope.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <zlib.h>

namespace {

using Bytes = std::vector<uint8_t>;
using state_text::PartState;

constexpr int kEnvelopeCount = 16;

std::string readSource(const std::string& name) {
    std::ifstream in(std::string(VORNDLE_SOURCE_DIR) + "/content/states/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

float floatOf(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

// A state file written the way the engine writes it: the chain's own block, then envelopes and
// floats through the engine's streams.
Bytes engineWrittenFile(const BlitEngine& blit, float spare) {
    MemoryOutputStream out;
    EXPECT_TRUE(blit.writeState(out));
    auto envelope = [&](float value) {
        Envelope e;
        EnvelopeKey key;
        key.value = value;
        key.time = 3;
        key.shape = ShapeTCB;
        key.tension = -0.5f;
        key.param[2] = 7;
        e.insertKey(key);
        key.time = 9;
        key.shape = ShapeLinear;
        e.insertKey(key);
        e.postBehaviour = BehaviourRepeat;
        e.write(out);
    };
    for (int i = 0; i < 3; ++i)
        envelope(float(i));
    const float values[] = {1, 0.5f, 1, spare};
    for (float v : values)
        out.writeFloat(v);
    for (int i = 0; i < 16; ++i)
        out.writeFloat(0.5f + i * 0.01f);
    out.writeFloat(2);
    out.writeFloat(0.25f);
    for (int i = 3; i < kEnvelopeCount; ++i)
        envelope(float(i));
    return out.bytes();
}

BlitEngine& configured(BlitEngine& blit) {
    blit.lutFade = 0.3f;
    blit.dofParams[0] = 17;
    blit.gamma[1] = 1.25f;
    blit.effects[BlitEngine::kFlagRadialBlur] = true;
    blit.passCounts[6] = 5;
    blit.glow().color = Vec4(0.1f, 0.2f, 0.3f, 0.4f);
    blit.radialBlur().origin = Vec2(0.25f, 0.75f);
    blit.ssao().params.radius = 0.125f;
    return blit;
}

bool parse(const std::string& text, PartState& state, std::string* error = nullptr) {
    ::testing::internal::CaptureStderr();
    const bool ok = state_text::parseText(text, "part.state", state);
    const std::string printed = ::testing::internal::GetCapturedStderr();
    if (error)
        *error = printed;
    return ok;
}

bool readBytes(const Bytes& bytes, PartState& state, std::string* error = nullptr) {
    ::testing::internal::CaptureStderr();
    const bool ok = state_text::readBinary(bytes.data(), bytes.size(), "part.dat", state);
    const std::string printed = ::testing::internal::GetCapturedStderr();
    if (error)
        *error = printed;
    return ok;
}

// Binary -> text -> binary must give the same bytes.
void expectRoundTrip(const Bytes& bytes) {
    PartState state;
    ASSERT_TRUE(readBytes(bytes, state));
    const std::string text = state_text::formatText(state);
    PartState again;
    std::string error;
    ASSERT_TRUE(parse(text, again, &error)) << error << text;
    EXPECT_EQ(state_text::writeBinary(again), bytes) << text;
}

TEST(StateLayout, EngineWrittenFilesReadAndWriteBackUnchanged) {
    BlitEngine defaults;
    expectRoundTrip(engineWrittenFile(defaults, 0));
    BlitEngine blit;
    expectRoundTrip(engineWrittenFile(configured(blit), 0));
}

TEST(StateLayout, TextReachesTheEngineUnderItsNames) {
    BlitEngine blit;
    PartState state;
    ASSERT_TRUE(readBytes(engineWrittenFile(configured(blit), 0), state));
    std::string text = state_text::formatText(state);
    auto replace = [&](const std::string& from, const std::string& to) {
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
    replace("[post.glow]\nthreshold_r               0.1", "[post.glow]\nthreshold_r 0.9");
    replace("origin                    0.25 0.75", "origin 0.125 0.625");
    replace("light_streaks             off", "light_streaks on");
    replace("radial_blur_passes        5", "radial_blur_passes 7");
    replace("exposure                  1.25", "exposure 2");
    replace("[envelope camera]  # index of the active camera (the value's floor)\npre constant",
            "[envelope camera]\npre linear");
    ASSERT_TRUE(parse(text, state)) << text;

    const Bytes bytes = state_text::writeBinary(state);
    MemoryInputStream in(bytes.data(), bytes.size());
    BlitEngine read;
    ASSERT_TRUE(read.readState(in));
    EXPECT_EQ(read.glow().color, Vec4(0.9f, 0.2f, 0.3f, 0.4f));
    EXPECT_EQ(read.radialBlur().origin.x, 0.125f);
    EXPECT_EQ(read.radialBlur().origin.y, 0.625f);
    EXPECT_EQ(read.ssao().params.radius, 0.125f);
    EXPECT_TRUE(read.effects[BlitEngine::kFlagLightStreaks]);
    EXPECT_TRUE(read.effects[BlitEngine::kFlagRadialBlur]);
    EXPECT_EQ(read.passCounts[6], 7);
    EXPECT_EQ(read.gamma[1], 2.0f);
    EXPECT_EQ(read.lutFade, 0.3f);
    Envelope camera;
    ASSERT_TRUE(camera.read(in));
    EXPECT_EQ(camera.preBehaviour, BehaviourLinear);
    EXPECT_EQ(camera.postBehaviour, BehaviourRepeat);
    EXPECT_EQ(camera.keyCount(), 2);
}

TEST(StateText, OddFloatsSurviveTheRoundTrip) {
    BlitEngine blit;
    const uint32_t odd[] = {0x80000000u, 0x00000001u, 0x007fffffu, 0x7f7fffffu, 0x3dcccccdu,
                            0x7f800000u, 0xff800000u, 0x7fc00000u, 0xffc00001u, 0x7f800001u};
    for (uint32_t bits : odd)
        expectRoundTrip(engineWrittenFile(blit, floatOf(bits)));

    std::mt19937 random(7);
    for (int i = 0; i < 50000; ++i) {
        const uint32_t bits = random();
        uint32_t back = 0;
        const std::string text = state_text::formatFloat(bits);
        ASSERT_TRUE(state_text::parseFloat(text, back)) << text;
        ASSERT_EQ(back, bits) << text;
    }
    EXPECT_EQ(state_text::formatFloat(0x3dcccccdu), "0.1");
}

TEST(StateText, ParseFloatRefusesWhatIsNotADecimalFloat) {
    uint32_t bits = 0;
    for (const char* bad : {"", "1e39", "-1e39", "0x1p3", "infinity", "nan(0x00000001)", "nan(0x7fc0000g)",
                            "1.5f", "1,5", "--1"})
        EXPECT_FALSE(state_text::parseFloat(bad, bits)) << bad;
    EXPECT_TRUE(state_text::parseFloat("1e-45", bits));
    EXPECT_EQ(bits, 1u);
}

TEST(StateText, ProductionSourcesBuildAndDumpBackExactly) {
    TempDir dir;
    for (const char* name : {"intro", "windmill", "outro"}) {
        SCOPED_TRACE(name);
        PartState state;
        std::string error;
        ASSERT_TRUE(parse(readSource(std::string(name) + ".state"), state, &error)) << error;
        const std::string path = dir.file(std::string(name) + ".dat");
        ASSERT_TRUE(state_text::writeStateFile(path, state));
        PartState loaded;
        ASSERT_TRUE(state_text::readStateFile(path, loaded));
        const Bytes bytes = state_text::writeBinary(loaded);
        EXPECT_EQ(bytes, state_text::writeBinary(state));
        expectRoundTrip(bytes);

        MemoryInputStream in(bytes.data(), bytes.size());
        BlitEngine blit;
        ASSERT_TRUE(blit.readState(in));
        for (int i = 0; i < 3; ++i) {
            Envelope e;
            ASSERT_TRUE(e.read(in)) << i;
        }
    }
}

TEST(StateBinary, RefusesDamagedFilesWithTheOffset) {
    BlitEngine blit;
    const Bytes good = engineWrittenFile(blit, 0);
    PartState state;
    std::string error;

    // Every truncation fails cleanly.
    for (size_t size = 0; size < good.size(); ++size)
        ASSERT_FALSE(readBytes(Bytes(good.begin(), good.begin() + long(size)), state)) << size;

    Bytes trailing = good;
    trailing.push_back(0);
    EXPECT_FALSE(readBytes(trailing, state, &error));
    EXPECT_EQ(error,
              "part.dat: offset " + std::to_string(good.size()) + ": 1 bytes follow the last section\n");

    const size_t flags = 4 + 14 * 4; // after the magic and the chain's floats
    Bytes flag = good;
    flag[flags + 2] = 2;
    EXPECT_FALSE(readBytes(flag, state, &error));
    EXPECT_NE(error.find("offset " + std::to_string(flags + 2) + ": [post] light_streaks is 2"),
              std::string::npos)
        << error;

    Bytes passes = good;
    passes[flags + 7] = 65;
    EXPECT_FALSE(readBytes(passes, state, &error));
    EXPECT_NE(error.find("dof_blur_passes is 65"), std::string::npos) << error;

    Bytes nan = good;
    const uint32_t quiet = 0x7fc00000u;
    std::memcpy(&nan[4], &quiet, 4);
    EXPECT_FALSE(readBytes(nan, state, &error));
    EXPECT_NE(error.find("offset 4: [post] lut_fade is not a finite number"), std::string::npos) << error;

    // The first envelope follows the chain's block; a key count larger than the file is refused
    // before anything is reserved.
    MemoryOutputStream chain;
    blit.writeState(chain);
    Bytes keys = good;
    const size_t count = chain.bytes().size() + 16;
    const int32_t huge = 0x7fffffff;
    std::memcpy(&keys[count], &huge, 4);
    EXPECT_FALSE(readBytes(keys, state, &error));
    EXPECT_NE(error.find("[camera] claims 2147483647 keys"), std::string::npos) << error;
    const int32_t none = 0;
    std::memcpy(&keys[count], &none, 4);
    EXPECT_FALSE(readBytes(keys, state, &error));
    EXPECT_NE(error.find("[camera] has 0 keys"), std::string::npos) << error;

    Bytes magic = good;
    magic[chain.bytes().size() - 35] = 'X'; // the radial blur's magic, before its eight floats
    EXPECT_FALSE(readBytes(magic, state, &error));
    EXPECT_NE(error.find("[post.radial_blur] does not start with \"RADB\""), std::string::npos) << error;
}

TEST(StateBinary, FilesThatAreNotStatesAreRefused) {
    TempDir dir;
    PartState state;
    const std::string garbage = dir.file("garbage.dat");
    const unsigned char gzipHeader[] = {0x1f, 0x8b, 8, 0, 0, 0, 0, 0, 0, 3, 0xff, 0xff, 0xff, 0xff};
    ASSERT_TRUE(writeFile(garbage, gzipHeader, sizeof gzipHeader));
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(state_text::readStateFile(garbage, state));
    EXPECT_FALSE(state_text::readStateFile(dir.file("absent.dat"), state));
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(printed.find("garbage.dat: "), std::string::npos) << printed;
    EXPECT_NE(printed.find("absent.dat: -: cannot be opened"), std::string::npos) << printed;

    // A small file that inflates past the limit stops there instead of growing without end.
    const std::string bomb = dir.file("bomb.dat");
    gzFile out = gzopen(bomb.c_str(), "wb9");
    ASSERT_NE(out, nullptr);
    const std::vector<char> zeros(1 << 20, 0);
    for (size_t written = 0; written <= state_text::kMaxFileBytes; written += zeros.size())
        gzwrite(out, zeros.data(), unsigned(zeros.size()));
    gzclose(out);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(state_text::readStateFile(bomb, state));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("decompresses to more than"), std::string::npos);
}

TEST(StateText, ErrorsNameTheLine) {
    const std::string good = readSource("intro.state");
    PartState state;
    ASSERT_TRUE(parse(good, state));
    auto lineOf = [&](const std::string& what) {
        const size_t at = good.find(what);
        if (at == std::string::npos) {
            ADD_FAILURE() << "the source no longer holds \"" << what << "\"";
            return -1;
        }
        return 1 + int(std::count(good.begin(), good.begin() + long(at), '\n'));
    };
    auto expectError = [&](const std::string& from, const std::string& to, int line,
                           const std::string& reason) {
        std::string text = good;
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        std::string error;
        EXPECT_FALSE(parse(text, state, &error)) << from;
        EXPECT_EQ(error.rfind("part.state: line " + std::to_string(line) + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    };
    // Whole lines of the source, whatever values it holds today.
    auto lineStarting = [&](const std::string& prefix, size_t from = 0) {
        size_t at = good.find("\n" + prefix, from);
        if (at == std::string::npos) {
            ADD_FAILURE() << "the source has no line starting \"" << prefix << "\"";
            return std::string();
        }
        ++at;
        return good.substr(at, good.find('\n', at) - at);
    };
    const std::string exposureLine = lineStarting("exposure ");
    const std::string glowLine = lineStarting("glow ");
    const std::string timeKey = lineStarting("key ", good.find("[envelope time_of_day]"));
    const int exposure = lineOf(exposureLine);
    expectError("exposure ", "exposures ", exposure, "[post] has no field \"exposures\"");
    expectError(exposureLine, "exposure 1.1 2", exposure, "takes 1 value, not 2");
    expectError(exposureLine, "exposure 1e39", exposure, "\"1e39\" is not a number");
    expectError(exposureLine, "exposure nan", exposure, "must be a finite number");
    expectError(exposureLine, "exposure 1.1\nexposure 1", exposure + 1, "given twice");
    expectError(exposureLine + "\n", "", lineOf("[post]"), "[post] lacks exposure");
    expectError("radial_blur_passes        3", "radial_blur_passes 65", lineOf("radial_blur_passes"),
                "0..64");
    expectError(glowLine, "glow maybe", lineOf(glowLine), "on or off");
    expectError(timeKey, timeKey + " 1", lineOf(timeKey), "a key is");
    expectError(timeKey, timeKey.substr(0, timeKey.rfind(' ')) + " wobbly", lineOf(timeKey),
                "not a key shape");
    {
        // The camera envelope with every key line taken out.
        const size_t section = good.find("[envelope camera]");
        const size_t firstKey = good.find("\nkey ", section) + 1;
        const size_t end = good.find("\n\n", firstKey) + 1;
        expectError(good.substr(firstKey, end - firstKey), "", lineOf("[envelope camera]"),
                    "needs at least one key");
    }
    expectError("[envelope camera]", "[envelope cameras]", lineOf("[envelope camera]"),
                "no envelope section");
    expectError("[envelope gamma]\npre constant\n", "[envelope gamma]\n", lineOf("[envelope gamma]"),
                "needs a pre and a post line");
    expectError("[post.glow]", "[envelope glow]", lineOf("[post.glow]"), "no envelope section \"glow\"");
    expectError("[post]", "lut_fade 1\n[post]", lineOf("[post]"), "comes before the first section");
    const int lines = int(std::count(good.begin(), good.end(), '\n'));
    expectError("[envelope cloud_height]", "[envelope turbidity]", lineOf("[envelope cloud_height]"),
                "appears twice");
    expectError("[envelope cloud_height]\npre constant\npost constant\nkey 1 0 linear\nkey 1.1 106 linear\n",
                "", lines - 5, "[envelope cloud_height] is missing");
}

} // namespace
