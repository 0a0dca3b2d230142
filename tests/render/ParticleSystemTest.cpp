// GPU particle bursts: the transform-feedback step, their end and what they own.
#include <gtest/gtest.h>

#include <memory>

#include "render/ParticleSystem.h"
#include "render/Shader.h"
#include "support/GlContext.h"

namespace {

// The template, built once from the repository's shaders and sprite.
ParticleSystem& particleTemplate() {
    static const auto built = std::make_unique<ParticleSystem>();
    return *built;
}

std::unique_ptr<ParticleSystem> launchedBurst(vec3 at = vec3(5, 2, 5)) {
    auto burst = std::make_unique<ParticleSystem>(particleTemplate());
    burst->launch(at, vec3(0, -1, 0));
    return burst;
}

// One frame of a burst, the way the frame renderer drives it.
void frame(ParticleSystem& burst, int deltaMillis) {
    burst.time += deltaMillis;
    burst.update(deltaMillis);
    burst.render();
    burst.currentVertexBuffer = burst.currentFeedbackBuffer;
    burst.currentFeedbackBuffer = 1 - burst.currentFeedbackBuffer;
}

class ParticleTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        particleTemplate();
        glEnable(GL_BLEND);
        glDepthMask(GL_FALSE);
    }
    void TearDown() override {
        glDisable(GL_BLEND);
        glDepthMask(GL_TRUE);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};

}  // namespace

TEST_F(ParticleTest, BurstGrowsThenEndsWithinAFewSecondsAtAnyFrameRate) {
    for (int step : {16, 1, 5, 40, 250}) {
        auto burst = launchedBurst();
        const GLuint query = burst->query;
        int elapsed = 0;
        GLuint most = 0;
        do {
            frame(*burst, step);
            most = std::max(most, burst->aliveCount);
            elapsed += step;
        } while (burst->aliveCount != 0 && elapsed < 5000);
        EXPECT_EQ(burst->aliveCount, 0u) << step << " ms frames";
        EXPECT_EQ(burst->query, query) << "one query, made once and reused";
        if (step == 16) {
            EXPECT_GT(most, 30u);
            EXPECT_LT(elapsed, 2500);
        }
    }
}

TEST_F(ParticleTest, FinishedBurstFreesItsOwnObjectsOnly) {
    auto burst = launchedBurst();
    frame(*burst, 16);
    const GLuint buffers[2] = {burst->particleBuffers[0], burst->particleBuffers[1]};
    const GLuint feedbacks[2] = {burst->transformFeedbacks[0], burst->transformFeedbacks[1]};
    const GLuint query = burst->query;
    ASSERT_TRUE(glIsBuffer(buffers[0]));
    ASSERT_TRUE(glIsTransformFeedback(feedbacks[1]));
    ASSERT_TRUE(glIsQuery(query));
    auto shared = burst->resources;
    burst.reset();
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(glIsBuffer(buffers[i]));
        EXPECT_FALSE(glIsTransformFeedback(feedbacks[i]));
    }
    EXPECT_FALSE(glIsQuery(query));
    // The template and every other burst still draw with the shared programs.
    auto another = launchedBurst();
    frame(*another, 16);
    EXPECT_GT(another->aliveCount, 0u);
}
