#include <gtest/gtest.h>

#include <cmath>

#include "scene/BallObject.h"

namespace {

// The flight without the sphere mesh: no GL context needed.
class FlyingBall : public kesto::scene::BallObject {
public:
    FlyingBall(vec3 position, float angle, float power, vec3 direction)
        : BallObject(glm::translate(mat4(1.0f), position)) {
        startHeight = position.y;
        this->angle = angle;
        this->power = power;
        this->direction = direction;
    }
    vec3 position() const { return translationOf(modelMatrix); }
};

}  // namespace

TEST(BallFlight, PowerSpeedsTheParameterButNotTheGround) {
    FlyingBall ball({0, 10, 0}, 0.2f, 10.0f, {0.6f, 0.0f, 0.8f});
    for (int i = 0; i < 10; ++i) ball.update(0.1);
    EXPECT_NEAR(ball.distance, 18.0f, 1e-4f);
    EXPECT_NEAR(ball.position().x, 13.0f * 0.6f, 1e-4f);
    EXPECT_NEAR(ball.position().z, 13.0f * 0.8f, 1e-4f);
    EXPECT_NEAR(ball.position().y, ball.height, 1e-5f);
    // 13 units a second along the ground, 9.81 of gravity over the launch speed of power + 12.
    const double launch = 22.0 * std::cos(0.2);
    EXPECT_NEAR(ball.height,
                10.0 + 18.0 * std::tan(0.2) - 9.81 * 18.0 * 18.0 / (2 * launch * launch), 1e-3);
}

TEST(BallFlight, StraightUpDirectionOnlyRisesAndFalls) {
    FlyingBall ball({3, 4, 5}, 0.5f, 0.0f, {0, 1, 0});
    float highest = 4.0f;
    for (int i = 0; i < 40; ++i) {
        ball.update(0.05);
        EXPECT_EQ(ball.position().x, 3.0f);
        EXPECT_EQ(ball.position().z, 5.0f);
        highest = std::max(highest, ball.position().y);
    }
    EXPECT_GT(highest, 4.0f);
    EXPECT_LT(ball.position().y, 4.0f);  // past the top and below the throw point again
}
