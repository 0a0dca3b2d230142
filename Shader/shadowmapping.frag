#version 330 core
// Grassy hills and stone walls under a low sun, with soft shadows from the light's depth map.
// Built as it stands for any receiver, or in variants: WALLS_ONLY or TERRAIN_ONLY leave out the
// other surface's colours, NO_CASTERS the shadow lookups (nothing casts inside the light's
// window), PAINTED adds the paint of the splats kept in tiles (render/paint/PaintTexture.h). The
// software rasteriser pays for both sides of every branch.
in vec3 worldPosition;
in vec3 worldNormal;
in vec3 localPosition;
in vec4 shadowCoord;
in float viewDepth;
flat in float isWall;
flat in float wallLength;
in vec2 paintCoord;
flat in float paintFace;

uniform sampler2DShadow shadow_map;
// Grass noise (grain, detail) at world (x, z) and stone colour with the block's tint at
// (along, up), made at start-up; each lookup is q * scale (xy) + offset (zw).
uniform sampler2D terrain_noise;
uniform sampler2D wall_stone;
uniform vec4 terrain_lookup;
uniform vec4 wall_lookup;

#ifdef PAINTED
// The tiles' paint, fine or coarse (PAINT_COARSE), and the index of both (slot + 1 in red for
// the fine, in green for the coarse, 0 where none); the surface's tiles start at paint_place.xy
// in its coordinates, at index row paint_place.z, each wall face paint_place.w rows on.
uniform sampler2DArray paint_layers;
uniform usampler2D paint_index;
uniform vec4 paint_place;
#endif
#if defined(PAINTED) && defined(TERRAIN_ONLY)
flat in vec3 paintBase;
#endif

out vec4 fragColor;

// The sun the balls are lit by (phong); shadows fall from nearly overhead on the same side.
#include "lighting.glsl"
#include "stone.glsl"
#ifdef PAINTED
#include "paintSlots.glsl"
#endif

vec3 terrainColour(vec3 p, vec3 n) {
    float slope = 1.0 - clamp(n.y, 0.0, 1.0);
    vec2 noise = texture(terrain_noise, p.xz * terrain_lookup.xy + terrain_lookup.zw).xy;
    float grain = noise.x;
    float detail = noise.y;
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
    // Joints between courses of blocks 1.0 long and 0.5 high, every other course shifted by half.
    float along = local.x * wallLength + local.z;
    float up = local.y;
    vec2 f = fract(stoneBlock(vec2(along, up)));
    float toJoint = min(min(f.x, 1.0 - f.x), min(f.y, 1.0 - f.y) * 0.5);
    float pixel = fwidth(along) + fwidth(up);
    float stone = smoothstep(0.02, 0.02 + pixel + 0.015, toJoint);
    vec4 baked = texture(wall_stone, vec2(along, up) * wall_lookup.xy + wall_lookup.zw);
    float tint = baked.a;
    vec3 colour = mix(vec3(0.36, 0.34, 0.31), baked.rgb, stone);
    // The cap reads lighter, the foot darker where the ground splashes it.
    if (n.y > 0.7) colour = vec3(0.70, 0.66, 0.58) * (0.9 + 0.15 * tint);
    return colour * mix(0.72, 1.0, smoothstep(-0.2, 1.2, up));
}

float sunVisibility() {
#ifdef NO_CASTERS
    return 1.0;
#else
    // No light matrix yet (before the first depth pass): nothing is in shadow.
    if (shadowCoord.w <= 0.0) return 1.0;
    vec3 c = shadowCoord.xyz / shadowCoord.w;
    if (c.x <= 0.0 || c.x >= 1.0 || c.y <= 0.0 || c.y >= 1.0 || c.z >= 1.0) return 1.0;
    // 2 x 2 comparisons 2 texels apart, each filtered bilinearly by the sampler: a soft edge
    // without noise.
    vec2 texel = 2.0 / vec2(textureSize(shadow_map, 0));
    float lit = 0.0;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            vec2 offset = (vec2(x, y) - 0.5) * texel;
            lit += texture(shadow_map, vec3(c.xy + offset, c.z - 0.0005));
        }
    }
    return lit / 4.0;
#endif
}

#ifdef PAINTED
// The paint's colour and its coverage. A tile's paint sits in a slot of a layer, PAINT_INNER
// texels a tile with PAINT_BORDER of its neighbours' round them; PAINT_PER_SIDE slots along a
// layer's side (the coarse paint's atlas) or one (the fine paint). The terrain's cells bring
// their paint's place with them (shadowmapping.vert); a wall's face is looked up here.
vec4 paintAt() {
#ifdef TERRAIN_ONLY
    vec2 uv = paintBase.xy + paintCoord * PAINT_TEXEL_STEP;
    vec4 cellPaint = texture(paint_layers, vec3(uv, paintBase.z));
    return paintBase.z < 0.0 ? vec4(0.0) : cellPaint;
#else
    vec2 t = (paintCoord - paint_place.xy) / PAINT_TILE_UNITS;
    vec2 cell = floor(t);
    uint code = paintCode(paint_index,
                          ivec2(cell.x, paint_place.z + paintFace * paint_place.w + cell.y));
    vec3 slot = paintSlot(code);
    vec2 uv = (slot.xy + (t - cell) * PAINT_INNER) / PAINT_SIDE;
    // Derivatives of the unbroken coordinate, as the tile's own jump at its edges.
    const float scale = PAINT_INNER / PAINT_SIDE;
    vec4 paint =
        textureGrad(paint_layers, vec3(uv, slot.z), dFdx(t) * scale, dFdy(t) * scale);
    return (code == 0u || paintFace < 0.0) ? vec4(0.0) : paint;
#endif
}
#endif

void main() {
    vec3 n = normalize(worldNormal);
    if (!gl_FrontFacing) n = -n;
#if defined(WALLS_ONLY)
    vec3 albedo = wallColour(localPosition, n);
#elif defined(TERRAIN_ONLY)
    vec3 albedo = terrainColour(worldPosition, n);
#else
    vec3 albedo = isWall > 0.5 ? wallColour(localPosition, n) : terrainColour(worldPosition, n);
#endif
    float visibility = sunVisibility();
#ifdef PAINTED
    // Paint is opaque where half covered or more, and casts no shadow on itself.
    vec4 paint = paintAt();
    float painted = step(PAINT_SHOWN, paint.a);
    albedo = mix(albedo, paint.rgb, painted);
    visibility = max(visibility, painted);
#endif
    fragColor = vec4(withHaze(lightSurface(albedo, n, visibility), viewDepth), 1.0);
}
