#version 330 core
// Only the depth counts; the framebuffer has no colour attachment.
out vec4 fragColor;

void main() {
    fragColor = vec4(1.0);
}
