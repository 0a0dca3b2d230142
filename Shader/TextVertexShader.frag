#version 330 core
in vec2 uv;

uniform sampler2D myTextureSampler;
uniform vec3 color;

out vec4 fragColor;

// Every lookup stays inside this glyph's cell of the 16 x 16 grid, a pixel's footprint in
// from its border, so neither the rim nor a blurred mip level reaches the next glyph.
vec2 cellLow;
vec2 cellHigh;

float inkAt(vec2 at) {
    vec4 glyph = textureGrad(myTextureSampler, clamp(at, cellLow, cellHigh), dFdx(uv), dFdy(uv));
    // White glyphs on a transparent or a black background both give their coverage here.
    return glyph.a * max(glyph.r, max(glyph.g, glyph.b));
}

void main() {
    vec2 footprint = fwidth(uv);
    vec2 cell = floor(uv * 16.0) / 16.0;
    cellLow = cell + footprint;
    cellHigh = cell + vec2(1.0 / 16.0) - footprint;

    float ink = inkAt(uv);
    // A faint rim about one screen pixel wide keeps black text readable over dark walls.
    vec2 reach = footprint * 1.25;
    float near = 0.0;
    for (int i = 0; i < 8; ++i) {
        float angle = float(i) * 0.7853982;
        near = max(near, inkAt(uv + reach * vec2(cos(angle), sin(angle))));
    }
    float rim = near * 0.5 * (1.0 - ink);
    vec3 rimColour = dot(color, vec3(0.299, 0.587, 0.114)) < 0.5 ? vec3(1.0) : vec3(0.0);
    float alpha = ink + rim;
    vec3 rgb = alpha > 0.0 ? (color * ink + rimColour * rim) / alpha : color;
    fragColor = vec4(rgb, alpha);
}
