#pragma once

// Fixed-function state as plain value records of codes (blend equation/factor, compare function,
// stencil operation, winding, cull face and polygon offset tables). Default-constructed records
// hold the device's start state: GL's own defaults, except culling and the colour clamps on.

struct BlendState {
    bool enabled = false;
    int equation = 1;
    int srcRGB = 0;
    int srcAlpha = 0;
    int dstRGB = 0;
    int dstAlpha = 0;
    bool colorMask[4] = {true, true, true, true};
    // Carried for per-draw-buffer blending; the device does not apply it.
    int bufferMask = 0;
};

struct DepthStencilState {
    bool depthTest = false;
    bool depthWrite = true;
    bool depthClamp = false;
    float depthNear = 0.0f;
    float depthFar = 1.0f;
    int depthFunc = 1;
    bool stencilTest = false;
    int stencilRef = 0;
    // Both the write mask and the compare mask.
    int stencilMask = -1;
    int stencilFunc = 0;
    int stencilFail = 1;
    int stencilDepthFail = 1;
    int stencilDepthPass = 1;
};

struct RasterizerState {
    float pointSize = 1.0f;
    float lineWidth = 1.0f;
    bool cullEnabled = true;
    int frontFace = 1;
    int cullFace = 1;
    bool scissorTest = false;
    bool clampFragmentColor = true;
    bool clampVertexColor = true;
    bool clampReadColor = true;
    bool polygonOffsetEnabled = false;
    int polygonOffsetMode = 0;
    float polygonOffsetFactor = 0.0f;
    float polygonOffsetUnits = 0.0f;
};
