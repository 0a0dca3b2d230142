#version 330 core
in vec3 worldNormal;

out vec4 fragColor;

const vec3 worldLight = vec3(-0.35, 0.85, -0.4);

void main() {
    vec3 n = normalize(worldNormal);
    // Colour says which way a face points; wrapped light says how steep it is, so slopes
    // and wall corners read without any side going black.
    vec3 facing = mix(vec3(0.8), n * 0.5 + 0.5, 0.65);
    float wrapped = dot(n, normalize(worldLight)) * 0.5 + 0.5;
    fragColor = vec4(facing * (0.35 + 0.75 * wrapped * wrapped), 1.0);
}
