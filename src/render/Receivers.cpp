#include "render/Receivers.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "render/Shader.h"
#include "render/ShaderContracts.h"
#include "render/paint/PaintTexture.h"
#include "scene/SurfaceGrids.h"

namespace {

// Which colours the bake program draws.
constexpr int kTerrainNoise = 0;
constexpr int kWallStone = 1;

// A texture of the program's colours over a rectangle of surface coordinates starting at
// origin, one texel centre every 1 / texelsPerUnit.
BakedSurface bake(Shader& program, GLuint quad, int surface, GLenum format, vec2 origin,
                  vec2 extent, float texelsPerUnit) {
    const int width = static_cast<int>(std::ceil(extent.x * texelsPerUnit)) + 1;
    const int height = static_cast<int>(std::ceil(extent.y * texelsPerUnit)) + 1;
    BakedSurface baked;
    glGenTextures(1, &baked.texture);
    glBindTexture(GL_TEXTURE_2D, baked.texture);
    glTexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, baked.texture, 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete) {
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        glViewport(0, 0, width, height);
        glDisable(GL_DEPTH_TEST);
        glUseProgram(program.programHandle);
        setUniform(program, "origin", origin);
        setUniform(program, "unitsPerTexel", 1.0f / texelsPerUnit);
        setUniform(program, "surface", surface);
        glBindVertexArray(quad);
        glDrawArrays(GL_TRIANGLES, 0, 6);
        glBindVertexArray(0);
        glEnable(GL_DEPTH_TEST);
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        glGenerateMipmap(GL_TEXTURE_2D);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (!complete) {
        glDeleteTextures(1, &baked.texture);
        baked.texture = 0;
        return baked;
    }
    // Texel i's centre lies at origin + i / texelsPerUnit.
    const vec2 size(static_cast<float>(width), static_cast<float>(height));
    const vec2 scale = texelsPerUnit / size;
    const vec2 offset = (0.5f - origin * texelsPerUnit) / size;
    baked.lookup = vec4(scale, offset);
    return baked;
}

}  // namespace

Receivers::~Receivers() {
    glDeleteTextures(1, &terrain.texture);
    glDeleteTextures(1, &walls.texture);
}

std::unique_ptr<Receivers> makeReceivers(Shader& bakeProgram, GLuint screenQuadVao,
                                         const kesto::scene::SurfaceGrids& grids) {
    auto made = std::make_unique<Receivers>();
    for (int onWalls = 0; onWalls < 2; ++onWalls) {
        for (int shadowed = 0; shadowed < 2; ++shadowed) {
            for (int paint = 0; paint < 3; ++paint) {
                const PaintKind kind = static_cast<PaintKind>(paint);
                const std::string defines =
                    std::string(onWalls ? "#define WALLS_ONLY\n" : "#define TERRAIN_ONLY\n") +
                    (shadowed ? "" : "#define NO_CASTERS\n") +
                    (kind == PaintKind::None ? "" : paintSlotDefines(kind));
                made->programs[onWalls][shadowed][paint] = std::make_unique<Shader>(
                    "Shader/shadowmapping.vert", "Shader/shadowmapping.frag", "", true, defines);
            }
        }
    }
    // The grass needs two channels only, and its texture is the larger by far.
    made->terrain = bake(bakeProgram, screenQuadVao, kTerrainNoise, GL_RG8, grids.terrainLow,
                         grids.terrainHigh - grids.terrainLow, kTerrainTexelsPerUnit);
    made->walls = bake(bakeProgram, screenQuadVao, kWallStone, GL_RGBA8, grids.wallOrigin,
                       grids.wallExtent, kWallTexelsPerUnit);
    if (!made->terrain.texture || !made->walls.texture) return nullptr;
    return made;
}
