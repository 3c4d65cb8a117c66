// The binary "ENVL" envelope record reader over arbitrary bytes.
#include "core/MemoryInputStream.h"
#include "scene/Envelope.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryInputStream in(data, size, "fuzz");
    Ref<Envelope> e = makeRef<Envelope>();
    if (e->read(in)) {
        for (float t : {-3.5f, 0.0f, 0.5f, 1.0f, 7.25f, 1e6f})
            e->evaluate(t);
    }
    return 0;
}
