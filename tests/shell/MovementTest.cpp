#include <gtest/gtest.h>

#include <cmath>

#include "GameRules.h"
#include "game/Game.h"
#include "scene/BallObject.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"
#include "shell/Globals.h"
#include "shell/Input.h"
#include "shell/Movement.h"
#include "support/GameFixture.h"

namespace {

// The real game in its maze, the view along +z, no key held and the mouse still.
class Movement : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        if (!g) return;
        savedPosition = playerPosition;
        keyState.fill(0);
        face(0.0f);
        g->posterVisible = g->flyMode = g->goalReached = false;
        g->bumpedWall = g->movedThisFrame = false;
        g->goalDistance = -1.0f;
        // Without a window the cursor reads (0, 0): a zero-sized window puts the centre there.
        windowWidth = windowHeight = 0;
    }
    void TearDown() override {
        if (!g) return;
        playerPosition = savedPosition;
        keyState.fill(0);
        g->posterVisible = true;
        g->goalReached = false;
    }
    static void face(float angle) {
        horizontalAngle = angle;
        verticalAngle = 0.0f;
        lookAround(0, 0);
    }
    static void hold(char key, int fps, int frames) {
        keyState[key] = 1;
        for (int i = 0; i < frames; ++i) handleMovement(1.0f / static_cast<float>(fps));
        keyState[key] = 0;
    }
    vec3 savedPosition{0.0f};
};

}  // namespace

// Down the corridor to the gate (walls at x 171.75 and 183.75, a wall behind the finish line),
// walking through wins and the back wall stops the player, whatever the frame rate.
TEST_F(Movement, WalkingThroughTheGateWinsAndStopsAtTheBackWall) {
    const struct {
        int fps, frames;
        float heading, startZ;  // heading: added to facing -z
    } walks[] = {{60, 60, 0.0f, 125}, {5, 5, 0.0f, 125},  {2, 2, 0.0f, 125},
                 {60, 60, 0.3f, 125}, {2, 2, -0.3f, 125}, {2, 1, 0.0f, 119.6f}};
    const vec3 crossing(0.5f * (kFinishStartX + kFinishEndX) - 0.05f, 0.0f, kFinishStartZ);
    for (const auto& walk : walks) {
        SCOPED_TRACE(testing::Message() << walk.fps << " fps heading " << walk.heading);
        g->goalReached = g->bumpedWall = false;
        face(3.1415927f + walk.heading);
        playerPosition = crossing - viewDirection * ((walk.startZ - crossing.z) / -viewDirection.z);
        testing::internal::CaptureStdout();
        hold('W', walk.fps, walk.frames);
        // Said once by each step of the key that ends at the line, however many hops it took.
        const int said = countOf(testing::internal::GetCapturedStdout(), "GOAL REACHED!!!\n");
        EXPECT_GE(said, 1);
        EXPECT_LE(said, walk.frames);
        EXPECT_TRUE(g->goalReached);
        EXPECT_GE(playerPosition.z, 117.5f - 1e-3f);  // 1.0 from the maze's back wall
        EXPECT_TRUE(g->bumpedWall);
    }
}

// Seen from +z with the view along +z, W goes forward, S back, A to +x (left) and D to -x.
TEST_F(Movement, EachKeyWalksItsOwnWayAtEyeHeightOverTheGround) {
    const struct {
        char key;
        vec3 way;
    } keys[] = {{'W', {0, 0, 1}}, {'S', {0, 0, -1}}, {'A', {1, 0, 0}}, {'D', {-1, 0, 0}}};
    for (const auto& [key, way] : keys) {
        SCOPED_TRACE(key);
        const vec3 start = kStartPosition;
        playerPosition = start;
        hold(key, 20, 1);
        // 10 units a second, the eye 1.5 above the ground.
        EXPECT_NEAR(glm::distance(vec2(playerPosition.x, playerPosition.z),
                                  vec2(start.x, start.z) + 0.5f * vec2(way.x, way.z)),
                    0.0f, 1e-4f);
        EXPECT_FLOAT_EQ(playerPosition.y,
                        g->terrain->heightAt(playerPosition.x, playerPosition.z) + 1.5f);
        EXPECT_TRUE(g->movedThisFrame);
        // The eye looks along the view direction with the horizon level.
        const vec4 ahead = viewMatrix * vec4(playerPosition + viewDirection, 1.0f);
        EXPECT_NEAR(glm::distance(vec3(ahead), vec3(0, 0, -1)), 0.0f, 1e-4f);
        EXPECT_NEAR(viewMatrix[1][0], 0.0f, 1e-6f);
    }
}

