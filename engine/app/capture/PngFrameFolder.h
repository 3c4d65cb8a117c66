#pragma once

#include "app/capture/FrameSink.h"
#include "app/capture/PngWriter.h"

#include <vector>

// Frames as numbered PNG pictures in a folder: frame_000000.png, frame_000001.png, ...
class PngFrameFolder : public FrameSink {
public:
    PngFrameFolder(std::string folder, int width, int height);

    // Creates the folder if needed and checks that pictures can be written into it.
    [[nodiscard]] bool open(std::string& error);
    [[nodiscard]] bool writeFrame(long index, const uint8_t* bgra, std::string& error) override;
    bool finish(long framesDone, bool complete, std::string& path, std::string& error) override;
    // Pictures that were written stay: each one is complete.
    void discard() override {}

    // The name of frame `index` in the folder.
    static std::string frameName(long index);

private:
    std::string folder_;
    PngWriter writer_;
    std::vector<char> path_;
};
