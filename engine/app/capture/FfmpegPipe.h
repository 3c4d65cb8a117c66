#pragma once

#include "app/capture/FrameSink.h"

#include <string>
#include <sys/types.h>
#include <sys/uio.h>
#include <vector>

// Frames encoded into a video by an ffmpeg process (found on the PATH): the frames go through a
// pipe to its standard input, the sound comes from a file. The video is made under a partial name
// ("out.partial.mp4") and takes its own name only once ffmpeg has finished it whole.
class FfmpegPipe : public FrameSink {
public:
    enum class Container { Mp4, Webm, Mkv };
    // Fast: the quickest encoding at high quality (large files). Share (.mp4 only): what video
    // sites take as they are: H.264 High profile with B-frames and a closed group of pictures every
    // half second, BT.709 colour, AAC at 320 kb/s, the index at the front.
    enum class Encoding { Fast, Share };

    // The container a file name's extension asks for (.mp4, .webm, .mkv, any letter case).
    static bool containerFor(const std::string& path, Container& container);
    // The full path of an executable on the PATH; empty when there is none.
    static std::string findOnPath(const std::string& name);
    static std::string partialName(const std::string& path);

    FfmpegPipe(std::string output, Container container, int width, int height, int fps,
               Encoding encoding = Encoding::Fast);
    ~FfmpegPipe() override;
    FfmpegPipe(const FfmpegPipe&) = delete;
    FfmpegPipe& operator=(const FfmpegPipe&) = delete;

    // ffmpeg's command line for `soundPath` as the second input.
    std::vector<std::string> arguments(const std::string& executable, const std::string& soundPath) const;
    // Starts ffmpeg; false (error set) when the output cannot be written or ffmpeg does not start.
    [[nodiscard]] bool start(const std::string& executable, const std::string& soundPath, std::string& error);

    [[nodiscard]] bool writeFrame(long index, const uint8_t* bgra, std::string& error) override;
    bool finish(long framesDone, bool complete, std::string& path, std::string& error) override;
    void discard() override;

private:
    // Closes the pipe and waits for ffmpeg; false with ffmpeg's last message when it failed.
    bool wait(std::string& error);
    std::string lastLogLine() const;

    std::string output_, partial_;
    Container container_;
    Encoding encoding_;
    int width_, height_, fps_;
    pid_t child_ = -1;
    int pipe_ = -1;
    std::string logPath_;
    std::vector<iovec> rows_;
};
