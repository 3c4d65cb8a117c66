#version 430 core
// Shadow casters of the sun's cascades: depth only.
//   POSITION                   object-space position
//   ModelViewProjectionMatrix  object to the cascade's light clip space
in vec3 POSITION;
uniform mat4 ModelViewProjectionMatrix;

void main() {
    gl_Position = ModelViewProjectionMatrix * vec4(POSITION, 1.0);
}
