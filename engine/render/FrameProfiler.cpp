#include "render/FrameProfiler.h"

#include "core/Diagnostics.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>

namespace {

constexpr GLenum kStatisticTargets[FrameProfiler::kStatisticCount] = {
    GL_VERTICES_SUBMITTED_ARB, GL_PRIMITIVES_SUBMITTED_ARB, GL_FRAGMENT_SHADER_INVOCATIONS_ARB};
constexpr const char* kStatisticKeys[FrameProfiler::kStatisticCount] = {"vertices", "primitives",
                                                                        "fragments"};

uint64_t nowNs() {
    return uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
}

const std::string& noName() {
    static const std::string none;
    return none;
}

void writeJsonString(std::FILE* out, const char* text) {
    std::fputc('"', out);
    for (const char* c = text; *c; ++c) {
        const unsigned char ch = static_cast<unsigned char>(*c);
        if (ch == '"' || ch == '\\')
            std::fprintf(out, "\\%c", ch);
        else if (ch < 0x20)
            std::fprintf(out, "\\u%04x", ch);
        else
            std::fputc(ch, out);
    }
    std::fputc('"', out);
}

} // namespace

const char* const FrameProfiler::kPartTotal = "total";

// Times in nanoseconds by 32 bins per octave (each within 1.1 % of its middle), so percentiles
// need no list of samples and adding one never allocates.
struct FrameProfiler::Histogram {
    static constexpr int kBinsPerOctave = 32;
    static constexpr int kBins = 42 * kBinsPerOctave;
    uint32_t bins[kBins] = {};
    long count = 0;

    void add(uint64_t ns) {
        int bin = 0;
        if (ns > 1)
            bin = std::min(kBins - 1, int(std::log2(double(ns)) * kBinsPerOctave));
        ++bins[bin];
        ++count;
    }
    double quantile(double q) const {
        if (count == 0)
            return 0;
        const long rank = std::max(1L, long(std::ceil(q * double(count))));
        long seen = 0;
        for (int i = 0; i < kBins; ++i) {
            seen += bins[i];
            if (seen >= rank)
                return std::exp2((double(i) + 0.5) / kBinsPerOctave);
        }
        return 0;
    }
};

struct FrameProfiler::Pass {
    std::string name;
    int part = -1;
    bool partTotal = false;
    long frames = 0, gpuFrames = 0, statisticsFrames = 0;
    Histogram gpu, cpu;
    double gpuSumNs = 0, cpuSumNs = 0;
    uint64_t statistics[kStatisticCount] = {};
    uint64_t pixels = 0;
    // The sums of the frame being read (a pass may run more than once in a frame).
    long stamp = -1;
    PassResult frame;
};

struct FrameProfiler::Record {
    int pass = -1;
    GLuint queries[2 + kStatisticCount] = {}; // begin and end timestamps, then the statistics
    bool statistics = false;
    uint64_t cpuStart = 0, cpuNs = 0, pixels = 0;
};

struct FrameProfiler::Slot {
    std::vector<Record> records;
    int used = 0;
    GLuint frameQueries[2] = {};
    uint64_t cpuStart = 0, cpuNs = 0;
    double beat = 0;
    long frame = -1;
    bool pending = false;
};

FrameProfiler::FrameProfiler() : FrameProfiler(Features()) {}

FrameProfiler::FrameProfiler(const Features& allowed) {
    probe(allowed);
    passes_.reserve(256);
    order_.reserve(256);
    passes_.emplace_back();
    passes_[0].name = "frame";
    ring_.resize(kRingFrames);
    for (Slot& slot : ring_) {
        slot.records.reserve(kMaxRecordsPerFrame);
        if (features_.timers)
            glGenQueries(2, slot.frameQueries);
    }
    touched_.reserve(kMaxRecordsPerFrame + 1);
    lastFrame_.reserve(kMaxRecordsPerFrame);
}

FrameProfiler::~FrameProfiler() {
    closeJson();
    for (Slot& slot : ring_) {
        for (Record& record : slot.records)
            glDeleteQueries(2 + kStatisticCount, record.queries);
        glDeleteQueries(2, slot.frameQueries);
    }
}

