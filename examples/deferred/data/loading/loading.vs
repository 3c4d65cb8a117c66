#version 330 core

in vec2 POSITION;
out vec2 uv;

void main() {
    uv = POSITION;
    gl_Position = vec4(POSITION * 2.0 - 1.0, 0.0, 1.0);
}
