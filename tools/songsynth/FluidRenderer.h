#pragma once

#include "ScoreCompiler.h"

#include <string>
#include <vector>

// Plays a compiled song through libfluidsynth with a General MIDI SoundFont, offline, into
// interleaved stereo floats at the song's rate. Events take effect on the synthesiser's 64-frame
// block boundary nearest to their frame (within 32 frames, 0.7 ms at 44.1 kHz).
//
// With more than one thread the channels are shared out among that many synthesisers, each
// rendering its own channels with the same reverb and chorus (both linear, so the sum is one
// synthesiser's output to within about -50 dB); the parts are added in a fixed order, so a given
// thread count always gives the same samples. Every part runs both effects, since the SoundFont's
// instruments send to them of their own accord.
class FluidRenderer {
public:
    static constexpr const char* defaultSoundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

    [[nodiscard]] static bool render(const CompiledSong& song, const std::string& soundFont, int threads,
                                     std::vector<float>& stereo, std::string& error);
};
