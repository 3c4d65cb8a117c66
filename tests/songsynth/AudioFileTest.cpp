// The song is built into the data tree: building it twice must give the same file.
#include "AudioFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(AudioFileTest, TheSameSoundGivesTheSameOggFileThatStillDecodesWhole) {
    std::vector<float> stereo(2 * 44100);
    for (size_t i = 0; i < stereo.size(); ++i)
        stereo[i] = 0.5f * std::sin(float(i / 2) * (i % 2 ? 0.05f : 0.03f));
    TempDir dir;
    std::string error;
    // libsndfile numbers each stream it writes anew, in one run as across runs.
    for (const char* name : {"first.ogg", "second.ogg"})
        ASSERT_TRUE(AudioFile::write(dir.file(name), stereo, 44100, 0.4, error)) << error;
    const std::string first = bytesOf(dir.file("first.ogg"));
    ASSERT_GT(first.size(), 1000u);
    EXPECT_TRUE(first == bytesOf(dir.file("second.ogg")));
    // A page whose checksum is wrong would be skipped by the decoder: every sample must come back.
    std::vector<float> read;
    int rate = 0;
    ASSERT_TRUE(AudioFile::read(dir.file("second.ogg"), read, rate, error)) << error;
    EXPECT_EQ(read.size(), stereo.size());
}

} // namespace