void FrameProfiler::probe(const Features& allowed) {
    features_ = allowed;
    if (features_.timers) {
        GLint bits = 0;
        glGetQueryiv(GL_TIMESTAMP, GL_QUERY_COUNTER_BITS, &bits);
        features_.timers = bits > 0;
    }
    features_.statistics = features_.statistics && GLEW_ARB_pipeline_statistics_query;
    features_.debugGroups = features_.debugGroups && (GLEW_KHR_debug || GLEW_VERSION_4_3) &&
                            glPushDebugGroup && glPopDebugGroup && glObjectLabel;
    if (features_.debugGroups) {
        glGetIntegerv(GL_MAX_LABEL_LENGTH, &maxLabelLength_);
        glGetIntegerv(GL_MAX_DEBUG_MESSAGE_LENGTH, &maxMessageLength_);
    }
    // A driver that does not know one of the enums says so with an error, not with a value.
    gl::clearErrors();
}

const std::string& FrameProfiler::passName(int pass) const {
    return pass >= 0 && pass < int(passes_.size()) ? passes_[size_t(pass)].name : noName();
}

const std::string& FrameProfiler::partName(int pass) const {
    if (pass < 0 || pass >= int(passes_.size()) || passes_[size_t(pass)].part < 0)
        return noName();
    return parts_[size_t(passes_[size_t(pass)].part)];
}

int FrameProfiler::findPass(const char* name, int part, bool partTotal) {
    // Passes come in the same order every frame: the search starts after the last one found.
    const int count = int(passes_.size());
    for (int k = 0; k < count; ++k) {
        const int i = (passHint_ + k) % count;
        const Pass& pass = passes_[size_t(i)];
        if (i > 0 && pass.part == part && pass.partTotal == partTotal && pass.name == name) {
            passHint_ = i + 1;
            return i;
        }
    }
    passes_.emplace_back();
    Pass& pass = passes_.back();
    pass.name = name;
    pass.part = part;
    pass.partTotal = partTotal;
    passHint_ = count + 1;
    // The table's order: a new pass goes right after the one opened before it in this frame, so
    // passes that only some frames have (the cascades once the sun is up) still sit in place.
    auto after = std::find(order_.begin(), order_.end(), previousPass_);
    order_.insert(after == order_.end() ? order_.end() : after + 1, count);
    return count;
}

FrameProfiler::Record& FrameProfiler::addRecord(Slot& slot) {
    slot.records.emplace_back();
    Record& record = slot.records.back();
    if (features_.timers)
        glGenQueries(2, record.queries);
    if (features_.statistics)
        glGenQueries(kStatisticCount, record.queries + 2);
    return record;
}

void FrameProfiler::beginFrame(double beat) {
    if (current_ >= 0)
        endFrame();
    collect(false);
    const int index = int(frameCount_ % kRingFrames);
    Slot& slot = ring_[size_t(index)];
    // Still no results after a whole ring of frames: the frame is given up rather than waited for.
    if (slot.pending) {
        slot.pending = false;
        ++framesDropped_;
    }
    slot.used = 0;
    slot.frame = frameCount_++;
    slot.beat = beat;
    current_ = index;
    currentPart_ = -1;
    partRecord_ = -1;
    previousPass_ = -1;
    statisticsOwner_ = -1;
    if (features_.timers)
        glQueryCounter(slot.frameQueries[0], GL_TIMESTAMP);
    slot.cpuStart = nowNs();
}

void FrameProfiler::endFrame() {
    if (current_ < 0)
        return;
    Slot& slot = ring_[size_t(current_)];
    slot.cpuNs = nowNs() - slot.cpuStart;
    if (features_.timers)
        glQueryCounter(slot.frameQueries[1], GL_TIMESTAMP);
    slot.pending = true;
    current_ = -1;
    currentPart_ = -1;
}

void FrameProfiler::beginPart(const char* name) {
    if (features_.debugGroups)
        pushGroup(name);
    if (current_ < 0)
        return;
    auto found = std::find(parts_.begin(), parts_.end(), name);
    currentPart_ = int(found - parts_.begin());
    if (found == parts_.end())
        parts_.emplace_back(name);
    partRecord_ = record(findPass(kPartTotal, currentPart_, true), false);
}

void FrameProfiler::endPart() {
    close(partRecord_);
    partRecord_ = -1;
    currentPart_ = -1;
}

void FrameProfiler::pushGroup(const char* name) const {
    const size_t length = std::strlen(name);
    const size_t limit = maxMessageLength_ > 1 ? size_t(maxMessageLength_ - 1) : 0;
    glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 0, GLsizei(std::min(length, limit)), name);
}

int FrameProfiler::open(const char* name, bool statistics) {
    if (features_.debugGroups)
        pushGroup(name);
    if (current_ < 0)
        return -1;
    return record(findPass(name, currentPart_, false), statistics);
}

