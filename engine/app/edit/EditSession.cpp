#include "app/edit/EditSession.h"

#include "app/DemoApplication.h"
#include "app/KeyCodes.h"
#include "app/SimulationStep.h"
#include "app/Song.h"
#include "app/SoundDevice.h"
#include "app/TimelinePreroll.h"
#include "app/capture/CaptureJob.h"
#include "app/capture/FrameSchedule.h"
#include "app/capture/PngWriter.h"
#include "app/capture/StillRenderer.h"
#include "app/edit/ControlCommand.h"
#include "app/edit/EditOverlay.h"
#include "app/edit/SourceTree.h"
#include "core/Diagnostics.h"
#include "core/Paths.h"
#include "demo/Timeline.h"
#include "render/Device.h"
#include "render/FrameProfiler.h"
#include "render/PixelReadback.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

constexpr std::chrono::milliseconds kQuiet{30};
constexpr int kCommandsPerFrame = 64;

bool endsWith(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// The line of a failing reload to show: the first message of a compiler's log, which names the
// file and line the author edits, or else the diagnostic line itself.
std::string firstError(const std::vector<std::string>& held, const char* otherwise) {
    if (held.empty())
        return otherwise;
    const std::string& said = held.front();
    const size_t newline = said.find('\n');
    if (newline == std::string::npos)
        return said;
    const size_t next = said.find('\n', newline + 1);
    const std::string first = said.substr(newline + 1, next == std::string::npos ? next : next - newline - 1);
    return first.empty() ? said.substr(0, newline) : first;
}

const char* reloadName(EditSession::Reload what) {
    switch (what) {
    case EditSession::Reload::Parts:
        return "the parts";
    case EditSession::Reload::Programs:
        return "the programs made from it and the parts";
    case EditSession::Reload::Everything:
        return "everything but the song";
    case EditSession::Reload::EverythingAndSong:
        return "everything";
    default:
        return "nothing";
    }
}

} // namespace

EditSession::EditSession(DemoApplication& app) : app_(app), overlay_(std::make_unique<EditOverlay>()) {}

EditSession::~EditSession() = default;

