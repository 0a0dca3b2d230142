#version 330 core
// Writes only the painted pixels; every other pixel is left to the shadow-receiving pass.
in vec4 projCoord;
in vec3 worldNormal;
in float viewDepth;
flat in float isWall;

uniform mat4 proj_tex_mat;
uniform sampler2D proj_Map;

out vec4 fragColor;

#include "projector.glsl"
#include "lighting.glsl"

void main() {
    vec4 paint;
    bool inSpan = projectorPaint(proj_tex_mat, proj_Map, projCoord, worldNormal, isWall > 0.5,
                                 paint);
    if (!inSpan || paint.a < PAINT_SHOWN) discard;
    vec3 n = normalize(worldNormal);
    fragColor = vec4(withHaze(lightSurface(paint.rgb, n, 1.0), viewDepth), 1.0);
}
