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
    // A darker rim and a wet highlight make each drop read as a ball of paint, also
    // against the splat it flies off.
    float body = clamp(texel.a, 0.0, 1.0);
    vec3 rim = paint * 0.45;
    vec3 sheen = min(paint * 1.35 + vec3(0.25), vec3(1.0));
    fragColor = vec4(mix(rim, sheen, body * body), min(1.0, alpha * 1.6));
}
