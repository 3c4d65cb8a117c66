// The production's resident size over one run of the whole film: frames from beat 0 to the end of
// the last part, and the process's resident set (VmRSS) read at the first frame at or after beat 10
// and at beat 260. Every part is loaded before the first frame, so the two figures should lie
// within a few percent of each other; growth in between is memory that frames keep. On the test
// driver (llvmpipe in CI) the driver's own caches (shader variants compiled on first use) count
// too, at a modest frame rate of song time; with GL stubbed by the call recorder's counting mode
// only the engine's and the production's memory counts, at the live rate of 60 frames per second.
#include "app/capture/FrameSchedule.h"
#include "render/Gl.h"
#include "support/GlCallRecorder.h"
#include "support/ProductionSession.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

namespace {

constexpr float kEarlyBeat = 10.0f, kLateBeat = 260.0f;

// The resident set of this process in KiB, 0 when /proc cannot tell.
long residentKiB() {
    std::FILE* file = std::fopen("/proc/self/status", "r");
    if (!file)
        return 0;
    long kib = 0;
    char line[256];
    while (std::fgets(line, sizeof line, file))
        if (std::strncmp(line, "VmRSS:", 6) == 0) {
            kib = std::strtol(line + 6, nullptr, 10);
            break;
        }
    std::fclose(file);
    return kib;
}

void residentOverTheFilm(benchmark::State& state, int fps, bool stubGl) {
    ProductionSession session;
    if (!session.openFor(state))
        return;
    float end = 0;
    for (const Vorndle::PartEntry& part : Vorndle::kParts)
        end = std::max(end, part.end);
    const FrameSchedule schedule(0.0, end, fps, session.bpm());
    const long loaded = residentKiB();
    long early = 0, late = 0;
    // After the first frame of each part: growth in steps at the part changes is the driver
    // compiling what the part draws first, growth spread over the frames is memory kept per frame.
    long partStart[std::size(Vorndle::kParts)] = {};
    for (auto _ : state) {
        std::unique_ptr<GlCallRecorder> stub;
        if (stubGl)
            stub = std::make_unique<GlCallRecorder>(GlCallRecorder::Mode::Count);
        for (long k = 0; k < schedule.frameCount(); ++k) {
            const float beat = schedule.beat(k);
            session.frame(beat, schedule.step(k));
            if (!stubGl)
                glFinish();
            for (size_t i = 0; i < std::size(Vorndle::kParts); ++i)
                if (!partStart[i] && beat >= Vorndle::kParts[i].start)
                    partStart[i] = residentKiB();
            if (!early && beat >= kEarlyBeat)
                early = residentKiB();
            if (!late && beat >= kLateBeat)
                late = residentKiB();
        }
    }
    state.counters["frames"] = double(schedule.frameCount());
    state.counters["rss_loaded_MiB"] = double(loaded) / 1024.0;
    for (size_t i = 0; i < std::size(Vorndle::kParts); ++i)
        state.counters[std::string("rss_") + Vorndle::kParts[i].name + "_start_MiB"] =
            double(partStart[i]) / 1024.0;
    state.counters["rss_beat10_MiB"] = double(early) / 1024.0;
    state.counters["rss_beat260_MiB"] = double(late) / 1024.0;
    state.counters["growth_percent"] = early ? 100.0 * double(late - early) / double(early) : 0.0;
}

void BM_ResidentSizeOnDriver(benchmark::State& state) {
    residentOverTheFilm(state, 5, false);
}
void BM_ResidentSizeStubbedGl(benchmark::State& state) {
    residentOverTheFilm(state, 60, true);
}
// One run of the film each: the figures belong to that run, not to an average.
BENCHMARK(BM_ResidentSizeOnDriver)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_ResidentSizeStubbedGl)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