int FrameProfiler::record(int pass, bool statistics) {
    Slot& slot = ring_[size_t(current_)];
    if (slot.used >= kMaxRecordsPerFrame) {
        ++overflow_;
        return -1;
    }
    Record& r = slot.used < int(slot.records.size()) ? slot.records[size_t(slot.used)] : addRecord(slot);
    const int index = slot.used++;
    r.pass = pass;
    previousPass_ = pass;
    r.pixels = 0;
    r.statistics = statistics && features_.statistics && statisticsOwner_ < 0;
    if (features_.timers)
        glQueryCounter(r.queries[0], GL_TIMESTAMP);
    if (r.statistics) {
        for (int k = 0; k < kStatisticCount; ++k)
            glBeginQuery(kStatisticTargets[k], r.queries[2 + k]);
        statisticsOwner_ = index;
    }
    r.cpuStart = nowNs();
    return index;
}

void FrameProfiler::close(int index) {
    if (index >= 0 && current_ >= 0 && index < ring_[size_t(current_)].used) {
        Record& r = ring_[size_t(current_)].records[size_t(index)];
        r.cpuNs = nowNs() - r.cpuStart;
        if (r.statistics) {
            for (int k = 0; k < kStatisticCount; ++k)
                glEndQuery(kStatisticTargets[k]);
            statisticsOwner_ = -1;
            GLint viewport[4] = {};
            glGetIntegerv(GL_VIEWPORT, viewport);
            r.pixels = uint64_t(std::max(viewport[2], 0)) * uint64_t(std::max(viewport[3], 0));
        }
        if (features_.timers)
            glQueryCounter(r.queries[1], GL_TIMESTAMP);
    }
    if (features_.debugGroups)
        glPopDebugGroup();
}

bool FrameProfiler::ready(const Slot& slot) const {
    GLuint last = features_.timers ? slot.frameQueries[1] : 0;
    for (int i = slot.used - 1; last == 0 && i >= 0; --i)
        if (slot.records[size_t(i)].statistics)
            last = slot.records[size_t(i)].queries[2 + kFragmentInvocations];
    if (last == 0)
        return true;
    GLint available = 0;
    glGetQueryObjectiv(last, GL_QUERY_RESULT_AVAILABLE, &available);
    return available != 0;
}

void FrameProfiler::collect(bool wait) {
    while (nextToCollect_ < frameCount_) {
        // The frame being drawn has nothing to read yet.
        if (current_ >= 0 && nextToCollect_ == frameCount_ - 1)
            break;
        Slot& slot = ring_[size_t(nextToCollect_ % kRingFrames)];
        if (slot.frame == nextToCollect_ && slot.pending) {
            if (!wait && !ready(slot))
                break;
            harvest(slot);
            slot.pending = false;
        }
        ++nextToCollect_;
    }
}

void FrameProfiler::harvest(Slot& slot) {
    auto elapsed = [](GLuint begin, GLuint end) {
        GLuint64 t0 = 0, t1 = 0;
        glGetQueryObjectui64v(begin, GL_QUERY_RESULT, &t0);
        glGetQueryObjectui64v(end, GL_QUERY_RESULT, &t1);
        return t1 > t0 ? uint64_t(t1 - t0) : uint64_t(0);
    };
    touched_.clear();
    lastFrame_.clear();
    auto add = [&](const PassResult& result) {
        Pass& pass = passes_[size_t(result.pass)];
        PassResult& sum = pass.frame;
        if (pass.stamp != slot.frame) {
            pass.stamp = slot.frame;
            sum = PassResult();
            sum.pass = result.pass;
            touched_.push_back(result.pass);
        }
        sum.hasGpu = sum.hasGpu || result.hasGpu;
        sum.hasStatistics = sum.hasStatistics || result.hasStatistics;
        sum.gpuNs += result.gpuNs;
        sum.cpuNs += result.cpuNs;
        for (int k = 0; k < kStatisticCount; ++k)
            sum.statistics[k] += result.statistics[k];
        sum.pixels += result.pixels;
    };
    for (int i = 0; i < slot.used; ++i) {
        const Record& r = slot.records[size_t(i)];
        PassResult result;
        result.pass = r.pass;
        result.cpuNs = r.cpuNs;
        if (features_.timers) {
            result.hasGpu = true;
            result.gpuNs = elapsed(r.queries[0], r.queries[1]);
        }
        if (r.statistics) {
            result.hasStatistics = true;
            result.pixels = r.pixels;
            for (int k = 0; k < kStatisticCount; ++k) {
                GLuint64 value = 0;
                glGetQueryObjectui64v(r.queries[2 + k], GL_QUERY_RESULT, &value);
                result.statistics[k] = value;
            }
        }
        lastFrame_.push_back(result);
        add(result);
    }
    PassResult frame;
    frame.pass = 0;
    frame.cpuNs = slot.cpuNs;
    frame.hasGpu = features_.timers;
    frame.gpuNs = features_.timers ? elapsed(slot.frameQueries[0], slot.frameQueries[1]) : 0;
    add(frame);
    lastFrameHasGpu_ = frame.hasGpu;
    lastFrameGpuNs_ = frame.gpuNs;

    for (int index : touched_) {
        Pass& pass = passes_[size_t(index)];
        const PassResult& sum = pass.frame;
        ++pass.frames;
        pass.cpu.add(sum.cpuNs);
        pass.cpuSumNs += double(sum.cpuNs);
        if (sum.hasGpu) {
            ++pass.gpuFrames;
            pass.gpu.add(sum.gpuNs);
            pass.gpuSumNs += double(sum.gpuNs);
        }
        if (sum.hasStatistics) {
            ++pass.statisticsFrames;
            for (int k = 0; k < kStatisticCount; ++k)
                pass.statistics[k] += sum.statistics[k];
            pass.pixels += sum.pixels;
        }
    }
    ++framesCollected_;
    if (json_)
        writeJsonFrame(slot);
}

