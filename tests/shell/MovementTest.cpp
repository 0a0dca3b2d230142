#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "game/Game.h"
#include "render/Shader.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"
#include "shell/Globals.h"
#include "shell/Movement.h"
#include "support/GameFixture.h"

using kesto::scene::WallObject;

namespace {

// The real game with its maze set aside, the player's view reset and no key held.
class Movement : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        std::swap(g->walls, savedWalls);
        savedPosition = playerPosition;
        savedWidth = windowWidth;
        savedHeight = windowHeight;
        keyState.fill(0);
        horizontalAngle = 0.0f;
        verticalAngle = 0.0f;
        g->posterVisible = false;
        g->flyMode = false;
        g->goalReached = false;
        g->bumpedWall = false;
        g->movedThisFrame = false;
        g->goalDistance = -1.0f;
        // Without a window the cursor reads (0, 0); a zero-sized window puts the centre there too,
        // so the mouse does not turn the view.
        windowWidth = windowHeight = 0;
    }
    void TearDown() override {
        if (!g) return;
        std::swap(g->walls, savedWalls);
        playerPosition = savedPosition;
        windowWidth = savedWidth;
        windowHeight = savedHeight;
        keyState.fill(0);
        g->posterVisible = true;
        g->goalReached = false;
    }
    void addTestWall(vec2 start, vec2 end) {
        auto wall = std::make_unique<WallObject>(*g->wallPrototype);
        wall->start = start;
        wall->end = end;
        g->walls.push_back(std::move(wall));
    }

    std::vector<std::unique_ptr<WallObject>> savedWalls;
    vec3 savedPosition{0.0f};
    int savedWidth = 0, savedHeight = 0;
};

}  // namespace

TEST_F(Movement, CursorTurnsTheViewAndPitchStopsAtFortyFiveDegrees) {
    lookAround(100, 10);  // cursor 100 pixels left of and 10 above the centre
    EXPECT_NEAR(horizontalAngle, 0.5f, 1e-6f);
    EXPECT_NEAR(verticalAngle, 0.05f, 1e-6f);
    EXPECT_GT(viewDirection.x, 0.0f);  // left turns towards +x from +z
    EXPECT_GT(viewDirection.y, 0.0f);
    EXPECT_NEAR(glm::length(viewDirection), 1.0f, 1e-6f);

    lookAround(0, 10000);
    EXPECT_FLOAT_EQ(verticalAngle, 0.7853982f);
    EXPECT_NEAR(viewDirection.y, std::sqrt(0.5f), 1e-6f);
    lookAround(0, -30000);
    EXPECT_FLOAT_EQ(verticalAngle, -0.7853982f);
    EXPECT_LT(viewDirection.y, 0.0f);

    lookAround(0, 100);  // cursor below the centre looks down
    EXPECT_NEAR(verticalAngle, -0.7853982f + 0.5f, 1e-6f);
}

TEST_F(Movement, WalkingKeepsEyeHeightAboveTheTerrainEvenLookingUp) {
    playerPosition = vec3(282, 11, 22);
    verticalAngle = 0.7f;
    keyState['W'] = 1;
    handleMovement(0.1f);
    EXPECT_NEAR(playerPosition.z, 22.0f + std::cos(0.7f), 1e-4f);
    EXPECT_NEAR(playerPosition.y, g->terrain->heightAt(playerPosition.x, playerPosition.z) + 1.5f,
                1e-5f);
    EXPECT_TRUE(g->movedThisFrame);
}

TEST_F(Movement, FlyingKeepsTheHeightAndSkipsTheChecks) {
    g->flyMode = true;
    playerPosition = vec3(100, 40, 100);
    verticalAngle = 0.5f;
    keyState['W'] = 1;
    handleMovement(1.0f);
    EXPECT_GT(playerPosition.y, 44.0f);  // along the view, up and off the ground
    EXPECT_FALSE(g->movedThisFrame);
    EXPECT_EQ(g->goalDistance, -1.0f);
}

