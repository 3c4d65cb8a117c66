#pragma once

#include "Vorndle.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

// The production (build/vorndle's own classes) loaded in-process from its built data tree at a
// small size, with the window's presentation stubbed: frames are drawn, never shown. The
// registries' earlier contents (other benchmarks' resources) are set aside while the session is
// open and put back when it closes, so the production finds only its own names.
class ProductionSession {
public:
    static constexpr int kWidth = 320, kHeight = 180;

    ProductionSession();
    ~ProductionSession();
    ProductionSession(const ProductionSession&) = delete;
    ProductionSession& operator=(const ProductionSession&) = delete;

    // Needs a current GL context. False, with the reason, when the data tree does not load.
    bool open(std::string* error);
    // For a benchmark: makes the hidden GL context current and opens; on failure the benchmark
    // is skipped with the reason and false comes back.
    bool openFor(benchmark::State& state);
    void close();

    // Runs the simulation of the parts active at `beat` up to it, as --from and the stills do.
    void preroll(double beat);
    // One frame as the program draws it (reset, clear, every active part), without presenting.
    void frame(float beat, float step);
    // The song's tempo (beats per minute).
    int bpm() const;

    Vorndle& app();

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};
