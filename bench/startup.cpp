// Start-up of the production: from nothing to its first frame.
//
// BM_ProductionLoad: in-process, on the hidden GL context at 320x180: the whole loading sequence
// (loading screen, description, the production's textures and parts, the song) and the first
// frame at beat 8, drawn and finished; then everything is unloaded for the next round.
//
// BM_PlayerStart: build/vorndle itself, launched as `--no-dialog --no-sound --from 8 --frames 3
// --stats` at a size, window and context included; the time is the player's own "first frame
// after" figure (the process's start-up and exit are not counted), and the loading screen's and
// the first frame's shares come out as counters. Needs a display (Xvfb will do).
#include "support/ProductionSession.h"

#include "render/Gl.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void BM_ProductionLoad(benchmark::State& state) {
    for (auto _ : state) {
        ProductionSession session;
        if (!session.openFor(state))
            return;
        session.preroll(8.0);
        session.frame(8.0f, 1.0f / 60.0f);
        glFinish();
        state.PauseTiming();
        session.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ProductionLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

// The milliseconds after `label` in the player's --stats output, or a negative number.
double statsFigure(const std::string& output, const std::string& label) {
    const size_t at = output.find(label);
    return at == std::string::npos ? -1.0 : std::atof(output.c_str() + at + label.size());
}

void BM_PlayerStart(benchmark::State& state, const char* size) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("no display to open the player's window on");
        return;
    }
    const std::string command = std::string(VORNDLE_BINARY_DIR) +
                                "/vorndle --no-dialog --no-sound --from 8 " + "--frames 3 --stats --size " +
                                size + " 2>&1";
    double screen = 0, first = 0;
    for (auto _ : state) {
        std::string output;
        if (std::FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[4096];
            size_t got;
            while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
                output.append(buffer, got);
            pclose(pipe);
        }
        const double ms = statsFigure(output, "first frame after ");
        if (ms < 0) {
            state.SkipWithError(("the player reported no start-up time: " + output).c_str());
            return;
        }
        state.SetIterationTime(ms / 1000.0);
        screen += statsFigure(output, "stats:   loading screen ");
        first += statsFigure(output, "stats:   first frame ");
    }
    state.counters["loading_screen_ms"] = benchmark::Counter(screen, benchmark::Counter::kAvgIterations);
    state.counters["first_frame_ms"] = benchmark::Counter(first, benchmark::Counter::kAvgIterations);
}
BENCHMARK_CAPTURE(BM_PlayerStart, 1280x720, "1280x720")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(BM_PlayerStart, 320x180, "320x180")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace
