#version 430 core
// Skinned material: every vertex names a run of influences in its mesh's weights buffer, and each
// influence moves the vertex with one bone of the skeleton's palette (up to four are read).
//   BONE_INDEX   the vertex's first influence and the number of influences
//   weights      the mesh's "MESH.weights" buffer texture: per influence r weight, g bone
//   boneMatrix   the palette: the mesh's rest space to where the bones are now
in vec3 POSITION;
in vec3 NORMAL;
in vec2 TEXCOORD;
in uvec2 BONE_INDEX;
uniform samplerBuffer weights;
uniform mat4 ModelViewProjectionMatrix;
uniform mat3 NormalMatrix;
uniform mat4 boneMatrix[64];
out vec3 viewNormal;
out vec2 uv;

void main() {
    mat4 skin = mat4(0.0);
    uint count = min(BONE_INDEX.y, 4u);
    for (uint i = 0u; i < count; ++i) {
        vec4 influence = texelFetch(weights, int(BONE_INDEX.x + i));
        skin += boneMatrix[int(influence.g) & 63] * influence.r;
    }
    // A vertex without influences stays where the mesh put it.
    if (count == 0u)
        skin = mat4(1.0);
    viewNormal = NormalMatrix * mat3(skin) * NORMAL;
    uv = TEXCOORD;
    gl_Position = ModelViewProjectionMatrix * (skin * vec4(POSITION, 1.0));
}
