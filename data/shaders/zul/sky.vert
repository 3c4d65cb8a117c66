#version 430 core
// The sky dome: a sphere around the scene drawn at the far plane, so every pixel that no surface
// covers shows the sky. Its view-space direction goes to the fragment stage.
//   POSITION  point of the dome (object space, centred on the dome)
in vec3 POSITION;
uniform mat4 ModelViewMatrix;
uniform mat4 ProjectionMatrix;
out vec3 viewDirection;

void main() {
    // Only the camera's rotation: the sky is infinitely far away.
    vec3 direction = mat3(ModelViewMatrix) * POSITION;
    viewDirection = direction;
    vec4 clip = ProjectionMatrix * vec4(direction, 1.0);
    gl_Position = clip.xyww;
}
