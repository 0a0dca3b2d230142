#include "render/Receivers.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "assets/Texture.h"
#include "game/Game.h"
#include "render/Shader.h"
#include "render/ShaderContracts.h"
#include "render/paint/PaintTexture.h"
#include "scene/HeightMapObject.h"
#include "scene/SurfaceGrids.h"
#include "scene/WallObject.h"

namespace {

// Which colours the bake program draws.
constexpr int kTerrainNoise = 0;
constexpr int kWallStone = 1;

// A texture of the program's colours over a rectangle of surface coordinates starting at
// origin, one texel centre every 1 / texelsPerUnit.
BakedSurface bake(Shader& program, GLuint quad, int surface, GLenum format, vec2 origin,
                  vec2 extent, float texelsPerUnit) {
    // Beyond the largest texture the GPU takes, the last texels repeat.
    GLint most = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &most);
    const int width = std::min(static_cast<int>(std::ceil(extent.x * texelsPerUnit)) + 1, most);
    const int height = std::min(static_cast<int>(std::ceil(extent.y * texelsPerUnit)) + 1, most);
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

namespace {

constexpr GLint kShadowMapUnit = 0;
constexpr GLint kTerrainUnit = 6;
constexpr GLint kWallUnit = 7;
constexpr GLint kPaintLayersUnit = 8;
constexpr GLint kPaintIndexUnit = 9;
constexpr GLint kCoarsePaintUnit = 10;

void bindSurfaceTextures(const Game& game) {
    glActiveTexture(GL_TEXTURE0 + kShadowMapUnit);
    glBindTexture(GL_TEXTURE_2D, game.shadowMapTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glActiveTexture(GL_TEXTURE0 + kTerrainUnit);
    glBindTexture(GL_TEXTURE_2D, game.receivers->terrain.texture);
    glActiveTexture(GL_TEXTURE0 + kWallUnit);
    glBindTexture(GL_TEXTURE_2D, game.receivers->walls.texture);
    glActiveTexture(GL_TEXTURE0);
}

// The paint takes the filters F4 and F5 choose, as the splat image did.
void bindPaint(const Game& game) {
    const PaintTexture& paint = *game.paintTexture;
    for (const auto& [unit, kind] : {std::pair(kPaintLayersUnit, PaintKind::Fine),
                                     std::pair(kCoarsePaintUnit, PaintKind::Coarse)}) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D_ARRAY, paint.pages(kind));
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER,
                        magFilterFor(game.bilinearFiltering));
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, minFilterFor(game.mipmapMode));
    }
    glActiveTexture(GL_TEXTURE0 + kPaintIndexUnit);
    glBindTexture(GL_TEXTURE_2D, paint.index());
    glActiveTexture(GL_TEXTURE0);
}

void setUniforms(const Game& game, int shadowed) {
    for (const auto& forSurface : game.receivers->programs) {
        for (int kind = 0; kind < kPaintKinds; ++kind) {
            const Shader& program = *forSurface[shadowed][kind];
            glUseProgram(program.programHandle);
            setUniform(program, "PV_cam", game.cameraPv);
            setUniform(program, "shadow_tex_mat", game.shadowTextureMatrix);
            setUniform(program, "shadow_map", kShadowMapUnit);
            setUniform(program, "terrain_noise", kTerrainUnit);
            setUniform(program, "wall_stone", kWallUnit);
            setUniform(program, "terrain_lookup", game.receivers->terrain.lookup);
            setUniform(program, "wall_lookup", game.receivers->walls.lookup);
            setUniform(
                program, "paint_layers",
                kind == static_cast<int>(PaintKind::Coarse) ? kCoarsePaintUnit : kPaintLayersUnit);
            setUniform(program, "paint_index", kPaintIndexUnit);
        }
    }
}

// Walls go in pieces, painted and not, unless something already drew them whole: the pieces'
// depths would not be equal to theirs. And the wireframe would show the cuts.
bool wallsInPieces(const Game& game) {
    const std::vector<bool>& baked = game.paintTexture->baked();
    return !game.wireframe && !game.switchedTerrainShader &&
           std::find(baked.begin(), baked.end(), false) == baked.end();
}

void drawWall(const Game& game, size_t i, const Shader& program, PaintKind kind, bool inPieces) {
    const PaintTexture& paint = *game.paintTexture;
    kesto::scene::WallObject& wall = *game.walls[i];
    WallPiece whole;
    whole.kind = paint.wallKind(i);
    const std::vector<WallPiece>& pieces = paint.wallPieces(i);
    const WallPiece* first = inPieces ? pieces.data() : &whole;
    const WallPiece* last = inPieces ? pieces.data() + pieces.size() : &whole + 1;
    bool placed = false;
    for (const WallPiece* piece = first; piece != last; ++piece) {
        if (piece->kind != kind) continue;
        if (!placed) {
            setUniform(program, "M", wall.modelMatrix);
            if (kind != PaintKind::None) setUniform(program, "paint_place", paint.wallPlace(i));
            placed = true;
        }
        setUniform(program, "wall_piece", vec4(piece->from, piece->to, piece->bottom, piece->top));
        wall.draw();
    }
}

void drawWalls(const Game& game, int shadowed) {
    const bool inPieces = wallsInPieces(game);
    for (int kind = 0; kind < kPaintKinds; ++kind) {
        const Shader& program = *game.receivers->programs[1][shadowed][kind];
        glUseProgram(program.programHandle);
        for (size_t i = 0; i < game.walls.size(); ++i) {
            if (game.frustumCulling && !game.walls[i]->visible) continue;
            drawWall(game, i, program, static_cast<PaintKind>(kind), inPieces);
        }
    }
}

// The terrain in runs of cells by their kind of paint; a cell's paint is found at the first
// vertex of its triangles.
void drawTerrain(const Game& game, int shadowed) {
    const PaintTexture& paint = *game.paintTexture;
    const bool unpainted =
        paint.terrainRuns(PaintKind::Fine).empty() && paint.terrainRuns(PaintKind::Coarse).empty();
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    for (int kind = 0; kind < kPaintKinds; ++kind) {
        const Shader& ground = *game.receivers->programs[0][shadowed][kind];
        const auto& cells = paint.terrainRuns(static_cast<PaintKind>(kind));
        if (cells.empty()) continue;
        glUseProgram(ground.programHandle);
        setUniform(ground, "M", game.terrain->modelMatrix);
        setUniform(ground, "paint_place", paint.terrainPlace());
        // Unpainted, the whole terrain is one draw.
        if (kind == 0 && unpainted) {
            game.terrain->draw();
        } else {
            game.terrain->drawRuns(cells);
        }
    }
    glProvokingVertex(GL_LAST_VERTEX_CONVENTION);
}

void unbindPaint() {
    for (const GLint unit : {kPaintLayersUnit, kCoarsePaintUnit}) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    }
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace

void Game::bindShadowMapAndDrawReceivers() {
    bindSurfaceTextures(*this);
    bindPaint(*this);
    // With nothing in the light's window the receivers skip the shadow lookups altogether.
    const int shadowed = castersInLightWindow ? 1 : 0;
    setUniforms(*this, shadowed);
    drawWalls(*this, shadowed);
    drawTerrain(*this, shadowed);
    unbindPaint();
}
