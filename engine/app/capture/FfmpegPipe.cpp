#include "app/capture/FfmpegPipe.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string lowerExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

} // namespace

bool FfmpegPipe::containerFor(const std::string& path, Container& container) {
    const std::string ext = lowerExtension(path);
    if (ext == ".mp4")
        container = Container::Mp4;
    else if (ext == ".webm")
        container = Container::Webm;
    else if (ext == ".mkv")
        container = Container::Mkv;
    else
        return false;
    return true;
}

std::string FfmpegPipe::findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    size_t at = 0;
    while (at <= dirs.size()) {
        size_t colon = dirs.find(':', at);
        if (colon == std::string::npos)
            colon = dirs.size();
        std::string dir = dirs.substr(at, colon - at);
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        struct stat st;
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        at = colon + 1;
    }
    return "";
}

std::string FfmpegPipe::partialName(const std::string& path) {
    const std::string ext = lowerExtension(path);
    return path.substr(0, path.size() - ext.size()) + ".partial" + path.substr(path.size() - ext.size());
}

FfmpegPipe::FfmpegPipe(std::string output, Container container, int width, int height, int fps,
                       Encoding encoding)
    : output_(std::move(output)), partial_(partialName(output_)), container_(container), encoding_(encoding),
      width_(width), height_(height), fps_(fps), rows_(static_cast<size_t>(height)) {}

FfmpegPipe::~FfmpegPipe() {
    if (pipe_ >= 0)
        ::close(pipe_);
    if (child_ > 0) {
        ::kill(child_, SIGKILL);
        ::waitpid(child_, nullptr, 0);
    }
    if (!logPath_.empty())
        ::unlink(logPath_.c_str());
}

std::vector<std::string> FfmpegPipe::arguments(const std::string& executable,
                                               const std::string& soundPath) const {
    std::vector<std::string> a = {executable, "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
                                  // the frames: raw BGRA from the pipe, top row first
                                  "-f", "rawvideo", "-pix_fmt", "bgra", "-s",
                                  std::to_string(width_) + "x" + std::to_string(height_), "-framerate",
                                  std::to_string(fps_), "-i", "pipe:0", "-i", soundPath, "-map", "0:v:0",
                                  "-map", "1:a:0"};
    if (encoding_ == Encoding::Share && container_ == Container::Mp4) {
        // The frames are RGB: they are converted with BT.709's matrix, which the colour tags then name.
        const std::string gop = std::to_string(std::max(1, fps_ / 2));
        a.insert(a.end(),
                 {"-vf", "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p", "-pix_fmt", "yuv420p"});
        a.insert(a.end(), {"-c:v", "libx264", "-preset", "medium", "-profile:v", "high", "-crf", "18"});
        a.insert(a.end(), {"-bf", "2", "-g", gop, "-flags", "+cgop"});
        a.insert(a.end(), {"-color_primaries", "bt709", "-color_trc", "bt709", "-colorspace", "bt709"});
        a.insert(a.end(), {"-c:a", "aac", "-b:a", "320k", "-movflags", "+faststart", "-f", "mp4"});
    } else {
        // H.264 at its fastest preset: the encoder shares the processors with drawing (all of them
        // when drawing is in software), quality at CRF 16 stays high, and only the files grow.
        switch (container_) {
        case Container::Mp4:
            a.insert(a.end(), {"-c:v", "libx264", "-preset", "ultrafast", "-crf", "16", "-pix_fmt", "yuv420p",
                               "-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart", "-f", "mp4"});
            break;
        case Container::Webm:
            a.insert(a.end(), {"-c:v", "libvpx-vp9", "-crf", "30",      "-b:v", "0",        "-deadline",
                               "good", "-cpu-used",  "5",    "-row-mt", "1",    "-pix_fmt", "yuv420p",
                               "-c:a", "libopus",    "-b:a", "160k",    "-f",   "webm"});
            break;
        case Container::Mkv:
            a.insert(a.end(), {"-c:v", "libx264", "-preset", "ultrafast", "-crf", "16", "-pix_fmt", "yuv420p",
                               "-c:a", "flac", "-f", "matroska"});
            break;
        }
    }
    // The sound lasts exactly as long as the frames; when a render stops early the video ends
    // with its last frame.
    a.insert(a.end(), {"-shortest", partial_});
    return a;
}