TEST_F(Movement, CursorTurnsTheViewAndPitchStopsAtFortyFiveDegrees) {
    lookAround(100, 10);  // cursor 100 pixels left of and 10 above the centre
    EXPECT_NEAR(horizontalAngle, 0.5f, 1e-6f);
    EXPECT_NEAR(verticalAngle, 0.05f, 1e-6f);
    EXPECT_NEAR(std::atan2(viewDirection.x, viewDirection.z), 0.5f, 1e-5f);  // left: to +x
    pointerSpeed = 0.5f;  // the setting scales every pixel
    lookAround(100, 0);
    EXPECT_NEAR(horizontalAngle, 0.75f, 1e-6f);
    pointerSpeed = 1.0f;
    for (const int cursorUp : {10000, -30000}) {
        lookAround(0, cursorUp);
        EXPECT_FLOAT_EQ(std::abs(verticalAngle), 0.7853982f);
        EXPECT_NEAR(viewDirection.y, std::copysign(std::sqrt(0.5f), cursorUp), 1e-6f);
    }
}

TEST_F(Movement, FlyingAndPostersSkipTheChecks) {
    g->flyMode = true;
    playerPosition = vec3(100, 40, 100);
    face(0.0f);
    lookAround(0, 100);  // half a radian up
    hold('W', 1, 1);
    EXPECT_GT(playerPosition.y, 44.0f);  // along the view, up and off the ground
    EXPECT_FALSE(g->movedThisFrame);
    EXPECT_EQ(g->goalDistance, -1.0f);

    g->flyMode = false;
    g->posterVisible = true;
    const vec3 before = playerPosition;
    hold('W', 1, 1);
    EXPECT_EQ(playerPosition, before);
}

// A wall on the finish line: the goal counts before the wall pushes the player back; in a corner
// each wall pushes in turn.
TEST_F(Movement, StepCheckTestsTheGoalThenEachWall) {
    std::vector<std::unique_ptr<kesto::scene::WallObject>> maze;
    std::swap(g->walls, maze);
    const auto addWall = [this](vec2 start, vec2 end) {
        g->walls.push_back(std::make_unique<kesto::scene::WallObject>(*g->wallPrototype));
        g->walls.back()->start = start;
        g->walls.back()->end = end;
    };
    addWall({176, 119.15f}, {178, 119.15f});
    vec3 p(177, 0, 119.15f);
    stepCheck(p);
    EXPECT_TRUE(g->goalReached);
    EXPECT_NEAR(std::abs(p.z - 119.15f), 1.0f, 1e-4f);
    EXPECT_TRUE(g->bumpedWall);

    g->walls.clear();
    addWall({0, 0}, {10, 0});
    addWall({0, 1.5f}, {10, 1.5f});
    vec3 corner(5, 0, 0.2f);
    stepCheck(corner);
    EXPECT_NEAR(corner.z, 0.5f, 1e-5f);
    std::swap(g->walls, maze);
}

// The line runs from (175.35, 119.15) to (179.3, 119.15): on it, beside it, beyond either end.
TEST(FinishLine, DistanceInTheGroundPlane) {
    const struct {
        vec3 p;
        float distance;
    } cases[] = {{{175.35f, 0, 119.15f}, 0.0f}, {{179.3f, 0, 119.15f}, 0.0f},
                 {{177, 9, 119.15f}, 0.0f},     {{177, 0, 121.15f}, 2.0f},
                 {{174, 0, 119.15f}, 1.35f},    {{180.3f, 0, 119.15f}, 1.0f}};
    for (const auto& c : cases) EXPECT_NEAR(finishLineDistance(c.p), c.distance, 2e-3f) << c.p.x;
}

