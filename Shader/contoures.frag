#version 330 core
out vec4 fragColor;

void main() {
    fragColor = vec4(0.04, 0.03, 0.06, 1.0);
}
