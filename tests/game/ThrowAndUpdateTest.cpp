// The order of the game update, on the real game.
#include <gtest/gtest.h>

#include "PlaySupport.h"
#include "game/Projection.h"
#include "platform/Sound.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"
#include "shell/Globals.h"

using kesto::scene::BallObject;

TEST_F(PlayTest, BallsThatHitLeaveTheListAndTheOthersKeepTheirOrder) {
    const vec3 ground = openGround();
    // Flying balls rise straight up; landed ones sit on the ground.
    auto flying = [&](float dx) {
        auto ball = ballAt(ground + vec3(dx, 2.5f, 0));
        ball->direction = vec3(0, 1, 0);
        ball->angle = 0.5f;
        return ball;
    };
    g->balls.push_back(flying(-1.0f));
    const vec3 farther = ground + vec3(0, 0, 1);
    g->balls.push_back(ballAt(ground + vec3(0.0f, 0.05f, 0)));
    g->balls.push_back(flying(1.0f));
    g->balls.push_back(
        ballAt(vec3(farther.x, g->terrain->cellHeight(farther.x, farther.z) + 0.05f, farther.z)));
    g->balls.push_back(flying(-1.5f));
    const BallObject* keep[] = {g->balls[0].get(), g->balls[2].get(), g->balls[4].get()};
    const size_t splats = projections.size();

    g->update(0.01);

    ASSERT_EQ(g->balls.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(g->balls[i].get(), keep[i]) << "position " << i;
    EXPECT_EQ(projections.size(), splats + 2);
}

TEST_F(PlayTest, SlowFrameDoesNotCarryABallThroughAWall) {
    vec2 mid, across;
    const auto& wall = lonelyWall(mid, across);
    const vec2 start = mid + across * 2.0f;
    auto ball = ballAt(vec3(start.x, g->terrain->cellHeight(start.x, start.y) + 1.5f, start.y));
    ball->direction = vec3(-across.x, 0.0f, -across.y);
    ball->power = 0.0f;
    g->balls.push_back(std::move(ball));
    const size_t splats = projections.size();

    g->update(0.5);  // 6.5 units in one frame: far beyond the wall

    EXPECT_TRUE(g->balls.empty());
    EXPECT_TRUE(wall.hit);
    ASSERT_EQ(projections.size(), splats + 1);
    // The splat is on the side the ball came from.
    const vec3 out = projections.back().projectorPosition - projections.back().position;
    EXPECT_GT(glm::dot(vec2(out.x, out.z), across), 3.9f);
}

TEST_F(PlayTest, ClockStandsStillUnderAPosterAndTheEndPosterFollowsTheGoal) {
    g->elapsedTime = 42.0;
    g->frameTime = 0.5;
    g->posterVisible = true;
    g->update(3.0);
    EXPECT_DOUBLE_EQ(g->elapsedTime, 42.0);
    EXPECT_DOUBLE_EQ(g->frameTime, 0.5);
    g->posterVisible = false;
    g->update(3.0);
    EXPECT_DOUBLE_EQ(g->elapsedTime, 45.0);
    EXPECT_DOUBLE_EQ(g->frameTime, 3.0);

    // Five minutes of play lose.
    g->elapsedTime = 299.5;
    g->update(0.25);
    EXPECT_FALSE(g->posterVisible);
    g->update(0.25);
    EXPECT_TRUE(g->posterVisible);
    EXPECT_EQ(g->posterIndex, kPosterLose);
    ASSERT_TRUE(g->loseJingle && g->winJingle);
    EXPECT_FALSE(g->loseJingle->getIsPaused());

    // Reaching the gate as time runs out wins.
    g->loseJingle->setIsPaused(true);
    g->posterVisible = false;
    g->goalReached = true;
    g->elapsedTime = 299.9;
    g->update(0.2);
    EXPECT_TRUE(g->posterVisible);
    EXPECT_EQ(g->posterIndex, kPosterWin);
    EXPECT_FALSE(g->winJingle->getIsPaused());
    EXPECT_TRUE(g->loseJingle->getIsPaused());
}

// Footsteps sound only while the player moves; walking into a wall grunts once a push.
TEST_F(PlayTest, FootstepsFollowTheWalkAndAWallGruntsOnceAPush) {
    ASSERT_TRUE(soundEngine && g->footsteps && g->gruntSound);
    const struct {
        bool moved, bumped;
        size_t grunts;
    } frames[] = {
        {true, true, 1}, {true, true, 0}, {true, false, 0}, {true, true, 1}, {false, false, 0}};
    for (const auto& f : frames) {
        g->movedThisFrame = f.moved;
        g->bumpedWall = f.bumped;
        const size_t voices = soundEngine->voiceCount();
        g->update(0.01);
        EXPECT_EQ(soundEngine->voiceCount() - voices, f.grunts) << f.moved << f.bumped;
        EXPECT_EQ(g->footsteps->getIsPaused(), !f.moved);
    }
}
