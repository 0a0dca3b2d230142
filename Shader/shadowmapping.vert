#version 330 core
// Walls and terrain, the surfaces that receive the shadows of balls and hit bonus items.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;

uniform mat4 PV_cam;
uniform mat4 M;
uniform mat4 shadow_tex_mat;
// The piece of a wall drawn (render/paint/PaintPieces.h): from .. to along its box (x, y) and bottom ..
// top (z, w); the whole box where x and y are 0. Its edges are the vertices' own values, so the
// pieces meet without a crack.
uniform vec4 wall_piece;
#if defined(PAINTED) && defined(TERRAIN_ONLY)
// The terrain finds a cell's paint once per triangle, not per pixel: both triangles of the cell
// at (x, z) start at its corner (x + 1, z), and that first vertex is the provoking one.
uniform usampler2D paint_index;
uniform vec4 paint_place;
#endif
#ifdef PAINT_BAKE
// The tile being painted: its corner in surface coordinates (xy) and its side (z); its texels
// (x) and the texels of its neighbours' paint round them (y).
uniform vec4 paint_tile;
uniform vec2 paint_texels;
#endif

// Same expression as the splat pass, so equal depths really are equal and splats win.
invariant gl_Position;

out vec3 worldPosition;
out vec3 worldNormal;
out vec3 localPosition;
out vec4 shadowCoord;
out float viewDepth;
flat out float isWall;
flat out float wallLength;
// Where paint is kept (render/paint/PaintLayout.h): the terrain at world (x, z); a wall's faces at
// (along, up) as the stone, the top at (along, across).
out vec2 paintCoord;
flat out float paintFace;
#if defined(PAINTED) && defined(TERRAIN_ONLY)
// The cell's paint: at xy + paintCoord * PAINT_TEXEL_STEP in layer z; none where z < 0.
flat out vec3 paintBase;
#endif

#if defined(PAINTED) && defined(TERRAIN_ONLY)
#include "paintSlots.glsl"
#endif

void main() {
    vec3 box = position;
    if (wall_piece.y > wall_piece.x) {
        box.x = position.x > 0.5 ? wall_piece.y : wall_piece.x;
        box.y = position.y > 0.5 * (WALL_BOX_BOTTOM + WALL_BOX_TOP) ? wall_piece.w : wall_piece.z;
    }
    vec4 world = M * vec4(box, 1.0);
    gl_Position = PV_cam * world;
    worldPosition = world.xyz;
    // Walls are stretched and sheared onto the terrain: normals need the inverse transpose.
    worldNormal = transpose(inverse(mat3(M))) * normal;
    localPosition = box;
    shadowCoord = shadow_tex_mat * world;
    viewDepth = gl_Position.w;
    // The terrain is the one receiver drawn with the identity; every wall is placed somewhere.
    mat4 offset = M - mat4(1.0);
    float deviation = dot(abs(offset[0]) + abs(offset[1]) + abs(offset[2]) + abs(offset[3]),
                          vec4(1.0));
    isWall = deviation > 1e-4 ? 1.0 : 0.0;
    wallLength = length(M[0].xyz);
    paintCoord = world.xz;
    paintFace = 0.0;
    if (isWall > 0.5) {
        bool across = abs(normal.y) > 0.5;
        paintCoord = across ? vec2(box.x * wallLength, box.z + PAINT_TOP_ACROSS)
                            : vec2(box.x * wallLength + box.z, box.y);
        paintFace = across ? (normal.y > 0.0 ? PAINT_FACE_TOP : PAINT_FACE_NONE)
                           : (abs(normal.x) > 0.5 ? PAINT_FACE_ENDS
                                                  : (normal.z > 0.0 ? PAINT_FACE_FRONT
                                                                    : PAINT_FACE_BACK));
    }
#if defined(PAINTED) && defined(TERRAIN_ONLY)
    vec2 cell = floor((world.xz + vec2(-0.5, 0.5) - paint_place.xy) / PAINT_TILE_UNITS);
    uint code = paintCode(paint_index, ivec2(cell.x, paint_place.z + cell.y));
    vec3 slot = paintSlot(code);
    paintBase.xy = (slot.xy - cell * PAINT_INNER) / PAINT_SIDE - paint_place.xy * PAINT_TEXEL_STEP;
    paintBase.z = code == 0u ? -1.0 : slot.z;
#endif
#ifdef PAINT_BAKE
    // A tile keeps a texel of its neighbours' paint round its edge, for the filters.
    vec2 inTile = (paintCoord - paint_tile.xy) / paint_tile.z;
    vec2 texels = (inTile * paint_texels.x + paint_texels.y) / (paint_texels.x + 2.0 * paint_texels.y);
    gl_Position = vec4(texels * 2.0 - 1.0, 0.0, 1.0);
#endif
}
