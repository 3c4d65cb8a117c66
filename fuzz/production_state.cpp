// The production's part state (after decompression) over arbitrary bytes: a read must fail or
// succeed without reading past its input, and a state that reads must write back bytes that read
// again and write the very same bytes.
#include "VorndleSceneTemplate.h"

#include "core/MemoryInputStream.h"
#include "core/MemoryOutputStream.h"
#include "post/BlitEngine.h"

#include <cstdint>
#include <cstdlib>

namespace {

Ref<VorndleSceneTemplate> freshPart() {
    Ref<VorndleSceneTemplate> part = makeRef<VorndleSceneTemplate>("intro", "intro.xml");
    part->setBlitEngine(makeRef<BlitEngine>());
    return part;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Ref<VorndleSceneTemplate> part = freshPart();
    MemoryInputStream in(data, size);
    if (!part->readState(in))
        return 0;
    MemoryOutputStream first;
    if (!part->writeState(first))
        std::abort();
    Ref<VorndleSceneTemplate> again = freshPart();
    MemoryInputStream back(first.bytes().data(), first.bytes().size());
    if (!again->readState(back))
        std::abort();
    MemoryOutputStream second;
    if (!again->writeState(second) || second.bytes() != first.bytes())
        std::abort();
    return 0;
}