bool FrameProfiler::writeJson(const std::string& path) {
    closeJson();
    json_ = std::fopen(path.c_str(), "w");
    if (!json_) {
        diagnostic(path.c_str(), "--profile-json", "cannot write the profile: %s", std::strerror(errno));
        return false;
    }
    return true;
}

void FrameProfiler::closeJson() {
    if (json_)
        std::fclose(json_);
    json_ = nullptr;
}

void FrameProfiler::writeJsonFrame(const Slot& slot) const {
    std::FILE* out = json_;
    auto milliseconds = [out](bool present, uint64_t ns) {
        if (present)
            std::fprintf(out, "%.4f", double(ns) * 1e-6);
        else
            std::fputs("null", out);
    };
    std::fprintf(out, "{\"frame\":%ld,\"beat\":%.4f,\"gpu_ms\":", slot.frame, slot.beat);
    milliseconds(lastFrameHasGpu_, lastFrameGpuNs_);
    std::fputs(",\"cpu_ms\":", out);
    milliseconds(true, slot.cpuNs);
    std::fputs(",\"passes\":[", out);
    for (size_t i = 0; i < lastFrame_.size(); ++i) {
        const PassResult& r = lastFrame_[i];
        const Pass& pass = passes_[size_t(r.pass)];
        std::fputs(i ? ",{\"part\":" : "{\"part\":", out);
        if (pass.part >= 0)
            writeJsonString(out, parts_[size_t(pass.part)].c_str());
        else
            std::fputs("null", out);
        std::fputs(",\"pass\":", out);
        writeJsonString(out, pass.name.c_str());
        std::fputs(",\"gpu_ms\":", out);
        milliseconds(r.hasGpu, r.gpuNs);
        std::fputs(",\"cpu_ms\":", out);
        milliseconds(true, r.cpuNs);
        for (int k = 0; k < kStatisticCount; ++k) {
            std::fprintf(out, ",\"%s\":", kStatisticKeys[k]);
            if (r.hasStatistics)
                std::fprintf(out, "%llu", static_cast<unsigned long long>(r.statistics[k]));
            else
                std::fputs("null", out);
        }
        if (r.hasStatistics)
            std::fprintf(out, ",\"pixels\":%llu}", static_cast<unsigned long long>(r.pixels));
        else
            std::fputs(",\"pixels\":null}", out);
    }
    std::fputs("]}\n", out);
}

void FrameProfiler::labelObject(GLenum identifier, GLuint name, const std::string& label) const {
    if (!features_.debugGroups || name == 0 || maxLabelLength_ <= 1)
        return;
    const size_t length = std::min(label.size(), size_t(maxLabelLength_ - 1));
    glObjectLabel(identifier, name, GLsizei(length), label.c_str());
}

