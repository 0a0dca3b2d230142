#version 330 core
in vec3 worldNormal;

out vec4 fragColor;

const vec3 worldLight = vec3(-0.35, 0.85, -0.4);

void main() {
    vec3 n = normalize(worldNormal);
    // Colour says which way a face points, light says how steep it is.
    vec3 facing = n * 0.5 + 0.5;
    float light = 0.35 + 0.65 * max(dot(n, normalize(worldLight)), 0.0);
    fragColor = vec4(facing * light, 1.0);
}
