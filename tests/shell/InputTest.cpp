#include <gtest/gtest.h>

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <iterator>
#include <string>

#include "game/Game.h"
#include "game/PlayRules.h"
#include "scene/BallObject.h"
#include "shell/Globals.h"
#include "shell/Input.h"
#include "support/GameFixture.h"

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

namespace {

constexpr int kPress = GLFW_PRESS, kRelease = GLFW_RELEASE;

// The real game in the playing state, unless a test says otherwise.
class Input : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        keyState.fill(0);
        gameStarted = true;
        g->posterVisible = false;
        g->posterIndex = 1;
        savedProjection = projectionMatrix;
        ballsBefore = g->balls.size();
    }
    void TearDown() override {
        if (!g) return;
        keyState.fill(0);
        projectionMatrix = savedProjection;
        windowWidth = g->windowWidth = 1024;
        windowHeight = g->windowHeight = 768;
        g->posterVisible = true;
        g->posterIndex = 1;
        g->awaitingFirstStart = true;
        g->tripleThrowUnlocked = false;
        gameStarted = false;
    }
    std::string press(int key, int action = kPress) {
        CaptureStdout();
        onKey(key, action);
        return GetCapturedStdout();
    }
    std::string click(int button) {
        CaptureStdout();
        onMouseButton(button, kPress);
        return GetCapturedStdout();
    }

    mat4 savedProjection{1.0f};
    size_t ballsBefore = 0;
};

}  // namespace

// Before the first click keys are dead too: the session test holds W there.
TEST_F(Input, KeysIgnoredUnderPostersReleasesIncluded) {
    const bool wireframe = g->wireframe;
    keyState['W'] = 1;  // held when the poster came up
    g->posterVisible = true;
    g->posterIndex = 2;
    EXPECT_EQ(press(GLFW_KEY_F3), "");
    EXPECT_EQ(press('W', kRelease), "");
    EXPECT_EQ(keyState['W'], 1);  // stays held after the poster closes
    EXPECT_EQ(g->wireframe, wireframe);
}

TEST_F(Input, HeldKeysAreRecordedAndSpecialKeysNeverTouchKeyState) {
    EXPECT_EQ(press('W'), "Key '87', state '1'\n");
    EXPECT_EQ(keyState['W'], 1);
    EXPECT_EQ(press('W', kRelease), "Key '87', state '0'\n");
    EXPECT_EQ(keyState['W'], 0);
    onKey('A', GLFW_REPEAT);
    for (int key : {GLFW_KEY_ESCAPE, GLFW_KEY_RIGHT, GLFW_KEY_F11, GLFW_KEY_F1 + 20, GLFW_KEY_LAST,
                    GLFW_KEY_UNKNOWN}) {
        onKey(key, kPress);
        onKey(key, kRelease);
    }
    onKey(GLFW_KEY_F2, kRelease);
    for (unsigned char state : keyState) EXPECT_EQ(state, 0);
}

// F1 opening and closing the help poster is the session test's; on an end poster it only clears
// the poster's flag.
TEST_F(Input, F1OnAnEndPosterOnlyClearsItsFlag) {
    g->posterVisible = true;
    g->posterIndex = 3;
    press(GLFW_KEY_F1);
    EXPECT_FALSE(g->posterVisible);
    EXPECT_EQ(g->posterIndex, 3);
    press(GLFW_KEY_F1);  // restore helpShown
}

TEST_F(Input, FirstLeftClickStartsAfreshLaterOnesThrowRunningWhileWIsHeld) {
    gameStarted = false;
    g->posterVisible = g->awaitingFirstStart = true;
    g->elapsedTime = 42.0;
    g->ballsLeft = 3;
    click(GLFW_MOUSE_BUTTON_LEFT);
    EXPECT_TRUE(gameStarted);
    EXPECT_FALSE(g->posterVisible);
    EXPECT_EQ(g->elapsedTime, 0.0);
    EXPECT_EQ(g->ballsLeft, kStartBalls);
    EXPECT_EQ(g->balls.size(), ballsBefore);

    // A standing throw has no run-up power; a running one (W held) has the running power.
    viewDirection = vec3(0.0f, 0.0f, 1.0f);
    for (const bool running : {false, true}) {
        keyState['W'] = running;
        click(GLFW_MOUSE_BUTTON_LEFT);
        ASSERT_EQ(g->balls.size(), ++ballsBefore);
        const Launch launch = launchFrom(playerPosition, viewDirection, running);
        EXPECT_EQ(g->balls.back()->power, running ? launch.power : 0.0f) << running;
        EXPECT_FLOAT_EQ(g->balls.back()->angle, launch.angle);
    }
    g->balls.clear();

    // Leaving the help poster goes on with the clock where it stood.
    g->posterVisible = true;
    g->elapsedTime = 42.0;
    startGame();
    EXPECT_FALSE(g->posterVisible);
    EXPECT_EQ(g->elapsedTime, 42.0);
}

TEST_F(Input, ButtonsIgnoredUnderAPosterOnReleaseAndRightRefusesUntilUnlocked) {
    gameStarted = false;
    g->posterVisible = true;
    EXPECT_EQ(click(GLFW_MOUSE_BUTTON_RIGHT), "");
    gameStarted = true;
    EXPECT_EQ(click(GLFW_MOUSE_BUTTON_MIDDLE), "");
    EXPECT_EQ(click(GLFW_MOUSE_BUTTON_LEFT), "");
    g->posterVisible = false;
    CaptureStdout();
    onMouseButton(GLFW_MOUSE_BUTTON_LEFT, kRelease);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(g->balls.size(), ballsBefore);

    g->tripleThrowUnlocked = false;
    EXPECT_EQ(click(GLFW_MOUSE_BUTTON_RIGHT),
              "Clicked on right mouse button but not allowed to throw multiple balls yet (find "
              "the bonus item!)\n");
    EXPECT_EQ(g->balls.size(), ballsBefore);
    EXPECT_EQ(click(GLFW_MOUSE_BUTTON_MIDDLE), "Clicked on middle mouse button\n");
    EXPECT_EQ(click(5),
              "I do not know this mouse button. WHAT CRAZY KIND OF MOUSE ARE YOU HAVING?\n");
}
