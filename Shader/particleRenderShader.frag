#version 330 core
// Paint droplets in the colour of the splats, shaped by the particle sprite.
in vec2 TexCoord;
in float Fade;

uniform sampler2D gColorMap;

out vec4 fragColor;

const vec3 paint = vec3(0.92, 0.16, 0.59);

void main() {
    vec4 texel = texture(gColorMap, TexCoord);
    float alpha = texel.a * Fade;
    if (alpha < 0.03) discard;
    fragColor = vec4(paint * (0.55 + 0.45 * texel.rgb), alpha);
}
