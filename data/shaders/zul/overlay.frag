#version 430 core
// Inputs:
//   uv       texture coordinate of the screen, (0, 0) bottom left
//   overlay  the picture: the vignette, or the outro screen (its alpha: how much to darken the
//            frame behind its text)
//   fade     1 for the vignette; the outro screen's opacity while it fades in and out
in vec2 uv;
uniform sampler2D overlay;
uniform float fade = 1.0;
out vec4 colour;

void main() {
    vec4 picture = texture(overlay, uv);
    // Blended by the caller: (destination colour, zero) for the vignette; for the outro first
    // (zero, one minus source alpha) to darken behind the text, then (one, one) to add it.
    colour = vec4(picture.rgb * fade, picture.a * fade);
}
