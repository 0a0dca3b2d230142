#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "assets/Texture.h"
#include "game/Game.h"
#include "game/Projection.h"
#include "platform/Sound.h"
#include "render/Frustum.h"
#include "render/Hud.h"
#include "render/ParticleSystem.h"
#include "render/Shader.h"
#include "render/ShadowMap.h"
#include "render/TextOverlay.h"
#include "render/paint/PaintTexture.h"
#include "scene/BallObject.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "scene/MeshObjects.h"
#include "scene/SplatReach.h"
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
    if (posterIndex == kPosterWin && winTime >= 0.0)
        for (const HudLine& line : winPosterLines(winTime, bestTime)) printLine(*this, line);
    if (wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
}

namespace {

// The box of the texels the crosshair program keeps (alpha of a half or more, so any texel
// with alpha at all, and one more around for the filtering), as fractions of the texture.
vec4 opaqueArea(const Texture* texture) {
    const vec4 whole(0.0f, 0.0f, 1.0f, 1.0f);
    if (!texture || texture->mask.width <= 0 || texture->mask.height <= 0) return whole;
    const int width = texture->mask.width, height = texture->mask.height;
    int low[2] = {width, height}, high[2] = {-1, -1};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (texture->mask.alpha[static_cast<size_t>(y) * width + x] == 0) continue;
            low[0] = std::min(low[0], x), low[1] = std::min(low[1], y);
            high[0] = std::max(high[0], x), high[1] = std::max(high[1], y);
        }
    }
    if (high[0] < 0) return vec4(0.0f);
    return vec4(static_cast<float>(low[0] - 1) / width, static_cast<float>(low[1] - 1) / height,
                static_cast<float>(high[0] + 2) / width, static_cast<float>(high[1] + 2) / height);
}

}  // namespace

void Game::drawCrosshair() {
    glUseProgram(textureShader->programHandle);
    bindTexture(kScreenUnit, crosshairTexture.get());
    if (!crosshairAreaKnown) {
        crosshairArea = opaqueArea(crosshairTexture.get());
        crosshairAreaKnown = true;
    }
    // The quad spans the viewport; only the crosshair's own box of it can keep pixels.
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const GLint x = viewport[0] + static_cast<GLint>(std::floor(crosshairArea.x * viewport[2]));
    const GLint y = viewport[1] + static_cast<GLint>(std::floor(crosshairArea.y * viewport[3]));
    const GLint right = viewport[0] + static_cast<GLint>(std::ceil(crosshairArea.z * viewport[2]));
    const GLint top = viewport[1] + static_cast<GLint>(std::ceil(crosshairArea.w * viewport[3]));
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, std::max(right - x, 0), std::max(top - y, 0));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    setUniform(*textureShader, "texture", kScreenUnit);
    drawScreenQuad(*this);
    glDisable(GL_SCISSOR_TEST);
}

namespace {

bool wallShown(const Game& game, const kesto::scene::WallObject& wall) {
    return !game.frustumCulling || wall.visible;
}

void drawBalls(Game& game) {
    glUseProgram(game.phongShader->programHandle);
    for (auto& ball : game.balls) {
        if (game.frustumCulling &&
            !game.isInFrustum(translationOf(ball->modelMatrix), kBallCullRadius, kBallCullFar)) {
            continue;
        }
        setUniform(*game.phongShader, "modelMatrix", ball->modelMatrix);
        ball->draw();
    }
}

// The camera exactly as the splats are drawn with it, and the viewport: their screen rectangles.
struct SplatScreen {
    mat4 cameraPv{1.0f};
    GLint viewport[4] = {0, 0, 0, 0};

