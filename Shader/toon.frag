#version 330 core
in vec3 worldNormal;
in vec2 texCoord;

uniform sampler2D colorTexture;

out vec4 fragColor;

const vec3 worldLight = vec3(-0.35, 0.85, -0.4);

void main() {
    float intensity = max(dot(normalize(worldNormal), normalize(worldLight)), 0.0);
    float band = intensity > 0.8 ? 1.0 : intensity > 0.45 ? 0.78 : intensity > 0.15 ? 0.58 : 0.4;
    fragColor = vec4(texture(colorTexture, texCoord).rgb * band, 1.0);
}
