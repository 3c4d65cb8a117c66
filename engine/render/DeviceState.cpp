#include "render/CodeTables.h"
#include "render/Device.h"

#include <algorithm>
#include <cmath>

namespace {

void setCapability(GLenum capability, bool enabled) {
    if (enabled)
        glEnable(capability);
    else
        glDisable(capability);
}

} // namespace

// The caches decide once per record: with them off, every comparison below answers "differs"
// at compile time, so the calls go out as if nothing were known of GL.
void Device::applyBlend(const BlendState& state) {
    cachesEnabled_ ? sendBlend<true>(state) : sendBlend<false>(state);
    if (stateChecking_)
        verifyState("Device::applyBlend", 0);
}

void Device::applyDepthStencil(const DepthStencilState& state) {
    cachesEnabled_ ? sendDepthStencil<true>(state) : sendDepthStencil<false>(state);
    if (stateChecking_)
        verifyState("Device::applyDepthStencil", 0);
}

void Device::applyRasterizer(const RasterizerState& state) {
    cachesEnabled_ ? sendRasterizer<true>(state) : sendRasterizer<false>(state);
    if (stateChecking_)
        verifyState("Device::applyRasterizer", 0);
}

template <bool Known> void Device::sendBlend(const BlendState& s) {
    BlendState& c = blend_;
    if (s.enabled) {
        if (!Known || !c.enabled) {
            glEnable(GL_BLEND);
            ++stateCalls_;
            c.enabled = true;
        } else {
            ++stateCallsRemoved_;
        }
        if (!Known || s.srcRGB != c.srcRGB || s.dstRGB != c.dstRGB || s.srcAlpha != c.srcAlpha ||
            s.dstAlpha != c.dstAlpha) {
            // Zero alpha factors stand for "alpha blends like RGB".
            if (s.srcAlpha == 0 && s.dstAlpha == 0)
                glBlendFunc(codes::blendFactor(s.srcRGB), codes::blendFactor(s.dstRGB));
            else
                glBlendFuncSeparate(codes::blendFactor(s.srcRGB), codes::blendFactor(s.dstRGB),
                                    codes::blendFactor(s.srcAlpha), codes::blendFactor(s.dstAlpha));
            ++stateCalls_;
            c.srcRGB = s.srcRGB;
            c.dstRGB = s.dstRGB;
            c.srcAlpha = s.srcAlpha;
            c.dstAlpha = s.dstAlpha;
        } else {
            ++stateCallsRemoved_;
        }
    } else if (!Known || c.enabled) {
        glDisable(GL_BLEND);
        ++stateCalls_;
        c.enabled = false;
    } else {
        ++stateCallsRemoved_;
    }
    if (!Known || s.equation != c.equation) {
        glBlendEquation(codes::blendEquation(s.equation));
        ++stateCalls_;
        c.equation = s.equation;
    } else {
        ++stateCallsRemoved_;
    }
    if (!Known || !std::equal(s.colorMask, s.colorMask + 4, c.colorMask)) {
        glColorMask(s.colorMask[0], s.colorMask[1], s.colorMask[2], s.colorMask[3]);
        ++stateCalls_;
        std::copy(s.colorMask, s.colorMask + 4, c.colorMask);
    } else {
        ++stateCallsRemoved_;
    }
}

template <bool Known> void Device::sendDepthStencil(const DepthStencilState& s) {
    DepthStencilState& c = depthStencil_;
    if (s.depthTest) {
        if (!Known || !c.depthTest) {
            glEnable(GL_DEPTH_TEST);
            ++stateCalls_;
            c.depthTest = true;
        } else {
            ++stateCallsRemoved_;
        }
        if (!Known || s.depthFunc != c.depthFunc) {
            glDepthFunc(codes::compareFunction(s.depthFunc));
            ++stateCalls_;
            c.depthFunc = s.depthFunc;
        } else {
            ++stateCallsRemoved_;
        }
    } else if (!Known || c.depthTest) {
        glDisable(GL_DEPTH_TEST);
        ++stateCalls_;
        c.depthTest = false;
    } else {
        ++stateCallsRemoved_;
    }
    if (!Known || s.depthWrite != c.depthWrite) {
        glDepthMask(s.depthWrite ? GL_TRUE : GL_FALSE);
        ++stateCalls_;
        c.depthWrite = s.depthWrite;
    } else {
        ++stateCallsRemoved_;
    }
    const bool clampDiffers = !Known || s.depthClamp != c.depthClamp;
    if (!clampDiffers)
        ++stateCallsRemoved_;
    if (clampDiffers) {
        setCapability(GL_DEPTH_CLAMP, s.depthClamp);
        ++stateCalls_;
        c.depthClamp = s.depthClamp;
        if (s.depthClamp) {
            c.depthNear = std::min(s.depthNear, s.depthFar);
            c.depthFar = std::max(s.depthNear, s.depthFar);
            glDepthRange(c.depthNear, c.depthFar);
            ++stateCalls_;
        }
    }
    if (s.stencilTest) {
        if (!Known || !c.stencilTest) {
            glEnable(GL_STENCIL_TEST);
            ++stateCalls_;
            c.stencilTest = true;
        } else {
            ++stateCallsRemoved_;
        }
        if (!Known || s.stencilFail != c.stencilFail || s.stencilDepthFail != c.stencilDepthFail ||
            s.stencilDepthPass != c.stencilDepthPass) {
            glStencilOp(codes::stencilOperation(s.stencilFail), codes::stencilOperation(s.stencilDepthFail),
                        codes::stencilOperation(s.stencilDepthPass));
            ++stateCalls_;
            c.stencilFail = s.stencilFail;
            c.stencilDepthFail = s.stencilDepthFail;
            c.stencilDepthPass = s.stencilDepthPass;
        } else {
            ++stateCallsRemoved_;
        }
        // The mask is both the write mask and the compare mask, so a mask change re-sends both.
        if (!Known || s.stencilMask != c.stencilMask) {
            glStencilMask(GLuint(s.stencilMask));
            ++stateCalls_;
        } else {
            ++stateCallsRemoved_;
        }
        if (!Known || s.stencilRef != c.stencilRef || s.stencilMask != c.stencilMask ||
            s.stencilFunc != c.stencilFunc) {
            glStencilFunc(codes::compareFunction(s.stencilFunc), s.stencilRef, GLuint(s.stencilMask));
            ++stateCalls_;
        } else {
            ++stateCallsRemoved_;
        }
        c.stencilRef = s.stencilRef;
        c.stencilMask = s.stencilMask;
        c.stencilFunc = s.stencilFunc;
    } else if (!Known || c.stencilTest) {
        glDisable(GL_STENCIL_TEST);
        ++stateCalls_;
        c.stencilTest = false;
    } else {
        ++stateCallsRemoved_;
    }
}

