#include "render/ShadowMap.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "assets/Texture.h"
#include "game/Game.h"
#include "render/Shader.h"
#include "scene/BallObject.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"

namespace {

constexpr float kItemCullRadius = 1.0f;
constexpr float kItemCullFar = 25.0f;
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
