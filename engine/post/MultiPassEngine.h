#pragma once

#include "core/Object.h"
#include "render/Framebuffer.h"
#include "render/Gl.h"
#include "render/Program.h"
#include "render/SamplerSet.h"
#include "render/VertexArrayObject.h"
#include "render/VertexBuffer.h"

#include <vector>

class Device;
class InputStream;
class OutputStream;

// Base of every full-screen effect: draws the shared unit quad with the engine's program into one
// or two framebuffers. The first target is pass A of two-pass engines, the second is pass B (and
// the only target of one-pass engines). Parameters travel in a saved block that starts with a
// four-character magic; a read either takes the whole block or changes nothing.
class MultiPassEngine : public Object {
public:
    ~MultiPassEngine() override;

    // Stores both targets and holds the process-wide quad (creating it for the first engine).
    // Subclasses call it first, then build their vertex array; they fail when the program is
    // missing.
    virtual bool setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second);
    // Drops targets, quad and vertex array; the quad goes with its last user.
    virtual void release();
    virtual void render(Device& device, const std::vector<Ref<SamplerSet>>& samplerSets, int passCount) = 0;
    [[nodiscard]] virtual bool readParams(InputStream& in) = 0;
    virtual bool writeParams(OutputStream& out) const = 0;

    // Whether set-up succeeded, so render may draw.
    [[nodiscard]] bool ready() const { return vertexArray_ != nullptr; }
    const Ref<Framebuffer>& firstTarget() const { return first_; }
    const Ref<Framebuffer>& secondTarget() const { return second_; }
    const Ref<Program>& program() const { return program_; }
    // Programs are given before set-up (the blit engine looks them up by name).
    void setProgram(const Ref<Program>& program);

    // The process-wide quad, or null while no engine holds it.
    static const Ref<VertexBuffer>& sharedQuad();

protected:
    MultiPassEngine() = default;
    explicit MultiPassEngine(const Ref<Program>& program);

    // Builds the vertex array of the quad for the program; false without a program.
    [[nodiscard]] bool buildVertexArray();
    // Blending off, all channels written; binds the target and the program.
    void beginPass(Device& device, const Ref<Framebuffer>& target) const;
    // Binds the pass's sampler set (when the device binds sets), draws the quad, unbinds the array.
    void drawPass(Device& device, const Ref<SamplerSet>& samplerSet) const;
    // Location of a uniform of the program, -1 when absent (uploads to -1 are ignored by GL).
    GLint uniformLocation(const char* name) const;
    // Set `index` of `sets`, or null past its end.
    static const Ref<SamplerSet>& samplerSet(const std::vector<Ref<SamplerSet>>& sets, size_t index);
    // The set of a ping-pong pass: pass A reads the source (set 0) on the first iteration and
    // the second target's texture (set 2) later; pass B reads the first target's texture (set 1).
    static const Ref<SamplerSet>& pingPongSet(const std::vector<Ref<SamplerSet>>& sets, int iteration,
                                              bool passB) {
        return samplerSet(sets, passB ? 1 : iteration == 0 ? 0 : 2);
    }
    // Two-pass engines need both targets; one-pass engines the second.
    bool setUpTwoPass(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second);

    Ref<Framebuffer> first_;
    Ref<Framebuffer> second_;
    Ref<VertexBuffer> quad_;
    Ref<VertexArrayObject> vertexArray_;
    Ref<Program> program_;
};
