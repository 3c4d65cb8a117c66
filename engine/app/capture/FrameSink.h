#pragma once

#include <cstdint>
#include <string>

// Where an offline render's frames go: numbered pictures or a video. Frames arrive in order as
// BGRA pixels of the render's size, bottom row first, as they are read back. Errors fill `error` with one
// line that names the file.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    [[nodiscard]] virtual bool writeFrame(long index, const uint8_t* bgra, std::string& error) = 0;
    // After the last frame, or after `framesDone` when the render stopped early: completes the
    // output (an early stop leaves a usable output of the frames done, named as partial where
    // the output is one file) and answers the path it now has.
    virtual bool finish(long framesDone, bool complete, std::string& path, std::string& error) = 0;
    // After a failure: removes what would look like a complete output.
    virtual void discard() = 0;
};
