// Vertex stage of every light program: one point per light, its 48-byte record passed on as is.
//   POSITION  view-space position (directional light: world-space direction towards the light)
//   NORMAL    per-type parameters (radius, cone cosines, widths)
//   COLOR     colour times intensity
//   TEXCOORD  per-type vector (spot and projective: view-space axis; linear: far end)
in vec3 POSITION;
in vec3 NORMAL;
in vec3 COLOR;
in vec3 TEXCOORD;

out LightVertex {
    vec3 position;
    vec3 params;
    vec3 colour;
    vec3 vector;
} vertexOut;

void main() {
    vertexOut.position = POSITION;
    vertexOut.params = NORMAL;
    vertexOut.colour = COLOR;
    vertexOut.vector = TEXCOORD;
    gl_Position = vec4(0.0, 0.0, 0.0, 1.0);
}
