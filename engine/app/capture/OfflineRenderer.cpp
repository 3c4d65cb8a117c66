#include "app/capture/OfflineRenderer.h"

#include "app/DemoApplication.h"
#include "app/Song.h"
#include "app/TimelinePreroll.h"
#include "app/capture/FfmpegPipe.h"
#include "app/capture/FrameSchedule.h"
#include "app/capture/FrameWriter.h"
#include "app/capture/PngFrameFolder.h"
#include "app/capture/RenderProgress.h"
#include "app/capture/SongSegment.h"
#include "demo/Timeline.h"
#include "render/PixelReadback.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

OfflineRenderer::OfflineRenderer(DemoApplication& app) : app_(app) {}

OfflineRenderer::~OfflineRenderer() {
    writer_.reset();
    sink_.reset();
    if (!soundPath_.empty())
        ::unlink(soundPath_.c_str());
}

bool OfflineRenderer::fail(const std::string& error) {
    if (!failed_)
        error_ = error;
    failed_ = true;
    return false;
}

bool OfflineRenderer::start() {
    const LaunchOptions& options = app_.options;
    if (!app_.song)
        return fail("--render: the demo has no song to take its times from");
    const double from = options.fromBeat.value_or(0.0);
    const double to = options.toBeat.value_or(timelineEnd());
    std::string error;
    if (!checkBeat("--from", from, error))
        return fail(error);
    if (options.toBeat && !(to > 0 && to <= timelineEnd()))
        return fail("--to: beat " + beatText(to) + " lies outside the timeline (0 to " +
                    beatText(timelineEnd()) + ")");
    if (!(to > from))
        return fail("--to: beat " + beatText(to) + " does not lie after --from " + beatText(from));

    const int fps = static_cast<int>(options.fps);
    schedule_.reset(new FrameSchedule(from, to, fps, app_.song->bpm));
    const int width = app_.clientWidth, height = app_.clientHeight;

    const std::string& out = options.renderPath;
    std::error_code ec;
    if (out.back() == '/' || std::filesystem::is_directory(out, ec)) {
        auto folder = std::make_unique<PngFrameFolder>(out, width, height);
        if (!folder->open(error))
            return fail(error);
        sink_ = std::move(folder);
    } else if (!startVideo(out)) {
        return false;
    }

    readback_.reset(new PixelReadback(width, height, kFramesInFlight));
    if (!readback_->valid())
        return fail(out + ": the frames cannot be read back (" + std::to_string(width) + "x" +
                    std::to_string(height) + ")");
    writer_.reset(new FrameWriter(*sink_, readback_->frameBytes(), kFramesQueued));

    std::fprintf(stderr, "render: %ld frames, beats %s to %s at %d fps, %dx%d, into %s\n",
                 schedule_->frameCount(), beatText(from).c_str(), beatText(to).c_str(), fps, width, height,
                 out.c_str());
    progress_.reset(new RenderProgress(schedule_->frameCount()));
    prerollTimeline(Timeline::global(), from, app_.song->bpm);
    return true;
}

bool OfflineRenderer::startVideo(const std::string& path) {
    FfmpegPipe::Container container;
    if (!FfmpegPipe::containerFor(path, container))
        return fail(path + ": unknown video type; name a .mp4, .webm or .mkv file, or a folder ending in /");
    const std::string ffmpeg = FfmpegPipe::findOnPath("ffmpeg");
    if (ffmpeg.empty())
        return fail(path + ": ffmpeg is not on the PATH; install it (Debian package ffmpeg) to make "
                           "videos, or render PNG frames into a folder");
    if (app_.options.shareVideo && container != FfmpegPipe::Container::Mp4)
        return fail(path + ": --share makes .mp4 videos");
    if (app_.clientWidth % 2 || app_.clientHeight % 2)
        return fail(path + ": a video needs an even width and height, not " +
                    std::to_string(app_.clientWidth) + "x" + std::to_string(app_.clientHeight));

    const char* tmp = std::getenv("TMPDIR");
    std::string sound = std::string(tmp && *tmp ? tmp : "/tmp") + "/vorndle-sound-XXXXXX.wav";
    int fd = ::mkstemps(&sound[0], 4);
    if (fd < 0)
        return fail(sound + ": cannot be made (" + std::strerror(errno) + ")");
    ::close(fd);
    soundPath_ = sound;
    const int rate = app_.song->stream->pcmRate();
    std::string error;
    if (!writeSongSegment(*app_.song, schedule_->firstSample(rate), schedule_->sampleCount(rate), sound,
                          error))
        return fail(error);

    auto pipe = std::make_unique<FfmpegPipe>(
        path, container, app_.clientWidth, app_.clientHeight, schedule_->fps(),
        app_.options.shareVideo ? FfmpegPipe::Encoding::Share : FfmpegPipe::Encoding::Fast);
    if (!pipe->start(ffmpeg, sound, error))
        return fail(error);
    sink_ = std::move(pipe);
    return true;
}

bool OfflineRenderer::takeOldest() {
    const uint8_t* pixels = readback_->mapOldest();
    if (!pixels)
        return fail(app_.options.renderPath + ": frame " + std::to_string(written_) + " cannot be read back");
    uint8_t* frame = writer_->acquire();
    if (frame)
        std::memcpy(frame, pixels, readback_->frameBytes());
    readback_->releaseOldest();
    if (!frame) {
        std::string error;
        writer_->drain(error);
        return fail(error);
    }
    writer_->submit(written_);
    ++written_;
    return true;
}

bool OfflineRenderer::next() {
    if (!started_) {
        started_ = true;
        if (!start())
            return false;
    }
    if (failed_ || next_ >= schedule_->frameCount())
        return false;
    const float beat = schedule_->beat(next_);
    app_.drawFrame(beat, schedule_->step(next_));
    if (readback_->full() && !takeOldest())
        return false;
    readback_->start();
    ++next_;
    progress_->update(written_, beat);
    return next_ < schedule_->frameCount();
}

bool OfflineRenderer::finish() {
    if (!started_) {
        std::fprintf(stderr, "render: stopped before the first frame; nothing was written\n");
        return false;
    }
    while (!failed_ && readback_ && readback_->pending() > 0)
        takeOldest();
    std::string error;
    if (writer_ && !writer_->drain(error))
        fail(error);
    writer_.reset();
    if (failed_) {
        if (sink_)
            sink_->discard();
        std::fprintf(stderr, "%s\n", error_.c_str());
        return false;
    }
    const long total = schedule_->frameCount();
    progress_->finish(written_, schedule_->beat(written_ > 0 ? written_ - 1 : 0));
    std::string path;
    if (!sink_->finish(written_, written_ == total, path, error)) {
        sink_->discard();
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    if (written_ < total) {
        std::fprintf(stderr, "render: stopped after %ld of %ld frames; %s holds them\n", written_, total,
                     path.c_str());
        return false;
    }
    std::fprintf(stderr, "render: %ld frames written to %s\n", written_, path.c_str());
    return true;
}
