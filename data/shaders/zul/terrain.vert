#version 430 core
// The valley's ground: world position and the tangent frame go to the fragment stage.
in vec3 POSITION;
in vec3 NORMAL;
in vec3 TANGENT;
uniform mat4 ModelViewProjectionMatrix;
uniform mat4 WorldMatrix;
uniform mat4 ViewMatrix;
out vec3 worldPosition;
out vec3 worldNormal;
out vec3 worldTangent;

void main() {
    worldPosition = (WorldMatrix * vec4(POSITION, 1.0)).xyz;
    worldNormal = mat3(WorldMatrix) * NORMAL;
    worldTangent = mat3(WorldMatrix) * TANGENT;
    gl_Position = ModelViewProjectionMatrix * vec4(POSITION, 1.0);
}