std::vector<FrameProfiler::PassSummary> FrameProfiler::summary() const {
    std::vector<PassSummary> rows;
    for (int i : order_) {
        const Pass& pass = passes_[size_t(i)];
        if (pass.frames == 0)
            continue;
        // A part's passes are shares of the part; passes outside every part, of the frame.
        const Pass* whole = &passes_[0];
        for (const Pass& other : passes_)
            if (pass.part >= 0 && other.partTotal && other.part == pass.part)
                whole = &other;
        PassSummary row;
        row.part = pass.part >= 0 ? parts_[size_t(pass.part)] : std::string();
        row.name = pass.name;
        row.frames = pass.frames;
        row.hasGpu = pass.gpuFrames > 0;
        row.hasStatistics = pass.statisticsFrames > 0;
        row.gpuMedianMs = pass.gpu.quantile(0.5) * 1e-6;
        row.gpuP95Ms = pass.gpu.quantile(0.95) * 1e-6;
        row.cpuMedianMs = pass.cpu.quantile(0.5) * 1e-6;
        row.cpuP95Ms = pass.cpu.quantile(0.95) * 1e-6;
        if (row.hasGpu && whole->gpuSumNs > 0)
            row.share = pass.gpuSumNs / whole->gpuSumNs;
        else if (!row.hasGpu && whole->cpuSumNs > 0)
            row.share = pass.cpuSumNs / whole->cpuSumNs;
        if (row.hasStatistics) {
            for (int k = 0; k < kStatisticCount; ++k)
                row.statistics[k] = double(pass.statistics[k]) / double(pass.statisticsFrames);
            if (pass.pixels > 0)
                row.overdraw = double(pass.statistics[kFragmentInvocations]) / double(pass.pixels);
        }
        rows.push_back(row);
    }
    return rows;
}

void FrameProfiler::printTable(std::FILE* out) const {
    const Pass& frame = passes_[0];
    std::fprintf(out, "profile: %ld frames", frame.frames);
    if (framesDropped_ > 0)
        std::fprintf(out, " (%ld more dropped: their results came too late)", framesDropped_);
    if (frame.frames > 0) {
        std::fprintf(out, ", frame median %.3f ms CPU", frame.cpu.quantile(0.5) * 1e-6);
        if (frame.gpuFrames > 0)
            std::fprintf(out, ", %.3f ms GPU", frame.gpu.quantile(0.5) * 1e-6);
    }
    std::fputc('\n', out);
    if (!features_.timers)
        std::fputs("  GPU times: n/a (the driver has no timer queries)\n", out);
    if (!features_.statistics)
        std::fputs("  statistics: n/a (the driver has no pipeline statistics queries)\n", out);
    if (overflow_ > 0)
        std::fprintf(out, "  %ld passes went unrecorded (more than %d in a frame)\n", overflow_,
                     kMaxRecordsPerFrame);

    const std::vector<PassSummary> rows = summary();
    for (int part = -1; part < int(parts_.size()); ++part) {
        const char* partLabel = part >= 0 ? parts_[size_t(part)].c_str() : nullptr;
        bool header = false;
        for (const PassSummary& row : rows) {
            if ((part >= 0) != !row.part.empty() || (partLabel && row.part != partLabel))
                continue;
            if (!header) {
                if (partLabel)
                    std::fprintf(out, "part %s\n", partLabel);
                else
                    std::fputs("outside parts\n", out);
                std::fprintf(out, "  %-28s %6s %9s %9s %9s %9s %6s %11s %11s %11s %8s\n", "pass", "frames",
                             "GPU ms", "GPU p95", "CPU ms", "CPU p95", "share", "vertices", "primitives",
                             "fragments", "overdraw");
                header = true;
            }
            std::fprintf(out, "  %-28s %6ld", row.name.c_str(), row.frames);
            if (row.hasGpu)
                std::fprintf(out, " %9.3f %9.3f", row.gpuMedianMs, row.gpuP95Ms);
            else
                std::fprintf(out, " %9s %9s", "n/a", "n/a");
            std::fprintf(out, " %9.3f %9.3f %5.1f%%", row.cpuMedianMs, row.cpuP95Ms, row.share * 100.0);
            if (row.hasStatistics) {
                std::fprintf(out, " %11.0f %11.0f %11.0f", row.statistics[0], row.statistics[1],
                             row.statistics[2]);
                if (row.overdraw > 0)
                    std::fprintf(out, " %8.2f\n", row.overdraw);
                else
                    std::fprintf(out, " %8s\n", "-");
            } else {
                const char* none = features_.statistics ? "-" : "n/a";
                std::fprintf(out, " %11s %11s %11s %8s\n", none, none, none, none);
            }
        }
    }
}
