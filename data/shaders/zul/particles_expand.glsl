// Expands each particle to a square facing the camera, its radius in world units; particles
// without energy left are dropped.
layout(points) in;
layout(triangle_strip, max_vertices = 4) out;
uniform mat4 ProjectionMatrix;
in vec3 pointView[];
in vec2 pointLife[];
out vec2 corner;
out float life;

void main() {
    float radius = pointLife[0].x;
    life = pointLife[0].y;
    if (life <= 0.0 || radius <= 0.0)
        return;
    const vec2 corners[4] = vec2[4](vec2(-1.0, -1.0), vec2(1.0, -1.0), vec2(-1.0, 1.0), vec2(1.0, 1.0));
    for (int i = 0; i < 4; ++i) {
        corner = corners[i];
        gl_Position = ProjectionMatrix * vec4(pointView[0] + vec3(corners[i] * radius, 0.0), 1.0);
        EmitVertex();
    }
    EndPrimitive();
}
