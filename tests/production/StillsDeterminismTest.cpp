// build/vorndle's frame-exact stills, drawn by two separate runs of the program: every beat must
// come out pixel for pixel the same, so nothing in a frame may depend on the wall clock, thread
// timing, addresses or memory left uninitialised.
#include "app/capture/StillRenderer.h"
#include "assets/DecodedImage.h"
#include "assets/PNGLoader.h"
#include "support/DemoTree.h"
#include "support/GoldenImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// One beat of each part.
const double kBeats[] = {30, 150, 240};

std::string stillsCommand(const std::string& folder) {
    std::string beats;
    for (double beat : kBeats)
        beats += (beats.empty() ? "" : ",") + std::to_string(int(beat));
    return std::string(VORNDLE_BINARY_DIR "/vorndle --root " VORNDLE_BINARY_DIR) +
           " --no-dialog --no-message-box --size 320x180 --stills " + beats + " --out " + folder;
}

} // namespace

TEST(VorndleStills, TwoRunsDrawEveryBeatPixelForPixelAlike) {
    TempDir dir;
    const std::string first = dir.file("first"), second = dir.file("second");
    for (const std::string& folder : {first, second}) {
        std::string err;
        ASSERT_EQ(runCommand(stillsCommand(folder), &err, 120), 0) << err;
    }
    PNGLoader png;
    for (double beat : kBeats) {
        const std::string name = StillRenderer::fileName(beat);
        DecodedImage a, b;
        ASSERT_TRUE(png.decode(first + "/" + name, a)) << name;
        ASSERT_TRUE(png.decode(second + "/" + name, b)) << name;
        ASSERT_EQ(a.width, 320);
        ASSERT_EQ(a.height, 180);
        EXPECT_TRUE(sameStill(name + " of two runs", a, b));
    }
}
