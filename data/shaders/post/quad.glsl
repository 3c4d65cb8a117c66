// Vertex stage of every post-processing pass: the shared quad's corners span [0, 1]; they are the
// texture coordinates and, stretched to [-1, 1], the clip position.
//   POSITION  corner of the unit quad
in vec2 POSITION;
out vec2 uv;

void main() {
    uv = POSITION;
    gl_Position = vec4(POSITION * 2.0 - 1.0, 0.0, 1.0);
}
