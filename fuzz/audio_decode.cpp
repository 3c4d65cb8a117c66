// Song files are untrusted bytes: decoding (and converting to the mixer's rate) must fail cleanly
// on anything, never crash or allocate without bound.
#include "app/audio/SoundDecoder.h"

#include <cstddef>
#include <cstdint>

// libsndfile 1.2.0 leaks the Vorbis info block when an Ogg file fails while its headers are read:
// not ours to free, since sf_open returns no handle.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:vorbis_info_init\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    audio::DecodedSound sound;
    if (audio::decodeSoundMemory(data, size, "fuzz", sound))
        audio::resampleSound(sound, 44100, "fuzz");
    return 0;
}
