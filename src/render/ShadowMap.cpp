#include "render/ShadowMap.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "assets/Texture.h"
#include "game/Game.h"
#include "render/Receivers.h"
#include "render/Shader.h"
#include "render/paint/PaintTexture.h"
#include "scene/BallObject.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"

namespace {

constexpr float kItemCullRadius = 1.0f;
constexpr float kItemCullFar = 25.0f;
constexpr GLint kTerrainUnit = 6;
constexpr GLint kWallUnit = 7;
constexpr GLint kPaintLayersUnit = 8;
constexpr GLint kPaintIndexUnit = 9;
constexpr GLint kCoarsePaintUnit = 10;
// How far past the light's window (in its normalised units, 1 at the edges) a caster's centre
// may lie and still reach in with its shadow: a ball's radius, an item's rings.
constexpr float kWindowSlack = 0.1f;

bool insideLightWindow(const mat4& lightPV, const mat4& modelMatrix) {
    const vec4 c = lightPV * modelMatrix[3];
    return std::abs(c.x) <= 1.0f + kWindowSlack && std::abs(c.y) <= 1.0f + kWindowSlack &&
           std::abs(c.z) <= 1.0f + kWindowSlack;
}

// Two triangles over the whole of normalised device space.
constexpr float kScreenQuad[18] = {-1, -1, 0, 1, -1, 0, -1, 1, 0, -1, 1, 0, 1, -1, 0, 1, 1, 0};

}  // namespace

bool Game::createShadowMap(GLuint& depthTexture, GLuint& framebuffer) {
    glGenTextures(1, &depthTexture);
    glBindTexture(GL_TEXTURE_2D, depthTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, kShadowMapSize, kShadowMapSize, 0,
                 GL_DEPTH_COMPONENT, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glBindTexture(GL_TEXTURE_2D, 0);

    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depthTexture, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);

    glGenBuffers(1, &screenQuadBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, screenQuadBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof kScreenQuad, kScreenQuad, GL_STATIC_DRAW);
    glGenVertexArrays(1, &screenQuadVao);
    glBindVertexArray(screenQuadVao);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    // Until the first depth pass nothing casts a shadow: start from the far plane everywhere.
    if (status == GL_FRAMEBUFFER_COMPLETE) {
        glDepthMask(GL_TRUE);
        glClear(GL_DEPTH_BUFFER_BIT);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return status == GL_FRAMEBUFFER_COMPLETE;
}

void Game::renderShadowMap() {
    glBindFramebuffer(GL_FRAMEBUFFER, shadowMapFramebuffer);
    glViewport(0, 0, kShadowMapSize, kShadowMapSize);
    // Depth is all this pass makes; it must not depend on who touched the depth state last.
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);  // only back faces: a caster's lit side never shadows itself
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.1f, 4.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    const mat4 lightView = shadowLightView(cameraPosition);
    const mat4 lightProjection = shadowLightProjection(cameraPosition);
    const mat4 lightPV = lightProjection * lightView;
    const auto drawCaster = [&](const mat4& modelMatrix, auto&& draw) {
        depthMVP = lightPV * modelMatrix;
        setUniform(*shadowDepthShader, "depthMVP", depthMVP);
        draw();
    };

    glUseProgram(shadowDepthShader->programHandle);
    castersInLightWindow = false;
    const std::vector<kesto::scene::BonusItemObject*> hitItems = bonusItems->hitItems();
    for (kesto::scene::BonusItemObject* item : hitItems) {
        if (frustumCulling &&
            !isInFrustum(translationOf(item->modelMatrix), kItemCullRadius, kItemCullFar)) {
            continue;
        }
        // The item's own draw switches to its ring program with the camera's matrices, which
        // would scribble the rings into the map from the wrong side: draw its mesh here, and
        // the rings with the light's matrices.
        castersInLightWindow |= insideLightWindow(lightPV, item->modelMatrix);
        drawCaster(item->modelMatrix, [&] {
            glBindVertexArray(item->mesh->vao);
            glDrawArrays(GL_TRIANGLES, 0, item->vertexCount);
            glBindVertexArray(0);
        });
        for (auto& ring : item->atoms) {
            if (ring) drawCaster(ring->modelMatrix, [&] { ring->draw(); });
        }
    }

    for (auto& ball : balls) {
        castersInLightWindow |= insideLightWindow(lightPV, ball->modelMatrix);
        drawCaster(ball->modelMatrix, [&] { ball->draw(); });
    }

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, windowWidth, windowHeight);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_POLYGON_OFFSET_FILL);

    glUseProgram(shadowShader->programHandle);
    shadowTextureMatrix = biasMatrix * lightPV;
    setUniform(*shadowShader, "shadow_tex_mat", shadowTextureMatrix);
}

