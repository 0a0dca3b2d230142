#version 330 core
in vec2 texCoord;

uniform sampler2D texture;

out vec4 fragColor;

void main() {
    // The uniform's name hides texture(); textureGrad samples the same way.
    vec4 texel = textureGrad(texture, texCoord, dFdx(texCoord), dFdy(texCoord));
    // The crosshair covers the whole window with blending off: only its opaque texels count.
    if (texel.a < 0.5) discard;
    fragColor = vec4(texel.rgb, 1.0);
}
