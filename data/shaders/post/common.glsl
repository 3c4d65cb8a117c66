// Helpers shared by the post-processing shaders.

// Rec. 709 luma of a linear colour.
float luma(vec3 c) {
    return dot(c, vec3(0.2126, 0.7152, 0.0722));
}

// Eye distance of a depth-buffer value d in [0, 1] under a perspective projection, from
// CameraRange = (near, far, far - near, -(far * near)): near * far / (far - d * (far - near)).
float linearDepth(float d, vec4 cameraRange) {
    return -cameraRange.w / (cameraRange.y - d * cameraRange.z);
}

// The bright-pass of the blur families: what exceeds the threshold (rgb), scaled by alpha. The
// value (0, 0, 0, 1) passes the colour through unchanged.
vec3 brightPass(vec3 c, vec4 thresholdScale) {
    return max(c - thresholdScale.rgb, vec3(0.0)) * thresholdScale.a;
}

// Clip-space x and y of an eye-space point, from the coefficients of the inverse projection
// (elements 0, 5, 11, 14, 15): x_ndc = x / (c0 * -z), y_ndc = y / (c1 * -z).
vec2 projectEye(vec3 p, float coefficients[5]) {
    float w = max(-p.z, 1e-6);
    return vec2(p.x / (coefficients[0] * w), p.y / (coefficients[1] * w));
}
