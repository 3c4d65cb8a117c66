#pragma once

#include "app/capture/CaptureJob.h"

#include <memory>
#include <string>

class FrameSchedule;
class FrameSink;
class FrameWriter;
class PixelReadback;
class RenderProgress;

// Renders the demo frame-exactly, without playing the song: frames k = 0, 1, ... at song time
// t0 + k / fps from --from to --to, each simulated with the step live play would take at that
// frame rate, into numbered PNG pictures or (through ffmpeg) a video with the song's matching
// sound. Frames are read back a few frames late through pixel buffers, so drawing never waits for
// the copy or the encoder.
class OfflineRenderer : public CaptureJob {
public:
    // Frames read back at once behind the frame being drawn, and frames waiting for the sink.
    static constexpr int kFramesInFlight = 3;
    static constexpr int kFramesQueued = 4;

    explicit OfflineRenderer(DemoApplication& app);
    ~OfflineRenderer() override;

    bool next() override;
    bool finish() override;

    long framesWritten() const { return written_; }

private:
    [[nodiscard]] bool start();
    [[nodiscard]] bool startVideo(const std::string& path);
    // Hands the oldest frame in flight to the writer.
    bool takeOldest();
    bool fail(const std::string& error);

    DemoApplication& app_;
    std::unique_ptr<FrameSchedule> schedule_;
    std::unique_ptr<PixelReadback> readback_;
    std::unique_ptr<FrameSink> sink_;
    std::unique_ptr<FrameWriter> writer_;
    std::unique_ptr<RenderProgress> progress_;
    std::string soundPath_;
    long next_ = 0;
    long written_ = 0;
    bool started_ = false;
    bool failed_ = false;
    std::string error_;
};
