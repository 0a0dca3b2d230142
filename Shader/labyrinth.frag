#version 330 core
in vec3 worldNormal;

out vec4 fragColor;

const vec3 worldLight = vec3(-0.35, 0.85, -0.4);
const vec3 clay = vec3(0.78, 0.74, 0.68);

void main() {
    vec3 n = normalize(worldNormal);
    float light = 0.3 + 0.1 * n.y + 0.65 * max(dot(n, normalize(worldLight)), 0.0);
    fragColor = vec4(clay * light, 1.0);
}
