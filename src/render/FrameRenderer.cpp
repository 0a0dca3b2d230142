#include <cstdio>

#include "assets/Texture.h"
#include "game/Game.h"
#include "game/Projection.h"
#include "platform/Sound.h"
#include "render/Frustum.h"
#include "render/Hud.h"
#include "render/ParticleSystem.h"
#include "render/Shader.h"
#include "render/SplatReach.h"
#include "render/TextOverlay.h"
#include "scene/BallObject.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "scene/MeshObjects.h"
#include "scene/WallObject.h"

namespace {

constexpr float kBallCullRadius = static_cast<float>(kBallRadius);
constexpr float kBallCullFar = 30.0f;
constexpr float kSplatCullRadius = 2.5f;
constexpr float kSplatCullFar = 42.0f;
constexpr GLint kSplatUnit = 1;
constexpr GLint kFinishUnit = 4;
constexpr GLint kScreenUnit = 5;

void bindTexture(GLint unit, const Texture* texture) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, texture ? texture->textureName : 0);
}

// A minimised window reports height 0; any aspect will do then, nothing is seen.
float viewAspect(const Game& game) {
    if (game.windowHeight <= 0) return 1.0f;
    return static_cast<float>(game.windowWidth) / static_cast<float>(game.windowHeight);
}

}  // namespace

bool Game::isInFrustum(vec3 center, float radius, float farDistance) const {
    return sphereInFrustum(viewMatrix, cameraPosition, viewAspect(*this), center, radius,
                           farDistance);
}

void Game::updateWallVisibility() {
    const float aspect = viewAspect(*this);
    const GroundHeight ground = [this](float x, float z) { return terrain->cellHeight(x, z); };
    for (auto& wall : walls) {
        wall->visible =
            wallInView(viewMatrix, cameraPosition, aspect, wall->start, wall->end, ground);
    }
}

