// The shadow map on the real game: its framebuffer, what the depth pass writes, the state after.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "game/Game.h"
#include "render/Shader.h"
#include "render/ShadowMap.h"
#include "scene/BallObject.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "support/GameFixture.h"

namespace {

// The first bonus item, hit and moved for one test, put back afterwards.
class MovedItem {
public:
    explicit MovedItem(vec3 to)
        : item(*kesto::scene::BonusItemSet::bonusItemRecords[0].item), saved(item.modelMatrix) {
        item.modelMatrix[3] = vec4(to, 1.0f);
        item.hit = true;
    }
    ~MovedItem() {
        item.modelMatrix = saved;
        item.hit = false;
    }

private:
    kesto::scene::BonusItemObject& item;
    mat4 saved;
};

class ShadowMapTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        if (!g) return;
        g->balls.clear();
        for (auto& record : kesto::scene::BonusItemSet::bonusItemRecords) record.item->hit = false;
        saved = {g->frustumCulling, g->viewMatrix, g->cameraPosition};
    }
    void TearDown() override {
        if (!g) return;
        g->balls.clear();
        std::tie(g->frustumCulling, g->viewMatrix, g->cameraPosition) = saved;
    }

    // The map after one depth pass, one float per texel.
    struct DepthMap {
        std::vector<float> depth;
        mat4 light;  // world to map texture space

        vec3 texelOf(vec3 world) const {
            const vec4 t = light * vec4(world, 1.0f);
            return vec3(t.x * kShadowMapSize, t.y * kShadowMapSize, t.z);
        }
        float at(vec3 world) const {
            const vec3 t = texelOf(world);
            return depth[static_cast<size_t>(t.y) * kShadowMapSize + static_cast<size_t>(t.x)];
        }
        // Texels written (nearer than the far plane), and of those how many lie further than
        // reach texels from where the light sees the point around.
        void written(vec3 around, int reach, int& total, int& astray) const {
            const vec3 centre = texelOf(around);
            total = astray = 0;
            for (int y = 0; y < kShadowMapSize; ++y) {
                for (int x = 0; x < kShadowMapSize; ++x) {
                    if (depth[static_cast<size_t>(y) * kShadowMapSize + x] >= 1.0f) continue;
                    ++total;
                    if (std::abs(x - static_cast<int>(centre.x)) > reach ||
                        std::abs(y - static_cast<int>(centre.y)) > reach)
                        ++astray;
                }
            }
        }
    };

    DepthMap renderDepth() const {
        g->renderShadowMap();
        DepthMap map;
        map.depth.resize(static_cast<size_t>(kShadowMapSize) * kShadowMapSize);
        glBindTexture(GL_TEXTURE_2D, g->shadowMapTexture);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, map.depth.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        map.light = biasMatrix * shadowLightProjection(g->cameraPosition) *
                    shadowLightView(g->cameraPosition);
        return map;
    }

    void addBall(vec3 at) const {
        auto ball = std::make_unique<kesto::scene::BallObject>(*g->ballPrototype);
        ball->modelMatrix = glm::translate(mat4(1.0f), at);
        g->balls.push_back(std::move(ball));
    }

    // Culling on, the camera at (60, 20, 60) looking along +x, as a frame would see it.
    void lookAlongX() const {
        g->frustumCulling = true;
        g->cameraPosition = vec3(60, 20, 60);
        g->viewMatrix =
            glm::lookAt(g->cameraPosition, g->cameraPosition + vec3(1, 0, 0), vec3(0, 1, 0));
        // The item's ring program sees the camera too.
        g->bonusItems->setCameraMatrices(glm::perspective(0.785398f, 4.0f / 3.0f, 0.1f, 210.0f),
                                         g->viewMatrix);
    }

private:
    std::tuple<bool, mat4, vec3> saved;
};

}  // namespace

TEST_F(ShadowMapTest, FramebufferIsCompleteWithA2048DepthTexture) {
    glBindFramebuffer(GL_FRAMEBUFFER, g->shadowMapFramebuffer);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
              static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    GLint width = 0, height = 0, compare = 0;
    glBindTexture(GL_TEXTURE_2D, g->shadowMapTexture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, &compare);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(width, 2048);
    EXPECT_EQ(height, 2048);
    EXPECT_EQ(compare, GL_COMPARE_REF_TO_TEXTURE);
}

TEST_F(ShadowMapTest, BallWritesDepthWhereTheLightSeesItAndNowhereElse) {
    const float x = 120.0f, z = 120.0f;
    const float ground = g->terrain->cellHeight(x, z);
    g->cameraPosition = vec3(x, ground + 1.7f, z);
    const vec3 centre(x + 3.0f, ground + 3.0f, z - 2.0f);
    addBall(centre);

    const DepthMap map = renderDepth();
    const vec3 texel = map.texelOf(centre);
    ASSERT_GT(texel.x, 0.0f);
    ASSERT_LT(texel.x, kShadowMapSize);
    // The back of the ball, a little deeper than its centre.
    EXPECT_LT(map.at(centre), 1.0f);
    EXPECT_NEAR(map.at(centre), texel.z, 0.02f);

    // The ball is well under a unit across: 1 unit is 41 texels of the 50-unit map.
    int written = 0, stray = 0;
    map.written(centre, 25, written, stray);
    EXPECT_GT(written, 20);
    EXPECT_EQ(stray, 0);
}

TEST_F(ShadowMapTest, BallsCastEvenOutOfSightHitItemsOnlyInSightAndWhereTheyStand) {
    lookAlongX();
    const vec3 behind = g->cameraPosition + vec3(-3, -2, 0);
    const vec3 alsoBehind = g->cameraPosition + vec3(-3, -2, 6);
    addBall(behind);
    {
        MovedItem item(alsoBehind);
        const DepthMap map = renderDepth();
        EXPECT_LT(map.at(behind), 1.0f);
        EXPECT_EQ(map.at(alsoBehind), 1.0f);
    }
    g->balls.clear();
    const vec3 ahead = g->cameraPosition + vec3(6, -2, 0);
    MovedItem item(ahead);
    // The item and its rings stay within a couple of units of where it stands.
    int written = 0, stray = 0;
    renderDepth().written(ahead, 100, written, stray);
    EXPECT_GT(written, 50);
    EXPECT_EQ(stray, 0);
}

TEST_F(ShadowMapTest, LeavesTheStateTheFrameExpects) {
    g->windowWidth = 1024;
    g->windowHeight = 768;
    g->cameraPosition = vec3(100, 10, 100);
    g->renderShadowMap();

    GLint framebuffer = -1, viewport[4] = {}, cull = 0, program = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_CULL_FACE_MODE, &cull);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(framebuffer, 0);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 768);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(cull, GL_BACK);
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
    EXPECT_EQ(static_cast<GLuint>(program), g->shadowShader->programHandle);

    mat4 uploaded(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, "shadow_tex_mat"), &uploaded[0][0]);
    const mat4 expected =
        biasMatrix * shadowLightProjection(g->cameraPosition) * shadowLightView(g->cameraPosition);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR((&uploaded[0][0])[i], (&expected[0][0])[i], 1e-5) << i;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
