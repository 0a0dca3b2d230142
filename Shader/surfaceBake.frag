#version 330 core
// The colours of grass and stone that never change, drawn once into textures at start-up:
// the terrain's noise at world (x, z), or the walls' stone at (along, up) in world units.
uniform vec2 origin;  // the surface coordinate at the first texel's centre
uniform float unitsPerTexel;
uniform int surface;  // 0 terrain, 1 walls

out vec4 fragColor;

#include "stone.glsl"

float hash(vec2 p) {
    return fract(sin(dot(p, vec2(127.1, 311.7))) * 43758.5453);
}

float valueNoise(vec2 p) {
    vec2 i = floor(p);
    vec2 f = fract(p);
    vec2 u = f * f * (3.0 - 2.0 * f);
    return mix(mix(hash(i), hash(i + vec2(1.0, 0.0)), u.x),
               mix(hash(i + vec2(0.0, 1.0)), hash(i + vec2(1.0, 1.0)), u.x), u.y);
}

float patches(vec2 p) {
    return 0.5 * valueNoise(p) + 0.3 * valueNoise(p * 2.13 + 7.1) + 0.2 * valueNoise(p * 4.7 - 3.3);
}

void main() {
    vec2 p = origin + floor(gl_FragCoord.xy) * unitsPerTexel;
    if (surface == 0) {
        // Large patches of lighter and darker grass, and the fine grain within them.
        fragColor = vec4(patches(p * 0.3), valueNoise(p * 2.7), 0.0, 1.0);
        return;
    }
    // Courses of stone blocks, 1.0 long and 0.5 high, every other course shifted by half; each
    // block tinted on its own (kept in alpha for the lighter caps).
    vec2 block = stoneBlock(p);
    float tint = hash(floor(block));
    vec3 stone = vec3(0.63, 0.58, 0.50) * (0.85 + 0.25 * tint) +
                 vec3(0.04) * valueNoise(block * vec2(6.0, 3.0));
    fragColor = vec4(stone, tint);
}