TEST(WallPushOut, EndsLinesAndPosts) {
    const struct {
        vec3 p;
        vec2 start, end;
        bool pushed;
        vec3 after;
    } cases[] = {
        {{10.6f, 0, 0}, {0, 0}, {10, 0}, true, {11, 0, 0}},             // round the end
        {{5, 7, 0.25f}, {0, 0}, {10, 0}, true, {5, 7, 1}},              // across, height kept
        {{5, 0, 4.5f}, {0, 0}, {10, 10}, true, {5.4571f, 0, 4.0429f}},  // diagonal
        {{5, 0, 1.5f}, {0, 0}, {10, 0}, false, {5, 0, 1.5f}},           // out of reach
        {{0.2f, 0, 0.1f}, {0, 0}, {0, 0}, false, {0.2f, 0, 0.1f}},      // a post blocks nothing
    };
    for (const auto& c : cases) {
        vec3 p = c.p;
        EXPECT_EQ(pushOutOfWall(p, c.start, c.end), c.pushed) << c.p.x << " " << c.p.z;
        EXPECT_NEAR(glm::distance(p, c.after), 0.0f, 1e-4f) << c.p.x << " " << c.p.z;
    }
}

// Synthetic pad states held for two frames of 0.05 s on the real game, flying so that no wall is
// near. The pad's feel is pinned: as fast as the keys (10 units a second), turning 3 radians a
// second at full push, half that at pointer speed 0.5.
TEST_F(Movement, PadStatesWalkTurnThrowAndQuit) {
    const float x = 0.0f, no = -1.0f;  // a centred stick, a released trigger
    const struct {
        std::array<float, 6> axes;  // left x, y, right x, y (y down), left and right trigger
        int button;
        float speed;          // negative: inverted
        vec2 walked, turned;  // (right, forward), (left, up)
        int thrown;
        bool quit, help;
    } cases[] = {
        {{0.13f, -0.13f, 0.1f, 0.15f, 0.4f, 0.5f}, -1, 1, {0, 0}, {0, 0}, 0, false, false},
        {{0.6f, x, x, x, no, no}, -1, 1, {0.5f, 0}, {0, 0}, 0, false, false},
        {{x, x, x, -1, no, no}, -1, 1, {0, 0}, {0, 0.3f}, 0, false, false},
        {{x, x, x, -1, no, no}, -1, -1, {0, 0}, {0, -0.3f}, 0, false, false},
        {{x, x, -1, x, no, no}, -1, 0.5f, {0, 0}, {0.15f, 0}, 0, false, false},
        {{x, x, x, x, no, 1}, -1, 1, {0, 0}, {0, 0}, 1, false, false},
        {{x, -1, x, x, no, 1}, -1, 1, {0, 1}, {0, 0}, 1, false, false},
        {{x, x, x, x, 1, no}, -1, 1, {0, 0}, {0, 0}, 3, false, false},
        {{x, x, x, x, no, no}, GLFW_GAMEPAD_BUTTON_BACK, 1, {0, 0}, {0, 0}, 0, true, false},
        {{x, x, x, x, no, no}, GLFW_GAMEPAD_BUTTON_START, 1, {0, 0}, {0, 0}, 0, false, true},
    };
    gameStarted = g->tripleThrowUnlocked = g->flyMode = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        playerPosition = vec3(150, 40, 150);
        face(0.0f);
        pointerSpeed = std::abs(c.speed);
        invertVerticalLook = c.speed < 0;
        g->posterVisible = false;
        g->ballsLeft = kStartBalls;
        GLFWgamepadstate pad{};
        std::copy(c.axes.begin(), c.axes.end(), pad.axes);
        if (c.button >= 0) pad.buttons[c.button] = GLFW_PRESS;
        bool quit = false;
        for (int frame = 0; frame < 2; ++frame) {
            quit = onGamepad(pad) || quit;
            handleMovement(0.05f);
        }
        quit = onGamepad(restingPad()) || quit;
        EXPECT_NEAR(glm::distance(playerPosition, vec3(150 - c.walked.x, 40, 150 + c.walked.y)), 0,
                    1e-4f);
        EXPECT_NEAR(glm::distance(vec2(horizontalAngle, verticalAngle), c.turned), 0, 1e-5f);
        EXPECT_EQ(std::tuple(kStartBalls - g->ballsLeft, quit, g->posterVisible),
                  std::tuple(c.thrown, c.quit, c.help));
        // Thrown while walking forward, a ball flies as a running throw.
        if (c.thrown == 1) EXPECT_EQ(g->balls.back()->power > 0, c.walked.y > 0.5f);
    }
    pointerSpeed = 1.0f;
    invertVerticalLook = g->tripleThrowUnlocked = gameStarted = false;
    g->balls.clear();
}
