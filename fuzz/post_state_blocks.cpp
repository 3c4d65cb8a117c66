// The post-processing chain's saved blocks over arbitrary bytes: the first byte picks the reader
// (the whole "BLIT" block or one engine's block), the rest is the block. A read that fails must
// leave the values as they were; one that succeeds must write back what a second read accepts
// unchanged (byte for byte, and the very bytes read except for renormalised streak weights);
// no read may pass the end of its input.
#include "core/MemoryInputStream.h"
#include "core/MemoryOutputStream.h"
#include "post/BlitEngine.h"
#include "post/BlurEngine.h"
#include "post/FXAAEngine.h"
#include "post/GlowEngine.h"
#include "post/LightStreaksEngine.h"
#include "post/MotionBlurEngine.h"
#include "post/RadialBlurEngine.h"
#include "post/SSAOEngine.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

struct Reader {
    virtual ~Reader() = default;
    virtual bool read(InputStream& in) = 0;
    virtual Bytes written() const = 0;
};

struct ChainReader : Reader {
    Ref<BlitEngine> blit = makeRef<BlitEngine>();
    bool read(InputStream& in) override { return blit->readState(in); }
    Bytes written() const override {
        MemoryOutputStream out;
        if (!blit->writeState(out))
            std::abort();
        return out.bytes();
    }
};

struct EngineReader : Reader {
    explicit EngineReader(int which) {
        switch (which) {
        case 1:
            engine = makeRef<FXAAEngine>();
            break;
        case 2:
            engine = makeRef<SSAOEngine>();
            break;
        case 3:
            engine = makeRef<BlurEngine>();
            break;
        case 4:
            engine = makeRef<GlowEngine>();
            break;
        case 5:
            engine = makeRef<RadialBlurEngine>();
            break;
        case 6:
            engine = makeRef<LightStreaksEngine>();
            break;
        default:
            engine = makeRef<MotionBlurEngine>();
            break;
        }
    }
    bool read(InputStream& in) override { return engine->readParams(in); }
    Bytes written() const override {
        MemoryOutputStream out;
        if (!engine->writeParams(out))
            std::abort();
        return out.bytes();
    }
    Ref<MultiPassEngine> engine;
};

Reader* makeReader(int which, ChainReader& chain, EngineReader& engine) {
    return which == 0 ? static_cast<Reader*>(&chain) : static_cast<Reader*>(&engine);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const int which = data[0] % 8;
    const Bytes block(data + 1, data + size);
    ChainReader chain;
    EngineReader engine(which);
    Reader* reader = makeReader(which, chain, engine);

    const Bytes before = reader->written();
    MemoryInputStream in(block.data(), block.size());
    const bool ok = reader->read(in);
    if (in.position() > block.size())
        std::abort();
    const Bytes after = reader->written();
    if (!ok) {
        if (after != before)
            std::abort(); // a failed read changed something
        return 0;
    }
    // Weights are renormalised on reading, so only blocks with streak weights may differ.
    const bool renormalises = which == 0 || which == 6;
    if (!renormalises &&
        (after.size() != in.position() || std::memcmp(after.data(), block.data(), after.size()) != 0))
        std::abort();

    ChainReader chainAgain;
    EngineReader engineAgain(which);
    Reader* again = makeReader(which, chainAgain, engineAgain);
    MemoryInputStream second(after.data(), after.size());
    if (!again->read(second) || second.position() != after.size() || again->written() != after)
        std::abort();
    return 0;
}
