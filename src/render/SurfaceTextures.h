// Grass and stone colours that are the same every frame, worked out once at start-up into two
// textures the receiving program looks up: the terrain's noise over its x and z, and the
// walls' stone courses over their length and height. Same functions as the program evaluated
// per pixel before, drawn by the GPU at the texels' centres.
#pragma once

#include <GL/glew.h>

#include <memory>
#include <vector>

#include "Math.h"

class Shader;
namespace kesto::scene {
class HeightMapObject;
class WallObject;
}  // namespace kesto::scene

// Texels per world unit: the terrain's noise varies over a third of a unit at the finest, the
// stone joints are a few hundredths wide.
constexpr float kTerrainTexelsPerUnit = 8.0f;
constexpr float kWallTexelsPerUnit = 32.0f;

// One baked texture and how a surface coordinate q finds its texel: q * scale + offset.
struct BakedSurface {
    GLuint texture = 0;
    vec4 lookup{0.0f};  // scale in x and y, offset in z and w
};

struct SurfaceTextures {
    SurfaceTextures() = default;
    ~SurfaceTextures();
    SurfaceTextures(const SurfaceTextures&) = delete;
    SurfaceTextures& operator=(const SurfaceTextures&) = delete;

    BakedSurface terrain;  // (grain, detail) of the grass at (x, z)
    BakedSurface walls;    // stone colour and the block's tint at (along, up)
};

// Bakes both with the program Shader/surfaceBake.frag; null when the GPU cannot.
std::unique_ptr<SurfaceTextures> bakeSurfaceTextures(
    Shader& bakeProgram, GLuint screenQuadVao, const kesto::scene::HeightMapObject& terrain,
    const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls);
