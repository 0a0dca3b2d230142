// The real game set to draw a plain playing frame into an off-screen target of a given size.
#pragma once

#include <vector>

#include "game/Game.h"
#include "render/OffscreenTarget.h"
#include "shell/Globals.h"
#include "shell/Movement.h"
#include "support/GameFixture.h"

class FrameTest : public GameTest {
protected:
    FrameTest(int width, int height) : width(width), height(height) {}
    void SetUp() override {
        GameTest::SetUp();
        if (!g) return;
        g->posterVisible = g->wireframe = g->switchedTerrainShader = false;
        g->showDebugHud = g->showFrameTime = false;
        g->frustumCulling = true;
        g->posterIndex = 1;
        g->elapsedTime = 0.0;
        g->frameTime = 0.016;
        g->ballsLeft = 200;
        g->goalDistance = -1.0f;
        g->windowWidth = width;
        g->windowHeight = height;
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
    void TearDown() override {
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        if (g) g->frustumCulling = true;
    }
    void lookAt(vec3 eye, vec3 target) {
        g->cameraPosition = eye;
        uploadCameraMatrices(makeProjectionMatrix(width, height),
                             glm::lookAt(eye, target, vec3(0, 1, 0)));
        g->updateWallVisibility();
    }
    // The whole frame drawn over magenta, or over white.
    std::vector<Rgba> frame(bool white = false) {
        Target target(width, height);
        EXPECT_TRUE(target.complete());
        target.clear(1.0f, white ? 1.0f : 0.0f, 1.0f);
        g->renderFrame();
        return target.read();
    }

    const int width, height;
};
