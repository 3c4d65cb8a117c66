#version 430 core
// Skinned material: up to four bones per vertex from the skeleton's bone palette.
//   BONE_INDEX, BONE_WEIGHT  four bone indices and weights (weights sum to 1)
//   boneMatrix               the palette: bone space to the skeleton's object space
in vec3 POSITION;
in vec3 NORMAL;
in vec4 BONE_INDEX;
in vec4 BONE_WEIGHT;
uniform mat4 ModelViewProjectionMatrix;
uniform mat3 NormalMatrix;
uniform mat4 boneMatrix[64];
out vec3 viewNormal;

void main() {
    mat4 skin = mat4(0.0);
    for (int i = 0; i < 4; ++i)
        skin += boneMatrix[int(BONE_INDEX[i]) & 63] * BONE_WEIGHT[i];
    viewNormal = NormalMatrix * mat3(skin) * NORMAL;
    gl_Position = ModelViewProjectionMatrix * (skin * vec4(POSITION, 1.0));
}
