#version 330 core
// One splat's paint on one tile of a surface (render/PaintTiles.h): the splat image where the
// projector paints, with its coverage in alpha, blended with what earlier splats left
// (render/PaintTiles.cpp). The receiving program lights it.
in vec3 worldPosition;
in vec3 worldNormal;
flat in float isWall;
flat in float paintFace;

uniform mat4 proj_tex_mat;
uniform sampler2D proj_Map;
uniform float paint_face;
uniform float paint_steepness;

out vec4 fragColor;

// The projector stands 4 units in front of the hit point; paint only surfaces close to it.
const float nearestPainted = 1.0;
const float farthestPainted = 5.5;

void main() {
    if (paintFace != paint_face) discard;
    vec4 projCoord = proj_tex_mat * vec4(worldPosition, 1.0);
    // projCoord.w is the distance along the projector's axis: <= 0 lies behind it.
    float along = projCoord.w;
    if (along < nearestPainted || along > farthestPainted) discard;
    vec2 uv = projCoord.xy / along;
    if (uv.x < 0.0 || uv.x > 1.0 || uv.y < 0.0 || uv.y > 1.0) discard;
    // The gradient of w is the projector's viewing direction.
    vec3 forward = normalize(vec3(proj_tex_mat[0][3], proj_tex_mat[1][3], proj_tex_mat[2][3]));
    float facing = -dot(normalize(worldNormal), forward);
    // A ground hit's projector may sit under a hill; the terrain has no back side to protect.
    if (isWall < 0.5) facing = abs(facing);
    vec4 texel = texture(proj_Map, uv);
    // Surfaces grazed by the projector would smear the splat into a long streak.
    float coverage = texel.a * smoothstep(0.2, 0.45, facing);
    // Kept steeper about the half that decides where texels are small: a spot one splat paints
    // keeps that splat's colour (the blending gives earlier paint the share its alpha says).
    // Coarse texels keep it smooth, so that filtering finds the edge between them.
    fragColor = vec4(texel.rgb, clamp((coverage - 0.5) * paint_steepness + 0.5, 0.0, 1.0));
}