namespace {}  // namespace

void Game::bindShadowMapAndDrawReceivers() {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, shadowMapTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glActiveTexture(GL_TEXTURE0 + kTerrainUnit);
    glBindTexture(GL_TEXTURE_2D, receivers->terrain.texture);
    glActiveTexture(GL_TEXTURE0 + kWallUnit);
    glBindTexture(GL_TEXTURE_2D, receivers->walls.texture);
    glActiveTexture(GL_TEXTURE0);

    const PaintTexture& paint = *paintTexture;
    // The paint takes the filters F4 and F5 choose, as the splat image did.
    for (const auto& [unit, kind] : {std::pair(kPaintLayersUnit, PaintKind::Fine),
                                     std::pair(kCoarsePaintUnit, PaintKind::Coarse)}) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D_ARRAY, paint.pages(kind));
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER,
                        magFilterFor(bilinearFiltering));
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, minFilterFor(mipmapMode));
    }
    glActiveTexture(GL_TEXTURE0 + kPaintIndexUnit);
    glBindTexture(GL_TEXTURE_2D, paint.index());
    glActiveTexture(GL_TEXTURE0);

    // With nothing in the light's window the receivers skip the shadow lookups altogether, and
    // surfaces without paint the paint lookups.
    const int shadowed = castersInLightWindow ? 1 : 0;
    for (const auto& forSurface : receivers->programs) {
        for (int kind = 0; kind < 3; ++kind) {
            const Shader& program = *forSurface[shadowed][kind];
            glUseProgram(program.programHandle);
            setUniform(program, "PV_cam", cameraPv);
            setUniform(program, "shadow_tex_mat", shadowTextureMatrix);
            setUniform(program, "shadow_map", 0);
            setUniform(program, "terrain_noise", kTerrainUnit);
            setUniform(program, "wall_stone", kWallUnit);
            setUniform(program, "terrain_lookup", receivers->terrain.lookup);
            setUniform(program, "wall_lookup", receivers->walls.lookup);
            setUniform(
                program, "paint_layers",
                kind == static_cast<int>(PaintKind::Coarse) ? kCoarsePaintUnit : kPaintLayersUnit);
            setUniform(program, "paint_index", kPaintIndexUnit);
        }
    }
    // Walls go in pieces, painted and not, unless something already drew them whole: the
    // pieces' depths would not be equal to theirs. And the wireframe would show the cuts.
    const std::vector<bool>& baked = paint.baked();
    const bool inPieces = !wireframe && !switchedTerrainShader &&
                          std::find(baked.begin(), baked.end(), false) == baked.end();
    for (int kind = 0; kind < 3; ++kind) {
        const Shader& program = *receivers->programs[1][shadowed][kind];
        glUseProgram(program.programHandle);
        for (size_t i = 0; i < walls.size(); ++i) {
            kesto::scene::WallObject& wall = *walls[i];
            if (frustumCulling && !wall.visible) continue;
            bool placed = false;
            const std::vector<WallPiece>& pieces = paint.wallPieces(i);
            WallPiece whole;
            whole.kind = paint.wallKind(i);
            const WallPiece* first = inPieces ? pieces.data() : &whole;
            const WallPiece* last = inPieces ? pieces.data() + pieces.size() : &whole + 1;
            for (const WallPiece* part = first; part != last; ++part) {
                const WallPiece& piece = *part;
                if (piece.kind != static_cast<PaintKind>(kind)) continue;
                if (!placed) {
                    setUniform(program, "M", wall.modelMatrix);
                    if (kind) setUniform(program, "paint_place", paint.wallPlace(i));
                    placed = true;
                }
                setUniform(program, "wall_piece",
                           vec4(piece.from, piece.to, piece.bottom, piece.top));
                wall.draw();
            }
        }
    }
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    for (int kind = 0; kind < 3; ++kind) {
        const Shader& ground = *receivers->programs[0][shadowed][kind];
        const std::vector<kesto::scene::TerrainRun>& cells =
            paint.terrainRuns(static_cast<PaintKind>(kind));
        if (cells.empty()) continue;
        glUseProgram(ground.programHandle);
        setUniform(ground, "M", terrain->modelMatrix);
        setUniform(ground, "paint_place", paint.terrainPlace());
        // Unpainted, the whole terrain is one draw.
        if (kind == 0 && paint.terrainRuns(PaintKind::Fine).empty() &&
            paint.terrainRuns(PaintKind::Coarse).empty()) {
            terrain->draw();
        } else {
            terrain->drawRuns(cells);
        }
    }
    glProvokingVertex(GL_LAST_VERTEX_CONVENTION);

    for (const GLint unit : {kPaintLayersUnit, kCoarsePaintUnit}) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    }
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
}
