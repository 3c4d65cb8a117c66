// Particles: one point per live particle record, expanded to a camera-facing square later.
//   POSITION  the particle's position in the particle system's space
//   TANGENT   (radius, energy, mass) of the particle; energy falls to 0 over its life
in vec3 POSITION;
in vec3 TANGENT;
uniform mat4 ModelViewMatrix;
out vec3 pointView;
out vec2 pointLife;

void main() {
    pointView = (ModelViewMatrix * vec4(POSITION, 1.0)).xyz;
    pointLife = TANGENT.xy;
    gl_Position = vec4(pointView, 1.0);
}