template <bool Known> void Device::sendRasterizer(const RasterizerState& s) {
    RasterizerState& c = rasterizer_;
    if (!Known || s.cullEnabled != c.cullEnabled) {
        setCapability(GL_CULL_FACE, s.cullEnabled);
        ++stateCalls_;
        c.cullEnabled = s.cullEnabled;
    } else {
        ++stateCallsRemoved_;
    }
    if (!Known || s.frontFace != c.frontFace) {
        glFrontFace(codes::winding(s.frontFace));
        ++stateCalls_;
        c.frontFace = s.frontFace;
    } else {
        ++stateCallsRemoved_;
    }
    if (!Known || s.cullFace != c.cullFace) {
        glCullFace(codes::cullFace(s.cullFace));
        ++stateCalls_;
        c.cullFace = s.cullFace;
    } else {
        ++stateCallsRemoved_;
    }
    if (!Known || s.scissorTest != c.scissorTest) {
        setCapability(GL_SCISSOR_TEST, s.scissorTest);
        ++stateCalls_;
        c.scissorTest = s.scissorTest;
    } else {
        ++stateCallsRemoved_;
    }
    // Sizes closer than 0.1 count as equal and are not cached either.
    if (!Known || std::fabs(s.pointSize - c.pointSize) > 0.1f) {
        glPointSize(s.pointSize);
        ++stateCalls_;
        c.pointSize = s.pointSize;
    } else {
        ++stateCallsRemoved_;
    }
    // Forward-compatible contexts refuse widths above one (GL keeps the old width and records an
    // error), so there the widest line is one pixel.
    const float lineWidth = wideLines_ ? s.lineWidth : std::min(s.lineWidth, 1.0f);
    if (!Known || std::fabs(lineWidth - c.lineWidth) > 0.1f) {
        glLineWidth(lineWidth);
        ++stateCalls_;
        c.lineWidth = lineWidth;
    } else {
        ++stateCallsRemoved_;
    }
    auto clamp = [this](bool wanted, bool& cached, GLenum target) {
        // Core contexts have only the read clamp; without the caches the other two are not sent
        // unasked (GL would refuse them with an error).
        if (!Known && target != GL_CLAMP_READ_COLOR && !vertexFragmentClamps_)
            return;
        if (!Known || wanted != cached) {
            glClampColor(target, wanted ? GL_TRUE : GL_FALSE);
            ++stateCalls_;
            cached = wanted;
        } else {
            ++stateCallsRemoved_;
        }
    };
    clamp(s.clampFragmentColor, c.clampFragmentColor, GL_CLAMP_FRAGMENT_COLOR);
    clamp(s.clampVertexColor, c.clampVertexColor, GL_CLAMP_VERTEX_COLOR);
    clamp(s.clampReadColor, c.clampReadColor, GL_CLAMP_READ_COLOR);
    if (s.polygonOffsetEnabled) {
        if (!Known) {
            // Any other mode may be on.
            for (int mode = 0; mode < 3; ++mode)
                if (mode != s.polygonOffsetMode) {
                    glDisable(codes::polygonOffsetMode(mode));
                    ++stateCalls_;
                }
        } else if (s.polygonOffsetMode != c.polygonOffsetMode) {
            glDisable(codes::polygonOffsetMode(c.polygonOffsetMode));
            ++stateCalls_;
        }
        glEnable(codes::polygonOffsetMode(s.polygonOffsetMode));
        glPolygonOffset(s.polygonOffsetFactor, s.polygonOffsetUnits);
        stateCalls_ += 2;
        c.polygonOffsetEnabled = true;
        c.polygonOffsetMode = s.polygonOffsetMode;
        c.polygonOffsetFactor = s.polygonOffsetFactor;
        c.polygonOffsetUnits = s.polygonOffsetUnits;
    } else if (!Known) {
        for (int mode = 0; mode < 3; ++mode)
            glDisable(codes::polygonOffsetMode(mode));
        stateCalls_ += 3;
        c.polygonOffsetEnabled = false;
    } else if (c.polygonOffsetEnabled) {
        glDisable(codes::polygonOffsetMode(c.polygonOffsetMode));
        ++stateCalls_;
        c.polygonOffsetEnabled = false;
    } else {
        ++stateCallsRemoved_;
    }
}
