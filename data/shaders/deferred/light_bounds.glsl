// Geometry stage of every light program: expands the light's point into the screen rectangle the
// light can reach. With LIGHT_FULLSCREEN (directional, ambient, atmospherical) that is the whole
// screen; otherwise the projected box of the sphere of radius REACH around the view-space position,
// or the whole screen while the camera is inside that sphere.
//   ProjectionMatrix  the camera projection (eye to clip)
layout(points) in;
layout(triangle_strip, max_vertices = 4) out;

uniform mat4 ProjectionMatrix;

in LightVertex {
    vec3 position;
    vec3 params;
    vec3 colour;
    vec3 vector;
} vertexIn[];

flat out vec3 lightPosition;
flat out vec3 lightParams;
flat out vec3 lightColour;
flat out vec3 lightVector;

void emitCorner(vec2 ndc) {
    lightPosition = vertexIn[0].position;
    lightParams = vertexIn[0].params;
    lightColour = vertexIn[0].colour;
    lightVector = vertexIn[0].vector;
    gl_Position = vec4(ndc, 0.0, 1.0);
    EmitVertex();
}

void main() {
    vec2 lo = vec2(-1.0), hi = vec2(1.0);
#ifndef LIGHT_FULLSCREEN
    vec3 p = vertexIn[0].position;
    float r = max(REACH, 0.0);
    // Near plane distance from the projection: P[3][2] / (P[2][2] - 1) in GL terms.
    float nearZ = ProjectionMatrix[3][2] / (ProjectionMatrix[2][2] - 1.0);
    if (length(p) > r * 1.05 + nearZ && p.z - r < -nearZ) {
        // The nearest depth of the sphere bounds its screen footprint from outside.
        float z = min(p.z + r, -nearZ);
        vec2 scale = vec2(ProjectionMatrix[0][0], ProjectionMatrix[1][1]) / -z;
        lo = max((p.xy - vec2(r)) * scale, vec2(-1.0));
        hi = min((p.xy + vec2(r)) * scale, vec2(1.0));
        if (p.z - r >= -nearZ || any(greaterThanEqual(lo, hi)))
            return;
    } else if (p.z - r >= -nearZ) {
        return; // wholly behind the camera
    }
#endif
    emitCorner(vec2(lo.x, lo.y));
    emitCorner(vec2(hi.x, lo.y));
    emitCorner(vec2(lo.x, hi.y));
    emitCorner(vec2(hi.x, hi.y));
    EndPrimitive();
}
