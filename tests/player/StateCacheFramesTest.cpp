// The production and every example drawn as stills twice, by the programs themselves: once with
// the device's caches and once with every state call sent as if nothing were known, both with the
// checking mode on. No run may find GL holding other state than its device believes (the program
// would end with exit code 3, the difference on standard error), and the two runs must draw every
// picture pixel for pixel alike.
#include "app/capture/StillRenderer.h"
#include "assets/DecodedImage.h"
#include "assets/PNGLoader.h"
#include "support/DemoTree.h"
#include "support/GoldenImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Program {
    const char* binary; // under the build folder
    std::vector<int> beats;
};

const Program kPrograms[] = {
    // One beat in each shot of the intro, the windmill and the outro, and the closing fade.
    {"vorndle", {8, 80, 104, 140, 230, 260}},
    {"examples/hello/hello", {4, 12}},
    {"examples/post/post", {6, 22}},
    {"examples/deferred/deferred", {8, 24}},
};

constexpr int kWidth = 160, kHeight = 90;

std::string stillsCommand(const Program& program, const std::string& folder, bool caches) {
    std::string beats;
    for (int beat : program.beats)
        beats += (beats.empty() ? "" : ",") + std::to_string(beat);
    return std::string(VORNDLE_BINARY_DIR "/") + program.binary +
           " --no-dialog --no-message-box --check-state" + (caches ? "" : " --no-state-cache") + " --size " +
           std::to_string(kWidth) + "x" + std::to_string(kHeight) + " --stills " + beats + " --out " + folder;
}

} // namespace

TEST(StateCacheFrames, EveryProgramDrawsAlikeWithAndWithoutCachesAndGlAgreesWithTheDevice) {
    PNGLoader png;
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.binary);
        TempDir dir;
        const std::string cached = dir.file("cached"), uncached = dir.file("uncached");
        bool ran = true;
        for (bool caches : {true, false}) {
            std::string err;
            const int status =
                runCommand(stillsCommand(program, caches ? cached : uncached, caches), &err, 300);
            EXPECT_EQ(status, 0) << (caches ? "caches on" : "caches off") << ":\n" << err;
            ran = ran && status == 0;
        }
        if (!ran)
            continue;
        for (int beat : program.beats) {
            const std::string name = StillRenderer::fileName(beat);
            DecodedImage a, b;
            ASSERT_TRUE(png.decode(cached + "/" + name, a)) << name;
            ASSERT_TRUE(png.decode(uncached + "/" + name, b)) << name;
            ASSERT_EQ(a.width, kWidth);
            ASSERT_EQ(a.height, kHeight);
            EXPECT_TRUE(sameStill(name + " with the caches on and off", a, b));
        }
    }
}
