#version 330 core
in vec2 uv;

uniform sampler2D myTextureSampler;
uniform vec3 color;

out vec4 fragColor;

void main() {
    vec4 glyph = texture(myTextureSampler, uv);
    // White glyphs on a transparent or a black background both give their coverage here.
    float coverage = glyph.a * max(glyph.r, max(glyph.g, glyph.b));
    fragColor = vec4(color, coverage);
}
