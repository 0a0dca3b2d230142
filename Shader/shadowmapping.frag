#version 330 core
// Grassy hills and stone walls under a low sun, with soft shadows from the light's depth map.
in vec3 worldPosition;
in vec3 worldNormal;
in vec3 localPosition;
in vec4 shadowCoord;
in float viewDepth;
flat in float isWall;
flat in float wallLength;

uniform sampler2DShadow shadow_map;

out vec4 fragColor;

// The sun the balls are lit by (phong); shadows fall from nearly overhead on the same side.
const vec3 sunDirection = vec3(-0.35, 0.85, -0.4);
const vec3 skyColour = vec3(1.0);

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

vec3 terrainColour(vec3 p, vec3 n) {
    float slope = 1.0 - clamp(n.y, 0.0, 1.0);
    float grain = patches(p.xz * 0.3);
    float detail = valueNoise(p.xz * 2.7);
    float altitude = clamp((p.y - 2.0) / 20.0, 0.0, 1.0);
    vec3 meadow = vec3(0.20, 0.44, 0.13);
    vec3 hilltop = vec3(0.46, 0.56, 0.21);
    vec3 grass = mix(meadow, hilltop, clamp(altitude + (grain - 0.5) * 0.5, 0.0, 1.0));
    grass *= 0.82 + 0.3 * detail;
    // Steep flanks wear through to earth, so the shape of every hill reads.
    vec3 earth = vec3(0.47, 0.37, 0.25) * (0.85 + 0.3 * detail);
    float bare = smoothstep(0.22, 0.42, slope + (grain - 0.5) * 0.16);
    return mix(grass, earth, bare);
}

vec3 wallColour(vec3 local, vec3 n) {
    // Courses of stone blocks, 1.0 long and 0.5 high, every other course shifted by half.
    float along = local.x * wallLength + local.z;
    float up = local.y;
    float course = floor(up / 0.5);
    vec2 block = vec2(along + 0.5 * mod(course, 2.0), up / 0.5);
    vec2 f = fract(block);
    float toJoint = min(min(f.x, 1.0 - f.x), min(f.y, 1.0 - f.y) * 0.5);
    float pixel = fwidth(along) + fwidth(up);
    float stone = smoothstep(0.02, 0.02 + pixel + 0.015, toJoint);
    float tint = hash(floor(block));
    vec3 stoneColour = vec3(0.63, 0.58, 0.50) * (0.85 + 0.25 * tint) +
                       vec3(0.04) * valueNoise(block * vec2(6.0, 3.0));
    vec3 colour = mix(vec3(0.36, 0.34, 0.31), stoneColour, stone);
    // The cap reads lighter, the foot darker where the ground splashes it.
    if (n.y > 0.7) colour = vec3(0.70, 0.66, 0.58) * (0.9 + 0.15 * tint);
    return colour * mix(0.72, 1.0, smoothstep(-0.2, 1.2, up));
}

float sunVisibility() {
    // No light matrix yet (before the first depth pass): nothing is in shadow.
    if (shadowCoord.w <= 0.0) return 1.0;
    vec3 c = shadowCoord.xyz / shadowCoord.w;
    if (c.x <= 0.0 || c.x >= 1.0 || c.y <= 0.0 || c.y >= 1.0 || c.z >= 1.0) return 1.0;
    // 4 x 4 comparisons, each filtered bilinearly by the sampler: a soft edge without noise.
    vec2 texel = 1.5 / vec2(textureSize(shadow_map, 0));
    float lit = 0.0;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            vec2 offset = (vec2(x, y) - 1.5) * texel;
            lit += texture(shadow_map, vec3(c.xy + offset, c.z - 0.0005));
        }
    }
    return lit / 16.0;
}

vec3 lightSurface(vec3 albedo, vec3 n, float visibility) {
    float diffuse = max(dot(n, normalize(sunDirection)), 0.0);
    vec3 ambient = mix(vec3(0.30, 0.28, 0.26), vec3(0.44, 0.48, 0.54), 0.5 + 0.5 * n.y);
    vec3 sun = vec3(1.0, 0.95, 0.86) * 0.8 * diffuse;
    return albedo * (ambient * (0.65 + 0.35 * visibility) + sun * visibility);
}

void main() {
    vec3 n = normalize(worldNormal);
    if (!gl_FrontFacing) n = -n;
    vec3 albedo = isWall > 0.5 ? wallColour(localPosition, n) : terrainColour(worldPosition, n);
    vec3 colour = lightSurface(albedo, n, sunVisibility());
    float haze = smoothstep(60.0, 205.0, viewDepth) * 0.8;
    fragColor = vec4(mix(colour, skyColour, haze), 1.0);
}