namespace {

void drawScreenQuad(const Game& game) {
    // The quad feeds attribute 0 only; the shaders derive the texture coordinate from it.
    glBindVertexArray(game.screenQuadVao);
    glBindBuffer(GL_ARRAY_BUFFER, game.screenQuadBuffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void printLine(Game& game, const HudLine& line) {
    std::snprintf(game.hudText, sizeof game.hudText, "%s", line.text.c_str());
    printTextOverlay(game.hudText, line.x, line.y, line.size, line.colour);
}

}  // namespace

void Game::drawPoster() {
    if (wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glUseProgram(textureShader->programHandle);
    const Texture* poster = nullptr;
    switch (posterIndex) {
    case kPosterPlay: poster = posterPlayTexture.get(); break;
    case kPosterHelp: poster = posterHelpTexture.get(); break;
    case kPosterWin: poster = posterWinTexture.get(); break;
    case kPosterLose: poster = posterLoseTexture.get(); break;
    default: break;
    }
    if (poster) bindTexture(kScreenUnit, poster);
    setUniform(*textureShader, "texture", kScreenUnit);
    drawScreenQuad(*this);
    if (wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
}

void Game::drawCrosshair() {
    glUseProgram(textureShader->programHandle);
    bindTexture(kScreenUnit, crosshairTexture.get());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    setUniform(*textureShader, "texture", kScreenUnit);
    drawScreenQuad(*this);
}

void Game::renderFrame() {
    if (posterVisible) {
        drawPoster();
        return;
    }

    // Balls.
    glUseProgram(phongShader->programHandle);
    for (auto& ball : balls) {
        if (frustumCulling &&
            !isInFrustum(translationOf(ball->modelMatrix), kBallCullRadius, kBallCullFar)) {
            continue;
        }
        setUniform(*phongShader, "modelMatrix", ball->modelMatrix);
        ball->draw();
    }

    // Walls and terrain: the normals view, or the splats. Whatever lands here first keeps its
    // pixels against the shadow-receiving pass at equal depth.
    auto wallShown = [this](const kesto::scene::WallObject& wall) {
        return !frustumCulling || wall.visible;
    };
    if (switchedTerrainShader) {
        glUseProgram(normalsShader->programHandle);
        for (auto& wall : walls) {
            if (!wallShown(*wall)) continue;
            setUniform(*normalsShader, "modelMatrix", wall->modelMatrix);
            wall->draw();
        }
        setUniform(*normalsShader, "modelMatrix", terrain->modelMatrix);
        terrain->draw();
    } else {
        bindTexture(kSplatUnit, splatTexture.get());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        applyTextureSampling(bilinearFiltering, mipmapMode);
        glUseProgram(projectionShader->programHandle);
        setUniform(*projectionShader, "proj_Map", kSplatUnit);
        // The camera exactly as the splats are drawn with it, for their screen rectangles.
        mat4 cameraPv(1.0f);
        const GLint pvLocation = glGetUniformLocation(projectionShader->programHandle, "PV_cam");
        if (pvLocation >= 0)
            glGetUniformfv(projectionShader->programHandle, pvLocation, &cameraPv[0][0]);
        GLint viewport[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_VIEWPORT, viewport);
        auto paintWall = [&](kesto::scene::WallObject& wall) {
            if (!wallShown(wall)) return;
            setUniform(*projectionShader, "M", wall.modelMatrix);
            wall.draw();
        };
        // Limits the pixels of the next draw to where the hull shows; false when it does not.
        auto scissorTo = [&](const SplatSurface& surface) {
            int rect[4];
            if (pvLocation < 0) return true;
            if (!screenRectOf(surface.hull, cameraPv, viewport, rect)) return false;
            glEnable(GL_SCISSOR_TEST);
            glScissor(rect[0], rect[1], rect[2], rect[3]);
            return true;
        };
        for (const Projection& splat : projections) {
            if (frustumCulling && !isInFrustum(splat.position, kSplatCullRadius, kSplatCullFar)) {
                continue;
            }
            if (!splat.reachKnown) {
                // Painted over everything: the splat redraws every wall and the terrain.
                glDisable(GL_SCISSOR_TEST);
                setUniform(*projectionShader, "proj_tex_mat", splat.textureMatrix);
                for (auto& wall : walls) paintWall(*wall);
                if (splat.onTerrain) {
                    setUniform(*projectionShader, "M", terrain->modelMatrix);
                    terrain->draw();
                }
                continue;
            }
            // Only what the projector reaches, and only the pixels its paint can cover:
            // anywhere else every fragment would be discarded.
            bool matrixSet = false;
            auto setMatrix = [&]() {
                if (!matrixSet) setUniform(*projectionShader, "proj_tex_mat", splat.textureMatrix);
                matrixSet = true;
            };
            for (const SplatSurface& surface : splat.reachedWalls) {
                if (surface.wall < 0 || static_cast<size_t>(surface.wall) >= walls.size()) continue;
                kesto::scene::WallObject& wall = *walls[static_cast<size_t>(surface.wall)];
                if (!wallShown(wall) || !scissorTo(surface)) continue;
                setMatrix();
                paintWall(wall);
            }
            if (splat.onTerrain && !splat.terrainRuns.empty() && scissorTo(splat.terrainReach)) {
                setMatrix();
                setUniform(*projectionShader, "M", terrain->modelMatrix);
                drawTerrainRuns(*terrain, splat);
            }
        }
        glDisable(GL_SCISSOR_TEST);
    }

    bindShadowMapAndDrawReceivers();

    bonusItems->drawBonusItems(transparency, bilinearFiltering, mipmapMode);

    // Depth-tested but not written, so bursts never hide each other; each blends its paint over
    // what lies behind it (ParticleSystem::render).
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_DST_ALPHA, GL_ONE);
    removalIndices.clear();
    const size_t systemCount = particleSystems.size();
    for (size_t i = 0; i < systemCount; ++i) {
        ParticleSystem& system = *particleSystems[i];
        const int deltaMillis = static_cast<int>(frameTime * 1000.0);
        system.time += deltaMillis;
        system.update(deltaMillis);
        system.render();
        system.currentVertexBuffer = system.currentFeedbackBuffer;
        system.currentFeedbackBuffer = 1 - system.currentFeedbackBuffer;
        lastParticleState = static_cast<int>(system.aliveCount);
        if (lastParticleState == 0) removalIndices.push_back(static_cast<int>(i));
    }
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    eraseAtPositions(particleSystems, removalIndices);
    removalIndices.clear();

    // Finish gate: outline from its back faces, then toon-shaded, then the red layer.
    glCullFace(GL_FRONT);
    glUseProgram(contourShader->programHandle);
    setUniform(*contourShader, "modelMatrix", finish->modelMatrix);
    finish->draw();
    glCullFace(GL_BACK);

    glUseProgram(toonShader->programHandle);
    bindTexture(kFinishUnit, finishTexture.get());
    setUniform(*toonShader, "colorTexture", kFinishUnit);
    setUniform(*toonShader, "modelMatrix", finish->modelMatrix);
    finish->draw();

    if (transparency) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glUseProgram(transparencyShader->programHandle);
    setUniform(*transparencyShader, "color", vec3(1.0f, 0.0f, 0.0f));
    setUniform(*transparencyShader, "modelMatrix", finishLayer->modelMatrix);
    finishLayer->draw();
    glDisable(GL_BLEND);

    // HUD: always filled, even over a wireframe scene.
    if (wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    const int remaining = remainingSeconds(elapsedTime);
    if (tickingSound && clockShouldTick(tickingSound->getIsPaused(), remaining)) {
        tickingSound->setPlayPosition(0);
        tickingSound->setIsPaused(false);
    }
    for (const HudLine& line : hudLines(hudStateOf(*this))) printLine(*this, line);
    drawCrosshair();
    if (showDebugHud) {
        for (const HudLine& line : debugRowLines(renderSwitchesOf(*this))) printLine(*this, line);
    }
    if (wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
}
