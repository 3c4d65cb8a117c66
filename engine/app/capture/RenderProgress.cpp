#include "app/capture/RenderProgress.h"

#include <SDL.h>
#include <unistd.h>

RenderProgress::RenderProgress(long total, std::FILE* out, int terminal)
    : total_(total), out_(out ? out : stderr),
      terminal_(terminal < 0 ? ::isatty(::fileno(out_)) != 0 : terminal != 0),
      started_(SDL_GetPerformanceCounter()), lastPrinted_(started_),
      frequency_(SDL_GetPerformanceFrequency()) {}

int RenderProgress::format(char* buffer, size_t size, long done, long total, float beat, double seconds) {
    const double fps = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    const double left = fps > 0 ? static_cast<double>(total - done) / fps : 0.0;
    const int leftSeconds = static_cast<int>(left + 0.5);
    return std::snprintf(buffer, size,
                         "render: frame %ld of %ld (%3.0f%%), beat %.2f, %.1f fps, %d:%02d left", done, total,
                         total > 0 ? 100.0 * static_cast<double>(done) / static_cast<double>(total) : 100.0,
                         static_cast<double>(beat), fps, leftSeconds / 60, leftSeconds % 60);
}

void RenderProgress::update(long done, float beat) {
    const uint64_t now = SDL_GetPerformanceCounter();
    const uint64_t interval = terminal_ ? frequency_ / 4 : frequency_ * 5;
    if (now - lastPrinted_ < interval)
        return;
    lastPrinted_ = now;
    print(done, beat, false);
}

void RenderProgress::finish(long done, float beat) {
    print(done, beat, true);
}

void RenderProgress::print(long done, float beat, bool last) {
    char line[160];
    const double seconds =
        static_cast<double>(SDL_GetPerformanceCounter() - started_) / static_cast<double>(frequency_);
    format(line, sizeof line, done, total_, beat, seconds);
    // \033[K clears what a longer previous line left on the terminal.
    if (terminal_)
        std::fprintf(out_, "\r%s\033[K%s", line, last ? "\n" : "");
    else
        std::fprintf(out_, "%s\n", line);
    std::fflush(out_);
}