bool EditSession::open() {
    takeTimeline();
    std::string error;
    if (!app_.options.controlPath.empty() && !channel_.open(app_.options.controlPath, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    if (app_.options.edit) {
        const std::string data = resolveDataPath("data");
        if (!watcher_.open(data, kQuiet, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return false;
        }
        std::fprintf(stderr, "edit: watching %s; keys: see --help\n", data.c_str());
        if (!app_.options.sourcesPath.empty()) {
            // The played root is a build folder when CMake configured it; only then can the
            // generated data be made again.
            const std::string root = resolveDataPath(".");
            std::error_code ec;
            const std::string build = std::filesystem::exists(root + "/CMakeCache.txt", ec) ? root : "";
            sources_ = std::make_unique<SourceTree>();
            if (!sources_->open(app_.options.sourcesPath, data, build, error)) {
                std::fprintf(stderr, "%s\n", error.c_str());
                return false;
            }
            std::fprintf(stderr, "edit: edits under %s/data%s reach the played tree\n",
                         app_.options.sourcesPath.c_str(), build.empty() ? "" : " and content");
        }
    }
    // Loading brought the parts to --from's beat already: the first frame shows it as a seek would.
    beat_ = app_.options.fromBeat ? transport_.clampBeat(*app_.options.fromBeat, bpm()) : 0;
    seekFrame_ = true;
    overlayShown_ = app_.options.overlay;
    restartMusic();
    return true;
}

EditSession::Reload EditSession::reloadFor(const std::vector<std::string>& changed) {
    Reload what = Reload::None;
    for (const std::string& path : changed) {
        Reload needs = Reload::Everything;
        if (endsWith(path, ".ogg") || endsWith(path, ".wav") || endsWith(path, ".flac") ||
            endsWith(path, ".opus") || path == FileWatcher::kOverflow)
            needs = Reload::EverythingAndSong;
        else if (path == "demo.xml")
            needs = Reload::Everything;
        else if (path.rfind("shaders/", 0) == 0)
            needs = Reload::Programs;
        else if (endsWith(path, ".dat") || endsWith(path, ".xml"))
            needs = Reload::Parts;
        what = std::max(what, needs);
    }
    return what;
}

bool EditSession::musicFollows() const {
    return app_.song && !transport_.paused && transport_.speed == 1.0;
}

void EditSession::restartMusic() {
    Song* song = app_.song.get();
    if (!song || !song->stream)
        return;
    if (!musicFollows()) {
        song->stream->pause();
        return;
    }
    // The picture shows what was mixed a latency ago: the music starts that much further on.
    const double latencyBeats = song->latency * 0.001 * song->bpm / 60.0;
    seekSong(*song, static_cast<float>(beat_ + latencyBeats));
    song->stream->play(false);
}

void EditSession::pause() {
    transport_.paused = true;
    restartMusic();
}

void EditSession::play() {
    transport_.paused = false;
    stepCarry_ = 0;
    restartMusic();
}

int EditSession::bpm() const {
    return app_.song ? app_.song->bpm : 60;
}

void EditSession::takeTimeline() {
    std::vector<double> starts;
    for (const TimelineEntry& entry : Timeline::global().entries())
        if (entry.part)
            starts.push_back(entry.start);
    transport_.setTimeline(std::move(starts), CaptureJob::timelineEnd());
}

bool EditSession::reloadApplication(DemoApplication::ReloadScope scope, const std::vector<std::string>& files,
                                    const char* otherwise, std::string& error) {
    std::vector<std::string> held;
    bool made = false;
    {
        DiagnosticHold hold;
        made = app_.reload(scope, files);
        held = hold.take();
    }
    sayHeld(held);
    if (!made)
        error = firstError(held, otherwise);
    return made;
}

bool EditSession::seek(double beat, std::string& error) {
    beat = transport_.clampBeat(beat, bpm());
    beat_ = beat;
    stepCarry_ = 0;
    const bool made =
        reloadApplication(DemoApplication::ReloadParts, {}, "the parts cannot be loaded again", error);
    restartMusic();
    // When the parts cannot be made again, the ones that were playing stay; they cannot show the
    // new beat as --from would.
    if (!made)
        return false;
    prerollTimeline(Timeline::global(), beat, bpm());
    seekFrame_ = true;
    return true;
}

bool EditSession::reload(Reload what, std::string& error, const std::vector<std::string>& changed) {
    if (what == Reload::None)
        return true;
    if (what == Reload::Parts)
        return seek(beat_, error);
    bool made = false;
    if (what == Reload::Programs) {
        // Named as the shader loader names the files programs are made from.
        std::vector<std::string> files;
        for (const std::string& path : changed)
            files.push_back(resolveDataPath("data/" + path));
        made = reloadApplication(DemoApplication::ReloadPrograms, files, "the demo cannot be loaded again",
                                 error);
    } else {
        made = reloadApplication(what == Reload::EverythingAndSong ? DemoApplication::ReloadEverything
                                                                   : DemoApplication::ReloadAllButSong,
                                 {}, "the demo cannot be loaded again", error);
    }
    if (!made)
        return false;
    takeTimeline();
    beat_ = transport_.clampBeat(beat_, bpm());
    prerollTimeline(Timeline::global(), beat_, bpm());
    seekFrame_ = true;
    stepCarry_ = 0;
    restartMusic();
    return true;
}

std::string EditSession::status() const {
    std::string text = "ok beat " + number(beat_) + (transport_.paused ? " paused" : " playing") + " speed " +
                       number(transport_.speed);
    if (transport_.looping())
        text += " loop " + number(transport_.loopIn()) + " " + number(transport_.loopOut());
    else
        text += " loop off";
    return text;
}

void EditSession::execute(int client, const ControlCommand& command) {
    std::string error;
    switch (command.kind) {
    case ControlCommand::Seek:
        if (!CaptureJob::checkBeat("seek", command.first, error) || !seek(command.first, error))
            channel_.reply(client, "error " + error);
        else
            channel_.reply(client, "ok seek " + number(beat_));
        return;
    case ControlCommand::Pause:
        pause();
        channel_.reply(client, "ok pause " + number(beat_));
        return;
    case ControlCommand::Play:
        play();
        channel_.reply(client, "ok play " + number(beat_));
        return;
    case ControlCommand::Loop:
        if (!CaptureJob::checkBeat("loop", command.first, error) ||
            command.second > CaptureJob::timelineEnd() + 1e-9) {
            channel_.reply(
                client, "error " + (error.empty() ? "loop: the end lies after the timeline's end" : error));
            return;
        }
        transport_.setLoop(command.first, command.second);
        if (beat_ < command.first || beat_ >= command.second)
            seek(command.first, error);
        channel_.reply(client, "ok loop " + number(command.first) + " " + number(command.second));
        return;
    case ControlCommand::LoopOff:
        transport_.stopLooping();
        channel_.reply(client, "ok loop off");
        return;
    case ControlCommand::Speed:
        transport_.speed = command.first;
        restartMusic();
        channel_.reply(client, "ok speed " + number(command.first));
        return;
    case ControlCommand::Reload: {
        const auto started = std::chrono::steady_clock::now();
        if (!reload(Reload::Everything, error)) {
            lastReload_ = "reload: the last good version stays";
            lastError_ = error;
            channel_.reply(client, "error " + error);
            return;
        }
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        lastReload_ =
            "reload: everything but the song loaded again in " + std::to_string(took.count()) + " ms";
        lastError_.clear();
        channel_.reply(client, "ok reload " + std::to_string(took.count()) + " ms");
        return;
    }
    case ControlCommand::Still:
        stills_.push_back(PendingStill{client, command.path});
        return;
    case ControlCommand::Status:
        channel_.reply(client, status());
        return;
    case ControlCommand::Quit:
        channel_.reply(client, "ok quit");
        app_.requestQuit();
        return;
    }
}

void EditSession::frame() {
    const auto now = FileWatcher::Clock::now();
    if (sources_) {
        const std::string said = sources_->poll(now);
        if (!said.empty())
            std::fprintf(stderr, "%s\n", said.c_str());
    }
    // While the build makes generated data, its files are left to pile up: the tree is loaded
    // again once, when the build is done, rather than half-way through.
    const bool building = sources_ && sources_->rebuilding();
    if (!building && watcher_.poll(now, changed_)) {
        const Reload what = reloadFor(changed_);
        std::string error;
        const std::string named = changed_.front() + (changed_.size() > 1 ? " and more" : "");
        if (reload(what, error, changed_)) {
            const auto took =
                std::chrono::duration_cast<std::chrono::milliseconds>(FileWatcher::Clock::now() - now);
            lastReload_ =
                named + ": " + reloadName(what) + " loaded again in " + std::to_string(took.count()) + " ms";
            lastError_.clear();
            std::fprintf(stderr, "edit: %s\n", lastReload_.c_str());
        } else {
            lastReload_ = named + ": the last good version stays";
            lastError_ = error;
            std::fprintf(stderr, "edit: %s\n", lastReload_.c_str());
        }
        changed_.clear();
    }

    // A bounded number of commands a frame, so that a flood of them cannot hold the picture up.
    int client = -1;
    std::string line;
    for (int taken = 0; taken < kCommandsPerFrame && channel_.nextLine(client, line); ++taken) {
        ControlCommand command;
        std::string error;
        if (!parseControlCommand(line, command, error))
            channel_.reply(client, "error " + error);
        else
            execute(client, command);
    }

    const int tempo = bpm();
    float step = 0;
    if (!transport_.paused && !seekFrame_) {
        const double seconds = app_.frameSeconds;
        if (musicFollows())
            beat_ = songTime(*app_.song);
        else
            beat_ += seconds * transport_.speed * tempo / 60.0;
        step = simulationStep(seconds * transport_.speed, stepCarry_);
        std::string error;
        const double wrap = transport_.wrapFor(beat_);
        if (wrap >= 0) {
            seek(wrap, error);
        } else if (beat_ >= transport_.lastBeat(tempo)) {
            // Play holds at the end instead of ending the program.
            beat_ = transport_.lastBeat(tempo);
            pause();
        }
    }
    const bool held = transport_.paused && !seekFrame_ && holding_ && showHeldFrame();
    if (!held) {
        if (seekFrame_) {
            const FrameSchedule schedule(beat_, beat_, 60, tempo);
            step = schedule.step(0);
            seekFrame_ = false;
        }
        app_.drawFrame(static_cast<float>(beat_), step);
        holding_ = false;
        if (transport_.paused)
            holdFrame();
    }
    if (!stills_.empty())
        writeStills();
    overlay_->recordFrame(app_.frameSeconds);
    if (overlayShown_)
        drawOverlay();
    app_.swapBuffers();
}

void EditSession::drawOverlay() {
    const int tempo = bpm();
    const double seconds = beat_ * 60.0 / tempo;
    const long bar = static_cast<long>(std::floor(beat_ / Transport::kBeatsPerBar));
    const int inBar = static_cast<int>(std::floor(beat_ - double(bar) * Transport::kBeatsPerBar));
    char text[160];
    EditOverlay::Lines& lines = lines_;
    std::snprintf(text, sizeof text, "beat %.2f \xC2\xB7 bar %ld beat %d \xC2\xB7 %d:%05.2f", beat_, bar + 1,
                  inBar + 1, static_cast<int>(seconds / 60), seconds - 60 * std::floor(seconds / 60));
    lines.position = text;
    lines.parts = StillRenderer::partNames(static_cast<float>(beat_));
    if (lines.parts.empty())
        lines.parts = "no part";
    std::snprintf(text, sizeof text, "%.1f fps \xC2\xB7 %s \xC2\xB7 %sx%s", overlay_->framesPerSecond(),
                  transport_.paused ? "paused" : "playing", number(transport_.speed).c_str(),
                  transport_.speed == 1.0 ? "" : " (silent)");
    lines.transport = text;
    if (transport_.looping())
        lines.transport +=
            " \xC2\xB7 loop " + number(transport_.loopIn()) + "\xE2\x80\x93" + number(transport_.loopOut());
    lines.reload = lastReload_.empty() ? "no reload yet" : lastReload_;
    lines.error = lastError_;

    // The profiler's last measured frame: its costliest passes (GPU time where timed).
    lines.passCount = 0;
    lines.frameMs = 0;
    if (const FrameProfiler* profiler = app_.profiler.get()) {
        lines.passes.resize(EditOverlay::kMaxPasses);
        for (const FrameProfiler::PassResult& pass : profiler->lastFrame()) {
            const double ms = double(pass.hasGpu ? pass.gpuNs : pass.cpuNs) * 1e-6;
            if (profiler->passName(pass.pass) == FrameProfiler::kPartTotal) {
                lines.frameMs += ms;
                continue;
            }
            // Insertion into the few kept, costliest first.
            size_t at = lines.passCount;
            while (at > 0 && lines.passes[at - 1].ms < ms)
                --at;
            if (at >= lines.passes.size())
                continue;
            const size_t last = std::min(lines.passCount, lines.passes.size() - 1);
            for (size_t i = last; i > at; --i)
                std::swap(lines.passes[i], lines.passes[i - 1]);
            lines.passes[at].name = profiler->passName(pass.pass);
            lines.passes[at].ms = ms;
            lines.passCount = std::min(lines.passCount + 1, lines.passes.size());
        }
    }
    overlay_->draw(*app_.device, app_.clientWidth, app_.clientHeight, lines);
}

void EditSession::holdFrame() {
    const int width = app_.clientWidth, height = app_.clientHeight;
    if (!app_.device || width <= 0 || height <= 0 || !held_.fit(width, height, "rgba_8"))
        return;
    const int whole[4] = {0, 0, width, height};
    copyRectangle(*app_.device, 0, held_.framebuffer(), whole, whole);
    holding_ = true;
}

bool EditSession::showHeldFrame() {
    const int width = app_.clientWidth, height = app_.clientHeight;
    if (!app_.device || !held_.fits(width, height))
        return false;
    const int whole[4] = {0, 0, width, height};
    copyRectangle(*app_.device, held_.framebuffer(), 0, whole, whole);
    return true;
}

void EditSession::writeStills() {
    const int width = app_.clientWidth, height = app_.clientHeight;
    PixelReadback readback(width, height, 1);
    const uint8_t* bgra = readback.valid() ? (readback.start(), readback.mapOldest()) : nullptr;
    PngWriter writer(width, height, true);
    for (const PendingStill& still : stills_) {
        std::string error;
        if (!bgra)
            error = still.path + ": the picture cannot be read back";
        else if (!writer.write(still.path.c_str(), bgra, PngWriter::Bgra, static_cast<size_t>(width) * 4,
                               true, error) &&
                 error.empty())
            error = still.path + ": the picture cannot be written";
        if (!error.empty())
            std::fprintf(stderr, "%s\n", error.c_str());
        else if (still.client < 0)
            std::fprintf(stderr, "edit: saved %s\n", still.path.c_str());
        channel_.reply(still.client, error.empty() ? "ok still " + still.path : "error " + error);
    }
    if (bgra)
        readback.releaseOldest();
    stills_.clear();
}

void EditSession::onKeyDown(int key) {
    if (key == keys::LeftShift || key == keys::RightShift) {
        shift_ = true;
        return;
    }
    const int tempo = bpm();
    std::string error;
    switch (key) {
    case ' ':
        transport_.paused ? play() : pause();
        return;
    case '[':
        transport_.markLoopIn(beat_);
        std::fprintf(stderr, "edit: loop from beat %s\n", number(transport_.loopIn()).c_str());
        return;
    case ']':
        transport_.markLoopOut(beat_);
        std::fprintf(stderr, "edit: loop to beat %s\n", number(transport_.loopOut()).c_str());
        return;
    case 'l':
    case 'L':
        std::fprintf(stderr, "edit: loop %s\n", transport_.toggleLoop() ? "on" : "off");
        return;
    case '-':
    case '=':
    case '+':
        if (key == '-' ? transport_.slower() : transport_.faster()) {
            restartMusic();
            std::fprintf(stderr, "edit: speed %sx%s\n", number(transport_.speed).c_str(),
                         transport_.speed == 1.0 ? "" : " (the music is silent at this speed)");
        }
        return;
    case keys::F1:
        overlayShown_ = !overlayShown_;
        return;
    case keys::F1 + 11: {
        // F12: the frame as it stands, into the working folder.
        const std::string path = CaptureJob::beatText(std::round(beat_ * 1000) / 1000);
        stills_.push_back(PendingStill{-1, "beat_" + path + ".png"});
        return;
    }
    default:
        break;
    }
    const double target = transport_.seekForKey(key, shift_, beat_, tempo);
    if (target >= 0 && !seek(target, error))
        std::fprintf(stderr, "edit: %s\n", error.c_str());
}

void EditSession::onKeyUp(int key) {
    if (key == keys::LeftShift || key == keys::RightShift)
        shift_ = false;
}