bool FfmpegPipe::start(const std::string& executable, const std::string& soundPath, std::string& error) {
    // Whether the output can be written is easier to tell here than from ffmpeg's messages.
    int probe = ::open(partial_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (probe < 0) {
        error = output_ + ": cannot be written (" + std::strerror(errno) + ")";
        return false;
    }
    ::close(probe);

    const char* tmp = std::getenv("TMPDIR");
    std::string logTemplate = std::string(tmp && *tmp ? tmp : "/tmp") + "/vorndle-ffmpeg-XXXXXX";
    int log = ::mkostemp(&logTemplate[0], O_CLOEXEC);
    if (log < 0) {
        error = logTemplate + ": cannot be made (" + std::strerror(errno) + ")";
        ::unlink(partial_.c_str());
        return false;
    }
    logPath_ = logTemplate;

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = output_ + ": no pipe to ffmpeg (" + std::strerror(errno) + ")";
        ::close(log);
        ::unlink(partial_.c_str());
        return false;
    }
    // A reader that goes away must show up as a failed write, not end the program.
    std::signal(SIGPIPE, SIG_IGN);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, log, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own process group: Ctrl-C in the terminal stops the render, which then lets ffmpeg
    // finish the frames it has, instead of killing ffmpeg halfway.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

    std::vector<std::string> args = arguments(executable, soundPath);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, executable.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(fds[0]);
    ::close(log);
    if (spawned != 0) {
        ::close(fds[1]);
        error = executable + ": cannot be started (" + std::strerror(spawned) + ")";
        ::unlink(partial_.c_str());
        return false;
    }
    child_ = pid;
    pipe_ = fds[1];
    return true;
}

bool FfmpegPipe::writeFrame(long, const uint8_t* bgra, std::string& error) {
    // GL's rows run bottom-up; ffmpeg takes them top row first, straight from the caller's memory.
    const size_t stride = static_cast<size_t>(width_) * 4;
    for (int y = 0; y < height_; ++y) {
        rows_[static_cast<size_t>(y)].iov_base = const_cast<uint8_t*>(bgra) + stride * (height_ - 1 - y);
        rows_[static_cast<size_t>(y)].iov_len = stride;
    }
    size_t first = 0;
    while (pipe_ >= 0 && first < rows_.size()) {
        const int count = static_cast<int>(std::min<size_t>(rows_.size() - first, IOV_MAX));
        ssize_t written = ::writev(pipe_, &rows_[first], count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (wait(error) || error.empty())
                error = output_ + ": ffmpeg stopped taking frames";
            return false;
        }
        // Skip the rows written whole; a row written in part goes on from where it stopped.
        size_t n = static_cast<size_t>(written);
        while (n > 0 && n >= rows_[first].iov_len)
            n -= rows_[first++].iov_len;
        if (n > 0) {
            rows_[first].iov_base = static_cast<uint8_t*>(rows_[first].iov_base) + n;
            rows_[first].iov_len -= n;
        }
    }
    return pipe_ >= 0;
}

std::string FfmpegPipe::lastLogLine() const {
    std::ifstream in(logPath_);
    std::string line, last;
    while (std::getline(in, line))
        if (!line.empty())
            last = line;
    return last;
}

bool FfmpegPipe::wait(std::string& error) {
    if (pipe_ >= 0)
        ::close(pipe_);
    pipe_ = -1;
    if (child_ <= 0)
        return false;
    int status = 0;
    while (::waitpid(child_, &status, 0) < 0 && errno == EINTR) {
    }
    child_ = -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    std::string message = lastLogLine();
    if (message.empty())
        message = WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                    : "ended by signal " + std::to_string(WTERMSIG(status));
    error = output_ + ": ffmpeg failed: " + message;
    return false;
}

bool FfmpegPipe::finish(long framesDone, bool complete, std::string& path, std::string& error) {
    if (!wait(error))
        return false;
    if (framesDone == 0) {
        error = output_ + ": no frames were rendered";
        ::unlink(partial_.c_str());
        return false;
    }
    if (!complete) {
        path = partial_;
        return true;
    }
    if (std::rename(partial_.c_str(), output_.c_str()) != 0) {
        error = output_ + ": cannot be written (" + std::strerror(errno) + ")";
        return false;
    }
    path = output_;
    return true;
}

void FfmpegPipe::discard() {
    if (pipe_ >= 0)
        ::close(pipe_);
    pipe_ = -1;
    if (child_ > 0) {
        ::kill(child_, SIGKILL);
        ::waitpid(child_, nullptr, 0);
        child_ = -1;
    }
    ::unlink(partial_.c_str());
}
