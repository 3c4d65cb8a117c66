// The device's checking mode: what the caches and bindings believe, read back from GL.
#include "render/CodeTables.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/IndexBuffer.h"
#include "render/Program.h"
#include "render/Sampler.h"
#include "render/SamplerSet.h"
#include "render/VertexArrayObject.h"
#include "render/VertexBuffer.h"

#include <cmath>
#include <cstdio>

namespace {

Device::StateDifferenceHandler gHandler = nullptr;
unsigned long gDifferences = 0;

GLint getInt(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// Masks read as 64 bits: as a plain integer GL clamps an all-ones mask to the largest int.
GLint64 getInt64(GLenum name) {
    GLint64 value = 0;
    glGetInteger64v(name, &value);
    return value;
}

GLint getIndexedInt(GLenum name, GLuint index) {
    GLint value = 0;
    glGetIntegeri_v(name, index, &value);
    return value;
}

float getFloat(GLenum name) {
    GLfloat value = 0;
    glGetFloatv(name, &value);
    return value;
}

GLenum textureBindingQuery(GLenum target) {
    switch (target) {
    case GL_TEXTURE_1D:
        return GL_TEXTURE_BINDING_1D;
    case GL_TEXTURE_1D_ARRAY:
        return GL_TEXTURE_BINDING_1D_ARRAY;
    case GL_TEXTURE_2D:
        return GL_TEXTURE_BINDING_2D;
    case GL_TEXTURE_2D_ARRAY:
        return GL_TEXTURE_BINDING_2D_ARRAY;
    case GL_TEXTURE_2D_MULTISAMPLE:
        return GL_TEXTURE_BINDING_2D_MULTISAMPLE;
    case GL_TEXTURE_3D:
        return GL_TEXTURE_BINDING_3D;
    case GL_TEXTURE_CUBE_MAP:
        return GL_TEXTURE_BINDING_CUBE_MAP;
    case GL_TEXTURE_CUBE_MAP_ARRAY:
        return GL_TEXTURE_BINDING_CUBE_MAP_ARRAY;
    case GL_TEXTURE_RECTANGLE:
        return GL_TEXTURE_BINDING_RECTANGLE;
    case GL_TEXTURE_BUFFER:
        return GL_TEXTURE_BINDING_BUFFER;
    }
    return 0;
}

GLenum bufferBindingQuery(GLenum target) {
    switch (target) {
    case GL_UNIFORM_BUFFER:
        return GL_UNIFORM_BUFFER_BINDING;
    case GL_TRANSFORM_FEEDBACK_BUFFER:
        return GL_TRANSFORM_FEEDBACK_BUFFER_BINDING;
    case GL_SHADER_STORAGE_BUFFER:
        return GL_SHADER_STORAGE_BUFFER_BINDING;
    case GL_ATOMIC_COUNTER_BUFFER:
        return GL_ATOMIC_COUNTER_BUFFER_BINDING;
    }
    return 0;
}

// Keeps the first difference among the comparisons made through it.
class Comparison {
public:
    enum Kind { Flag, Enum, Number, Name };

    bool differs() const { return !what_.empty(); }
    const std::string& report() const { return what_; }

    void check(Kind kind, const std::string& state, long long believed, long long held) {
        if (believed != held && !differs())
            what_ = state + ": the cache believes " + text(kind, believed) + ", GL holds " + text(kind, held);
    }
    void flag(const char* state, bool believed, GLenum capability) {
        check(Flag, state, believed, glIsEnabled(capability) == GL_TRUE);
    }
    void number(const char* state, float believed, float held) {
        if (std::fabs(believed - held) > 1e-6f && !differs()) {
            char text[96];
            std::snprintf(text, sizeof text, ": the cache believes %g, GL holds %g", double(believed),
                          double(held));
            what_ = state + std::string(text);
        }
    }

private:
    static std::string text(Kind kind, long long value) {
        char out[32];
        switch (kind) {
        case Flag:
            return value ? "on" : "off";
        case Enum:
            std::snprintf(out, sizeof out, "0x%04llX", value);
            return out;
        case Number:
            return std::to_string(value);
        case Name:
            return value ? "GL name " + std::to_string(value) : "none (0)";
        }
        return std::to_string(value);
    }

    std::string what_;
};

} // namespace

void Device::setStateDifferenceHandler(StateDifferenceHandler handler) {
    gHandler = handler;
}

unsigned long Device::stateDifferencesReported() {
    return gDifferences;
}

// `line` 0 means `file` names the device operation after which the check ran.
void Device::verifyState(const char* file, int line) {
    Comparison c;
    using K = Comparison;

    const BlendState& b = blend_;
    c.flag("blending (GL_BLEND)", b.enabled, GL_BLEND);
    // Zero alpha factors were sent through glBlendFunc, which sets alpha like RGB.
    const bool alphaLikeRgb = b.srcAlpha == 0 && b.dstAlpha == 0;
    c.check(K::Enum, "blend source RGB factor", codes::blendFactor(b.srcRGB), getInt(GL_BLEND_SRC_RGB));
    c.check(K::Enum, "blend destination RGB factor", codes::blendFactor(b.dstRGB), getInt(GL_BLEND_DST_RGB));
    c.check(K::Enum, "blend source alpha factor", codes::blendFactor(alphaLikeRgb ? b.srcRGB : b.srcAlpha),
            getInt(GL_BLEND_SRC_ALPHA));
    c.check(K::Enum, "blend destination alpha factor",
            codes::blendFactor(alphaLikeRgb ? b.dstRGB : b.dstAlpha), getInt(GL_BLEND_DST_ALPHA));
    c.check(K::Enum, "blend equation (RGB)", codes::blendEquation(b.equation), getInt(GL_BLEND_EQUATION_RGB));
    c.check(K::Enum, "blend equation (alpha)", codes::blendEquation(b.equation),
            getInt(GL_BLEND_EQUATION_ALPHA));
    GLboolean mask[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    static const char* const kMaskNames[4] = {"colour mask red", "colour mask green", "colour mask blue",
                                              "colour mask alpha"};
    for (int i = 0; i < 4; ++i)
        c.check(K::Flag, kMaskNames[i], b.colorMask[i], mask[i] == GL_TRUE);

    const DepthStencilState& d = depthStencil_;
    c.flag("depth test (GL_DEPTH_TEST)", d.depthTest, GL_DEPTH_TEST);
    c.check(K::Enum, "depth function", codes::compareFunction(d.depthFunc), getInt(GL_DEPTH_FUNC));
    c.check(K::Flag, "depth write mask", d.depthWrite, getInt(GL_DEPTH_WRITEMASK) != 0);
    c.flag("depth clamping (GL_DEPTH_CLAMP)", d.depthClamp, GL_DEPTH_CLAMP);
    GLfloat range[2] = {};
    glGetFloatv(GL_DEPTH_RANGE, range);
    c.number("depth range near", d.depthNear, range[0]);
    c.number("depth range far", d.depthFar, range[1]);
    c.flag("stencil test (GL_STENCIL_TEST)", d.stencilTest, GL_STENCIL_TEST);
    c.check(K::Enum, "stencil function", codes::compareFunction(d.stencilFunc), getInt(GL_STENCIL_FUNC));
    c.check(K::Number, "stencil reference", d.stencilRef, getInt(GL_STENCIL_REF));
    c.check(K::Enum, "stencil compare mask", GLuint(d.stencilMask), getInt64(GL_STENCIL_VALUE_MASK));
    c.check(K::Enum, "stencil write mask", GLuint(d.stencilMask), getInt64(GL_STENCIL_WRITEMASK));
    c.check(K::Enum, "stencil fail operation", codes::stencilOperation(d.stencilFail),
            getInt(GL_STENCIL_FAIL));
    c.check(K::Enum, "stencil depth-fail operation", codes::stencilOperation(d.stencilDepthFail),
            getInt(GL_STENCIL_PASS_DEPTH_FAIL));
    c.check(K::Enum, "stencil depth-pass operation", codes::stencilOperation(d.stencilDepthPass),
            getInt(GL_STENCIL_PASS_DEPTH_PASS));

    const RasterizerState& r = rasterizer_;
    c.flag("face culling (GL_CULL_FACE)", r.cullEnabled, GL_CULL_FACE);
    c.check(K::Enum, "front face winding", codes::winding(r.frontFace), getInt(GL_FRONT_FACE));
    c.check(K::Enum, "culled face", codes::cullFace(r.cullFace), getInt(GL_CULL_FACE_MODE));
    c.flag("scissor test (GL_SCISSOR_TEST)", r.scissorTest, GL_SCISSOR_TEST);
    c.number("point size", r.pointSize, getFloat(GL_POINT_SIZE));
    c.number("line width", r.lineWidth, getFloat(GL_LINE_WIDTH));
    // Core contexts keep only the read clamp; the vertex and fragment clamps have no state there.
    c.check(K::Enum, "read colour clamp", r.clampReadColor ? GL_TRUE : GL_FALSE, getInt(GL_CLAMP_READ_COLOR));
    for (int mode = 0; mode < 3; ++mode) {
        static const char* const kOffsetNames[3] = {"polygon offset (fill)", "polygon offset (line)",
                                                    "polygon offset (point)"};
        c.flag(kOffsetNames[mode], r.polygonOffsetEnabled && r.polygonOffsetMode == mode,
               codes::polygonOffsetMode(mode));
    }
    c.number("polygon offset factor", r.polygonOffsetFactor, getFloat(GL_POLYGON_OFFSET_FACTOR));
    c.number("polygon offset units", r.polygonOffsetUnits, getFloat(GL_POLYGON_OFFSET_UNITS));
    c.flag("rasterizer discard", rasterizerDiscardEnabled_, GL_RASTERIZER_DISCARD);
    c.flag("program point size", programPointSizeEnabled_, GL_PROGRAM_POINT_SIZE);

    if (viewportWidth_ >= 0) {
        GLint box[4] = {};
        glGetIntegerv(GL_VIEWPORT, box);
        c.check(K::Number, "viewport x", 0, box[0]);
        c.check(K::Number, "viewport y", 0, box[1]);
        c.check(K::Number, "viewport width", viewportWidth_, box[2]);
        c.check(K::Number, "viewport height", viewportHeight_, box[3]);
        glGetIntegerv(GL_SCISSOR_BOX, box);
        c.check(K::Number, "scissor x", 0, box[0]);
        c.check(K::Number, "scissor y", 0, box[1]);
        c.check(K::Number, "scissor width", viewportWidth_, box[2]);
        c.check(K::Number, "scissor height", viewportHeight_, box[3]);
    }

    c.check(K::Name, "draw framebuffer", framebuffer_ ? framebuffer_->glName() : 0,
            getInt(GL_DRAW_FRAMEBUFFER_BINDING));
    c.check(K::Name, "program", program_ ? program_->glName() : 0, getInt(GL_CURRENT_PROGRAM));
    const VertexArrayObject& array = vertexArray_ ? *vertexArray_ : *defaultVertexArray_;
    c.check(K::Name, "vertex array", array.glName(), getInt(GL_VERTEX_ARRAY_BINDING));
    if (!vertexArray_) {
        // The device's own array: its element buffer, and the arrays bindVertexBuffer pointed at
        // the vertex buffer for the program now bound.
        if (indexBuffer_)
            c.check(K::Name, "index buffer", indexBuffer_->glName(), getInt(GL_ELEMENT_ARRAY_BUFFER_BINDING));
        if (vertexBuffer_ && program_)
            for (GLuint location : program_->attributeLocations()) {
                GLint enabled = 0, buffer = 0;
                glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
                if (!enabled)
                    continue;
                glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
                c.check(K::Name, "vertex attribute " + std::to_string(location) + " buffer",
                        vertexBuffer_->glName(), buffer);
            }
    }
    if (bufferBindings_)
        for (const BufferBindings::Binding& binding : bufferBindings_->bindings())
            if (GLenum query = bufferBindingQuery(binding.buffer->glTarget()))
                c.check(K::Name, "buffer on binding point " + std::to_string(binding.point),
                        binding.buffer->glName(), getIndexedInt(query, binding.point));

    const bool texturesBound = samplerSet_ && !samplerSet_->bindings().empty();
    const bool samplersBound = program_ && !program_->samplerUnits().empty();
    if (texturesBound || samplersBound) {
        const GLint activeUnit = getInt(GL_ACTIVE_TEXTURE);
        if (texturesBound) {
            const auto& pairs = samplerSet_->bindings();
            for (size_t i = 0; i < pairs.size(); ++i) {
                const GLenum target = pairs[i].texture->glTarget();
                // A later pair on the same unit and target replaced this one.
                bool replaced = false;
                for (size_t j = i + 1; j < pairs.size(); ++j)
                    replaced = replaced ||
                               (pairs[j].unit == pairs[i].unit && pairs[j].texture->glTarget() == target);
                const GLenum query = textureBindingQuery(target);
                if (replaced || !query)
                    continue;
                glActiveTexture(GL_TEXTURE0 + GLenum(pairs[i].unit));
                c.check(K::Name, "texture on unit " + std::to_string(pairs[i].unit),
                        pairs[i].texture->glName(), getInt(query));
            }
        }
        if (samplersBound)
            for (size_t i = 0; i < program_->samplerUnits().size(); ++i) {
                glActiveTexture(GL_TEXTURE0 + program_->samplerUnits()[i]);
                c.check(K::Name, "sampler object on unit " + std::to_string(program_->samplerUnits()[i]),
                        program_->samplerObjects()[i]->glName(), getInt(GL_SAMPLER_BINDING));
            }
        glActiveTexture(GLenum(activeUnit));
    }

    if (!c.differs())
        return;
    // Once is enough: everything after the first difference may follow from it.
    stateChecking_ = false;
    ++gDifferences;
    std::string report = "GL state differs from the device's cache ";
    report += line ? std::string("before the draw at ") + file + ":" + std::to_string(line)
                   : std::string("after ") + file;
    report += ": " + c.report();
    if (gHandler)
        gHandler(report);
    else
        std::fprintf(stderr, "%s\n", report.c_str());
}
