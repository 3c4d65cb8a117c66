#version 430 core
// Inputs:
//   uv       texture coordinate of the screen, (0, 0) bottom left
//   overlay  the picture: the vignette, or the outro screen
//   fade     1 for the vignette; the outro screen's opacity while it fades in and out
in vec2 uv;
uniform sampler2D overlay;
uniform float fade = 1.0;
out vec4 colour;

void main() {
    vec3 picture = texture(overlay, uv).rgb;
    // Blended by the caller: (destination colour, zero) for the vignette, (one, one) for the outro.
    colour = vec4(picture * fade, 1.0);
}
