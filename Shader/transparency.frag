#version 330 core
in vec3 worldNormal;

uniform vec3 color;

out vec4 fragColor;

const vec3 worldLight = vec3(-0.35, 0.85, -0.4);

void main() {
    float light = 0.65 + 0.35 * max(dot(normalize(worldNormal), normalize(worldLight)), 0.0);
    fragColor = vec4(color * light, 0.4);
}