    explicit SplatScreen(const mat4& cameraPv) : cameraPv(cameraPv) {
        glGetIntegerv(GL_VIEWPORT, viewport);
    }
    // Limits the pixels of the next draw to where the hull shows; false when it does not.
    bool scissorTo(const SplatSurface& surface) const {
        int rect[4];
        if (!screenRectOf(surface.hull, cameraPv, viewport, rect)) return false;
        glEnable(GL_SCISSOR_TEST);
        glScissor(rect[0], rect[1], rect[2], rect[3]);
        return true;
    }
};

void paintWall(Game& game, kesto::scene::WallObject& wall) {
    if (!wallShown(game, wall)) return;
    setUniform(*game.projectionShader, "M", wall.modelMatrix);
    wall.draw();
}

void drawSplat(Game& game, const Projection& splat, const SplatScreen& screen) {
    Shader& program = *game.projectionShader;
    if (!splat.reachKnown) {
        // Painted over everything: the splat redraws every wall and the terrain.
        glDisable(GL_SCISSOR_TEST);
        setUniform(program, "proj_tex_mat", splat.textureMatrix);
        for (auto& wall : game.walls) paintWall(game, *wall);
        if (splat.onTerrain) {
            setUniform(program, "M", game.terrain->modelMatrix);
            game.terrain->draw();
        }
        return;
    }
    // Only what the projector reaches, and only the pixels its paint can cover: anywhere else
    // every fragment would be discarded.
    bool matrixSet = false;
    auto setMatrix = [&]() {
        if (!matrixSet) setUniform(program, "proj_tex_mat", splat.textureMatrix);
        matrixSet = true;
    };
    for (const SplatSurface& surface : splat.reachedWalls) {
        if (surface.wall < 0 || static_cast<size_t>(surface.wall) >= game.walls.size()) continue;
        kesto::scene::WallObject& wall = *game.walls[static_cast<size_t>(surface.wall)];
        if (!wallShown(game, wall) || !screen.scissorTo(surface)) continue;
        setMatrix();
        paintWall(game, wall);
    }
    if (splat.onTerrain && !splat.terrainRuns.empty() && screen.scissorTo(splat.terrainReach)) {
        setMatrix();
        setUniform(program, "M", game.terrain->modelMatrix);
        game.terrain->drawRuns(splat.terrainRuns);
    }
}

// Walls and terrain: the normals view, or the splats the paint tiles could not take. Whatever
// lands here first keeps its pixels against the shadow-receiving pass at equal depth.
void drawSplatPass(Game& game) {
    if (game.switchedTerrainShader) {
        drawWallsAndTerrain(game, *game.normalsShader, *game.normalsShader, "modelMatrix");
        return;
    }
    bindTexture(kSplatUnit, game.splatTexture.get());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    applyTextureSampling(game.bilinearFiltering, game.mipmapMode);
    glUseProgram(game.projectionShader->programHandle);
    setUniform(*game.projectionShader, "proj_Map", kSplatUnit);
    const SplatScreen screen(game.cameraPv);
    const std::vector<bool>& baked = game.paintTexture->baked();
    for (size_t i = 0; i < projections.size(); ++i) {
        const Projection& splat = projections[i];
        if (i < baked.size() && baked[i]) continue;
        if (game.frustumCulling &&
            !game.isInFrustum(splat.position, kSplatCullRadius, kSplatCullFar)) {
            continue;
        }
        drawSplat(game, splat, screen);
    }
    glDisable(GL_SCISSOR_TEST);
}

// Each burst blends itself over the scene (its own draw sets the blending); depth is tested
// but not written, so the bursts never hide each other.
void drawParticles(Game& game) {
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_DST_ALPHA, GL_ONE);
    game.removalIndices.clear();
    const size_t systemCount = game.particleSystems.size();
    for (size_t i = 0; i < systemCount; ++i) {
        ParticleSystem& system = *game.particleSystems[i];
        const int deltaMillis = static_cast<int>(game.frameTime * 1000.0);
        system.time += deltaMillis;
        system.update(deltaMillis);
        system.render();
        system.currentVertexBuffer = system.currentFeedbackBuffer;
        system.currentFeedbackBuffer = 1 - system.currentFeedbackBuffer;
        game.lastParticleState = static_cast<int>(system.aliveCount);
        if (game.lastParticleState == 0) game.removalIndices.push_back(static_cast<int>(i));
    }
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    eraseAtPositions(game.particleSystems, game.removalIndices);
    game.removalIndices.clear();
}

// Outline from its back faces, then toon-shaded, then the red layer.
void drawFinishGate(Game& game) {
    glCullFace(GL_FRONT);
    glUseProgram(game.contourShader->programHandle);
    setUniform(*game.contourShader, "modelMatrix", game.finish->modelMatrix);
    game.finish->draw();
    glCullFace(GL_BACK);

    glUseProgram(game.toonShader->programHandle);
    bindTexture(kFinishUnit, game.finishTexture.get());
    setUniform(*game.toonShader, "colorTexture", kFinishUnit);
    setUniform(*game.toonShader, "modelMatrix", game.finish->modelMatrix);
    game.finish->draw();

    if (game.transparency) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glUseProgram(game.transparencyShader->programHandle);
    setUniform(*game.transparencyShader, "color", vec3(1.0f, 0.0f, 0.0f));
    setUniform(*game.transparencyShader, "modelMatrix", game.finishLayer->modelMatrix);
    game.finishLayer->draw();
    glDisable(GL_BLEND);
}

void drawHud(Game& game) {
    const int remaining = remainingSeconds(game.elapsedTime);
    if (game.tickingSound && clockShouldTick(game.tickingSound->getIsPaused(), remaining)) {
        game.tickingSound->setPlayPosition(0);
        game.tickingSound->setIsPaused(false);
    }
    for (const HudLine& line : hudLines(hudStateOf(game))) printLine(game, line);
}

void drawDebugRow(Game& game) {
    for (const HudLine& line : debugRowLines(renderSwitchesOf(game))) printLine(game, line);
}

}  // namespace

void drawWallsAndTerrain(Game& game, const Shader& wallProgram, const Shader& terrainProgram,
                         const char* modelUniform) {
    glUseProgram(wallProgram.programHandle);
    for (auto& wall : game.walls) {
        if (!wallShown(game, *wall)) continue;
        setUniform(wallProgram, modelUniform, wall->modelMatrix);
        wall->draw();
    }
    glUseProgram(terrainProgram.programHandle);
    setUniform(terrainProgram, modelUniform, game.terrain->modelMatrix);
    game.terrain->draw();
}

void Game::renderFrame() {
    if (posterVisible) {
        drawPoster();
        return;
    }
    const auto pass = [this](const char* name) {
        if (afterPass) afterPass(name);
    };
    // New paint goes onto its tiles before anything is drawn: switching the render target
    // mid-frame would flush the queued work.
    paintTexture->update(projections, cameraPosition, splatTexture.get(), *terrain, walls);
    pass("paint");
    drawBalls(*this);
    pass("balls");
    drawSplatPass(*this);
    pass("splats");
    bindShadowMapAndDrawReceivers();
    pass("receivers");
    bonusItems->drawBonusItems(transparency, bilinearFiltering, mipmapMode);
    pass("items");
    drawParticles(*this);
    pass("particles");
    drawFinishGate(*this);
    pass("gate");
    // HUD: always filled, even over a wireframe scene.
    if (wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    drawHud(*this);
    drawCrosshair();
    if (showDebugHud) drawDebugRow(*this);
    if (wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    pass("HUD");
}

void Game::launchBurst(vec3 position, vec3 direction) {
    if (!particleSystem) return;
    auto burst = std::make_unique<ParticleSystem>(*particleSystem);
    burst->launch(position, direction);
    particleSystems.push_back(std::move(burst));
}
