#include "MasteredFile.h"

#include "AudioFile.h"
#include "TruePeakMeter.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

bool endsWith(const std::string& s, const std::string& ext) {
    return s.size() >= ext.size() && s.compare(s.size() - ext.size(), ext.size(), ext) == 0;
}

} // namespace

bool MasteredFile::write(const std::vector<float>& rendered, int rate, double targetLufs, double ceilingDb,
                         const std::string& path, double quality, std::vector<float>& output, Result& result,
                         std::string& error) {
    result = Result{};
    // Vorbis moves peaks by up to most of a dB; 16-bit files only by their rounding.
    double aim = ceilingDb - (endsWith(path, ".ogg") ? 0.8 : 0.05);
    for (int attempt = 1; attempt <= 4; ++attempt) {
        result.attempts = attempt;
        Clock::time_point t = Clock::now();
        output = rendered;
        result.master = MasterStage::process(output, rate, targetLufs, aim);
        result.masterSeconds += since(t);
        if (path.empty()) {
            result.truePeakDb = TruePeakMeter::toDb(TruePeakMeter::truePeak(output));
            return true;
        }
        t = Clock::now();
        int readRate = 0;
        if (!AudioFile::write(path, output, rate, quality, error) ||
            !AudioFile::read(path, output, readRate, error))
            return false;
        result.truePeakDb = TruePeakMeter::toDb(TruePeakMeter::truePeak(output));
        result.encodeSeconds += since(t);
        if (result.truePeakDb <= ceilingDb)
            return true;
        aim -= result.truePeakDb - ceilingDb + 0.1;
    }
    error = path + ": the true peak stays above the ceiling";
    return false;
}
