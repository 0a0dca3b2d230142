// The real game set to draw a plain playing frame into an off-screen target of a given size.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "game/Game.h"
#include "shell/Globals.h"
#include "shell/Movement.h"
#include "support/GameFixture.h"

struct Rgba {
    uint8_t r, g, b, a;
};
inline bool operator==(Rgba p, Rgba q) { return std::memcmp(&p, &q, sizeof(Rgba)) == 0; }

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
        g->ballsLeft = kStartBalls;
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
    // The whole frame drawn over magenta, or over white, into a colour and depth target of its own.
    std::vector<Rgba> frame(bool white = false) {
        GLuint framebuffer = 0, buffers[2] = {0, 0};
        const GLenum formats[2] = {GL_RGBA8, GL_DEPTH_COMPONENT24};
        const GLenum attachments[2] = {GL_COLOR_ATTACHMENT0, GL_DEPTH_ATTACHMENT};
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glGenRenderbuffers(2, buffers);
        for (int i = 0; i < 2; ++i) {
            glBindRenderbuffer(GL_RENDERBUFFER, buffers[i]);
            glRenderbufferStorage(GL_RENDERBUFFER, formats[i], width, height);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachments[i], GL_RENDERBUFFER, buffers[i]);
        }
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum{GL_FRAMEBUFFER_COMPLETE});
        glViewport(0, 0, width, height);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_CULL_FACE);
        glClearColor(1.0f, white ? 1.0f : 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        g->renderFrame();
        std::vector<Rgba> pixels(static_cast<size_t>(width) * height);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteRenderbuffers(2, buffers);
        glDeleteFramebuffers(1, &framebuffer);
        return pixels;
    }

    const int width, height;
};
