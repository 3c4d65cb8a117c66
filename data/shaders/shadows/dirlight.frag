#version 430 core
// Depth only: the colour attachment, if any, is masked off by the shadow pass.
out vec4 fragColour;

void main() {
    fragColour = vec4(0.0);
}
