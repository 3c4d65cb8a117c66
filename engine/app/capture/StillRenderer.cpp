#include "app/capture/StillRenderer.h"

#include "app/DemoApplication.h"
#include "app/Song.h"
#include "app/TimelinePreroll.h"
#include "app/capture/ContactSheet.h"
#include "app/capture/FrameSchedule.h"
#include "app/capture/PngWriter.h"
#include "demo/Timeline.h"
#include "render/PixelReadback.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

StillRenderer::StillRenderer(DemoApplication& app) : app_(app) {}

StillRenderer::~StillRenderer() = default;

std::string StillRenderer::fileName(double beat) {
    return "beat_" + beatText(beat) + ".png";
}

std::string StillRenderer::partNames(float beat) {
    std::string names;
    for (const TimelineEntry& entry : Timeline::global().entries()) {
        if (entry.part && beat >= entry.start && beat < entry.end)
            names += (names.empty() ? "" : " + ") + entry.name;
    }
    return names;
}

bool StillRenderer::fail(const std::string& error) {
    if (!failed_)
        error_ = error;
    failed_ = true;
    return false;
}

bool StillRenderer::start() {
    const LaunchOptions& options = app_.options;
    if (!app_.song)
        return fail("--stills: the demo has no song to take its times from");
    std::string error;
    for (double beat : options.stillBeats)
        if (!checkBeat("--stills", beat, error))
            return fail(error);

    if (!options.sheetPath.empty()) {
        // Found out now rather than after all the stills are drawn.
        const std::string probe = options.sheetPath + ".part";
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return fail(options.sheetPath + ": cannot be written (" + std::strerror(errno) + ")");
        ::close(fd);
        ::unlink(probe.c_str());
    }

    folder_ = options.stillsFolder;
    while (folder_.size() > 1 && folder_.back() == '/')
        folder_.pop_back();
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (!std::filesystem::is_directory(folder_))
        return fail(folder_ + ": the folder cannot be made (" + (ec ? ec.message() : "not a folder") + ")");
    if (::access(folder_.c_str(), W_OK | X_OK) != 0)
        return fail(folder_ + ": the folder is not writable (" + std::strerror(errno) + ")");

    const int width = app_.clientWidth, height = app_.clientHeight;
    // Encoded as the frames of a render are, so a still and the frame of the same beat are the same
    // file.
    writer_.reset(new PngWriter(width, height, true));
    pixels_.resize(static_cast<size_t>(width) * height * 4);
    if (!options.sheetPath.empty()) {
        sheet_.reset(new ContactSheet(static_cast<int>(options.stillBeats.size()), width, height));
        if (!sheet_->loadFont(LabelFont::defaultPath(), error))
            return fail(error);
    }
    return true;
}

bool StillRenderer::next() {
    if (!started_) {
        started_ = true;
        if (!start())
            return false;
    }
    const std::vector<double>& beats = app_.options.stillBeats;
    if (failed_ || next_ >= beats.size())
        return false;
    // Each still starts from freshly made parts, so none inherits the simulation of the one
    // before it.
    if (next_ > 0 && !app_.restartParts())
        return fail("--stills: the parts cannot be loaded again");

    const double beat = beats[next_];
    const FrameSchedule schedule(beat, beat, 60, app_.song->bpm);
    prerollTimeline(Timeline::global(), beat, app_.song->bpm);
    app_.drawFrame(schedule.beat(0), schedule.step(0));

    PixelReadback readback(app_.clientWidth, app_.clientHeight, 1);
    const uint8_t* bgra = readback.valid() ? (readback.start(), readback.mapOldest()) : nullptr;
    if (!bgra)
        return fail(folder_ + ": the picture of beat " + beatText(beat) + " cannot be read back");
    std::memcpy(pixels_.data(), bgra, pixels_.size());
    readback.releaseOldest();

    const std::string path = folder_ + "/" + fileName(beat);
    std::string error;
    if (!writer_->write(path.c_str(), pixels_.data(), PngWriter::Bgra,
                        static_cast<size_t>(app_.clientWidth) * 4, true, error))
        return fail(error);
    if (sheet_)
        sheet_->place(static_cast<int>(next_), pixels_.data(),
                      "beat " + beatText(beat) + " \xC2\xB7 " + partNames(schedule.beat(0)));
    ++next_;
    return next_ < beats.size();
}

bool StillRenderer::finish() {
    if (!started_) {
        std::fprintf(stderr, "stills: stopped before the first picture; nothing was written\n");
        return false;
    }
    if (failed_) {
        std::fprintf(stderr, "%s\n", error_.c_str());
        return false;
    }
    const size_t total = app_.options.stillBeats.size();
    if (next_ < total) {
        std::fprintf(stderr, "stills: stopped after %zu of %zu pictures in %s\n", next_, total,
                     folder_.c_str());
        return false;
    }
    if (sheet_) {
        std::string error;
        if (!sheet_->write(app_.options.sheetPath, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return false;
        }
    }
    std::fprintf(stderr, "stills: %zu %s in %s%s%s\n", total, total == 1 ? "picture" : "pictures",
                 folder_.c_str(), sheet_ ? ", contact sheet " : "",
                 sheet_ ? app_.options.sheetPath.c_str() : "");
    return true;
}
