// What the shadow receivers are drawn with. Grass and stone colours are the same every frame:
// they are worked out once at start-up into two textures, the terrain's noise over its x and
// z and the walls' stone courses over their length and height (the same functions, drawn by
// the GPU at the texels' centres). And the receiving program comes in variants, for walls or
// terrain, with or without shadow lookups: the software rasteriser pays for both sides of
// every branch, so each pixel runs only what its surface needs.
#pragma once

#include <GL/glew.h>

#include <memory>
#include <vector>

#include "Math.h"

class Shader;
namespace kesto::scene {
struct SurfaceGrids;
}  // namespace kesto::scene

// Texels per world unit: the terrain's noise varies over a third of a unit at the finest, the
// stone joints are a few hundredths wide.
constexpr float kTerrainTexelsPerUnit = 6.0f;
constexpr float kWallTexelsPerUnit = 32.0f;

// One baked texture and how a surface coordinate q finds its texel: q * scale + offset.
struct BakedSurface {
    GLuint texture = 0;
    vec4 lookup{0.0f};  // scale in x and y, offset in z and w
};

struct Receivers {
    Receivers() = default;
    ~Receivers();
    Receivers(const Receivers&) = delete;
    Receivers& operator=(const Receivers&) = delete;

    BakedSurface terrain;  // (grain, detail) of the grass at (x, z)
    BakedSurface walls;    // stone colour and the block's tint at (along, up)
    // Shader/shadowmapping.* by [walls][shadowed][PaintKind].
    std::unique_ptr<Shader> programs[2][2][3];
};

// Builds the program variants and bakes both textures with Shader/surfaceBake.frag; null when
// the GPU cannot.
std::unique_ptr<Receivers> makeReceivers(Shader& bakeProgram, GLuint screenQuadVao,
                                         const kesto::scene::SurfaceGrids& grids);