TEST_F(Movement, PosterFreezesTheView) {
    g->posterVisible = true;
    playerPosition = vec3(50, 5, 50);
    keyState['W'] = 1;
    lookAround(0, 0);
    const vec3 direction = viewDirection;
    handleMovement(1.0f);
    EXPECT_EQ(playerPosition, vec3(50, 5, 50));
    EXPECT_EQ(viewDirection, direction);
}

TEST_F(Movement, StepCheckMeasuresTheGoalBeforeEachWallPushesBackInTurn) {
    for (const vec3 onTheLine : {vec3(177, 0, 119.15f), vec3(179.3f, 0, 119.15f)}) {
        vec3 p = onTheLine;
        stepCheck(p);
        EXPECT_NEAR(g->goalDistance, 0.0f, 1e-4f);
        EXPECT_TRUE(g->goalReached);
        g->goalReached = false;
    }
    vec3 q(174, 0, 119.15f);
    stepCheck(q);
    EXPECT_NEAR(g->goalDistance, 1.35f, 1e-4f);
    EXPECT_FALSE(g->goalReached);
    EXPECT_TRUE(g->movedThisFrame);
    EXPECT_FALSE(g->bumpedWall);

    // A wall on the line: the goal counts, then the wall pushes the player back.
    addTestWall({176, 119.15f}, {178, 119.15f});
    vec3 p(177, 0, 119.15f);
    stepCheck(p);
    EXPECT_TRUE(g->goalReached);
    EXPECT_NEAR(g->goalDistance, 0.0f, 1e-4f);
    EXPECT_NEAR(std::abs(p.z - 119.15f), 1.0f, 1e-4f);
    EXPECT_TRUE(g->bumpedWall);

    // A corner: the first wall pushes the player to z = 1, 0.5 from the second, which pushes back
    // to 0.5; a wall out of reach leaves bumpedWall clear.
    g->walls.clear();
    addTestWall({0, 0}, {10, 0});
    addTestWall({0, 1.5f}, {10, 1.5f});
    vec3 corner(5, 0, 0.2f);
    stepCheck(corner);
    EXPECT_NEAR(corner.z, 0.5f, 1e-5f);
    EXPECT_TRUE(g->bumpedWall);
    g->bumpedWall = false;
    vec3 clear(5, 0, 3);
    stepCheck(clear);
    EXPECT_EQ(clear, vec3(5, 0, 3));
    EXPECT_FALSE(g->bumpedWall);
}

TEST_F(Movement, TwoKeysRunTwoGoalTestsAndKeepTheSecond) {
    // Looking along +z: W steps towards the line, D steps sideways (towards -x).
    playerPosition = vec3(177, 0, 110);
    keyState['W'] = 1;
    keyState['D'] = 1;
    handleMovement(0.5f);
    EXPECT_NEAR(playerPosition.x, 172.0f, 1e-4f);
    EXPECT_NEAR(g->goalDistance, finishLineDistance(vec3(172, 0, 115)), 1e-4f);
    EXPECT_GT(g->goalDistance, finishLineDistance(vec3(177, 0, 115)));
}

TEST_F(Movement, CameraMatricesReachThePrograms) {
    const mat4 projection = makeProjectionMatrix(800, 600);
    const mat4 view = glm::lookAt(vec3(1, 2, 3), vec3(4, 2, 0), vec3(0, 1, 0));
    uploadCameraMatrices(projection, view);
    EXPECT_EQ(g->viewMatrix, view);

    GLfloat pv[16] = {};
    const GLuint normals = g->normalsShader->programHandle;
    const GLint location = glGetUniformLocation(normals, "PV");
    ASSERT_GE(location, 0);
    glGetUniformfv(normals, location, pv);
    const mat4 expected = projection * view;
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(pv[i], glm::value_ptr(expected)[i], 1e-5f);
}
