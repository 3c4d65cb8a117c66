#version 430 core
// Light particles: a camera-facing square of radius particleRadius × radiusScale per point light.
//   ProjectionMatrix  the camera projection
//   XAxis, YAxis      the view-space axes the square spans
//   radiusScale       scales every particle's radius
layout(points) in;
layout(triangle_strip, max_vertices = 4) out;
uniform mat4 ProjectionMatrix;
uniform vec3 XAxis;
uniform vec3 YAxis;
uniform float radiusScale;
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
out vec2 discUv;

void main() {
    float r = vertexIn[0].params.y * radiusScale;
    if (r <= 0.0)
        return;
    for (int i = 0; i < 4; ++i) {
        vec2 corner = vec2(i & 1, i >> 1);
        vec3 p = vertexIn[0].position + (XAxis * (corner.x * 2.0 - 1.0) + YAxis * (corner.y * 2.0 - 1.0)) * r;
        lightPosition = vertexIn[0].position;
        lightParams = vertexIn[0].params;
        lightColour = vertexIn[0].colour;
        lightVector = vertexIn[0].vector;
        discUv = corner;
        gl_Position = ProjectionMatrix * vec4(p, 1.0);
        EmitVertex();
    }
    EndPrimitive();
}
