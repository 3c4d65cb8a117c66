// Song files are untrusted bytes: decoding (and converting to the mixer's rate) must fail cleanly
// on anything, never crash or allocate without bound.
#include "app/audio/SoundDecoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    audio::DecodedSound sound;
    if (audio::decodeSoundMemory(data, size, "fuzz", sound))
        audio::resampleSound(sound, 44100, "fuzz");
    return 0;
}
