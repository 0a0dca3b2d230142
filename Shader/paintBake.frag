#version 330 core
// One splat's paint on one tile of a surface (render/paint/PaintBake.h): the splat image where
// the projector paints, with its coverage in alpha, blended with what earlier splats left. The
// receiving program lights it.
in vec3 worldPosition;
in vec3 worldNormal;
flat in float isWall;
flat in float paintFace;

uniform mat4 proj_tex_mat;
uniform sampler2D proj_Map;
uniform float paint_face;
uniform float paint_steepness;

out vec4 fragColor;

#include "projector.glsl"

void main() {
    if (paintFace != paint_face) discard;
    vec4 paint;
    if (!projectorPaint(proj_tex_mat, proj_Map, proj_tex_mat * vec4(worldPosition, 1.0),
                        worldNormal, isWall > 0.5, paint)) {
        discard;
    }
    // Kept steeper about the half that decides where texels are small: a spot one splat paints
    // keeps that splat's colour (the blending gives earlier paint the share its alpha says).
    // Coarse texels keep it smooth, so that filtering finds the edge between them.
    fragColor = vec4(paint.rgb,
                     clamp((paint.a - PAINT_SHOWN) * paint_steepness + PAINT_SHOWN, 0.0, 1.0));
}
