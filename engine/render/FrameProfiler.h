#pragma once

#include "core/Object.h"
#include "render/Gl.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Where a frame's time goes. Named passes, opened and closed by ProfileScope around each pass of a
// frame, are timed on the GPU (a timestamp at each end, so passes may nest) and on the CPU, and,
// where the driver offers pipeline statistics, counted: vertices and primitives submitted and
// fragment shader invocations, whose ratio to the pass's output pixels is its overdraw.
//
// The queries of a frame live in a ring of a few frames: a frame's results are read when the GPU
// has them, a few frames later, and reading never waits. A pass the frame skips has no record in
// that frame. Passes are kept per part (the timeline's named parts) and summarised at the end as
// median and 95th percentile times; one JSON record per frame can be written as results arrive.
// Debug groups around every pass and object labels go to the driver when it offers KHR_debug, for
// frame captures. After warm-up (every pass seen once), a frame allocates nothing.
class FrameProfiler : public Object {
public:
    static constexpr int kRingFrames = 4;
    // Passes beyond this many in one frame go unrecorded (counted as overflow).
    static constexpr int kMaxRecordsPerFrame = 512;
    enum Statistic { kVerticesSubmitted, kPrimitivesSubmitted, kFragmentInvocations, kStatisticCount };
    // The pass that stands for a whole part: the time from its update to the end of its render.
    static const char* const kPartTotal;

    struct Features {
        bool timers = true;      // timestamp queries (GL_TIMESTAMP with counter bits)
        bool statistics = true;  // ARB_pipeline_statistics_query
        bool debugGroups = true; // KHR_debug: groups and object labels
    };

    // One pass's result in one frame. Absent figures read as false flags, never as zero.
    struct PassResult {
        int pass = -1;
        bool hasGpu = false;
        bool hasStatistics = false;
        uint64_t gpuNs = 0;
        uint64_t cpuNs = 0;
        uint64_t statistics[kStatisticCount] = {};
        uint64_t pixels = 0; // output pixels of the pass's last target (with statistics)
    };

    // The pass table's row for one pass: medians and 95th percentiles over the frames it ran in.
    struct PassSummary {
        std::string part;
        std::string name;
        long frames = 0;
        bool hasGpu = false;
        bool hasStatistics = false;
        double gpuMedianMs = 0, gpuP95Ms = 0, cpuMedianMs = 0, cpuP95Ms = 0;
        double share = 0;                        // of its part's total (GPU time when timed)
        double statistics[kStatisticCount] = {}; // mean per frame it ran in
        double overdraw = 0;                     // fragment invocations per output pixel
    };

    // Asks the current context what it offers; `allowed` can only take features away (a test
    // stands in for a driver without them this way).
    FrameProfiler();
    explicit FrameProfiler(const Features& allowed);
    ~FrameProfiler() override;
    FrameProfiler(const FrameProfiler&) = delete;
    FrameProfiler& operator=(const FrameProfiler&) = delete;

    const Features& features() const { return features_; }

    void beginFrame(double beat);
    void endFrame();
    // A part of the timeline; passes opened until endPart belong to it.
    void beginPart(const char* name);
    void endPart();
    // Answers the record (or -1 when none is kept: outside a frame, or a full frame). Statistics
    // are counted for the outermost pass that asks for them only (the driver counts one query of
    // a kind at a time); passes nested inside it report none.
    int open(const char* name, bool statistics = true);
    void close(int record);

    // Reads the frames whose results are in, oldest first; with `wait`, every ended frame.
    void collect(bool wait);
    // One JSON record per collected frame from now on; false, with a diagnostic, when the file
    // cannot be opened.
    [[nodiscard]] bool writeJson(const std::string& path);
    void closeJson();
    // Labels a GL object (glObjectLabel identifier and name) for frame captures; nothing without
    // KHR_debug.
    void labelObject(GLenum identifier, GLuint name, const std::string& label) const;

    std::vector<PassSummary> summary() const;
    // The pass table, one block per part, as `--profile` prints it.
    void printTable(std::FILE* out) const;

    // The passes of the most recently collected frame, in the order they were opened.
    const std::vector<PassResult>& lastFrame() const { return lastFrame_; }
    bool lastFrameHasGpu() const { return lastFrameHasGpu_; }
    uint64_t lastFrameGpuNs() const { return lastFrameGpuNs_; }
    const std::string& passName(int pass) const;
    const std::string& partName(int pass) const;
    long framesCollected() const { return framesCollected_; }
    long framesDropped() const { return framesDropped_; }
    long recordsOverflowed() const { return overflow_; }

private:
    struct Histogram;
    struct Pass;
    struct Record;
    struct Slot;

    void probe(const Features& allowed);
    int findPass(const char* name, int part, bool partTotal);
    int record(int pass, bool statistics);
    void pushGroup(const char* name) const;
    Record& addRecord(Slot& slot);
    [[nodiscard]] bool ready(const Slot& slot) const;
    void harvest(Slot& slot);
    void writeJsonFrame(const Slot& slot) const;

    Features features_;
    GLint maxLabelLength_ = 0;
    GLint maxMessageLength_ = 0;
    std::vector<Pass> passes_;
    std::vector<int> order_; // passes as the table lists them (frame order)
    std::vector<std::string> parts_;
    std::vector<Slot> ring_;
    std::vector<int> touched_;
    std::vector<PassResult> lastFrame_;
    bool lastFrameHasGpu_ = false;
    uint64_t lastFrameGpuNs_ = 0;
    int current_ = -1;
    int currentPart_ = -1;
    int partRecord_ = -1;
    int statisticsOwner_ = -1;
    int passHint_ = 0;
    int previousPass_ = -1;
    long frameCount_ = 0;
    long nextToCollect_ = 0;
    long framesCollected_ = 0;
    long framesDropped_ = 0;
    long overflow_ = 0;
    std::FILE* json_ = nullptr;
};
