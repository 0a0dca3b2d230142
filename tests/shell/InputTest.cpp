#include <gtest/gtest.h>

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>

#include "assets/Texture.h"
#include "platform/Sound.h"
#include "render/FrameFixture.h"
#include "scene/BallObject.h"
#include "scene/BonusItem.h"
#include "shell/Input.h"

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

namespace {

constexpr int kPress = GLFW_PRESS, kRelease = GLFW_RELEASE;

// The real game in the playing state, looking at the first duck's cone from 5 units, with the
// HUD over it: every switch shows there.
class Input : public FrameTest {
public:
    Input() : FrameTest(200, 150) {}
    void SetUp() override {
        FrameTest::SetUp();
        keyState.fill(0);
        gameStarted = true;
        g->balls.clear();
        g->goalDistance = 3.0f;
        const vec3 duck =
            translationOf(kesto::scene::BonusItemSet::bonusItemRecords.at(0).item->modelMatrix);
        lookAt(duck + vec3(0.0f, 1.0f, -5.0f), duck + vec3(0.0f, 0.5f, 0.0f));
    }
    void TearDown() override {
        if (!g) return;
        FrameTest::TearDown();
        keyState.fill(0);
        g->posterVisible = g->awaitingFirstStart = true;
        gameStarted = false;
        g->balls.clear();
    }
    std::string press(int key, int action = kPress) {
        CaptureStdout();
        onKey(key, action);
        return GetCapturedStdout();
    }
    std::string click(int button, int action = kPress) {
        CaptureStdout();
        onMouseButton(button, action);
        return GetCapturedStdout();
    }

    // What a player meets of a switch, as one number.
    enum Seen { HelpPoster, Picture, PolygonMode, MagFilter, MinFilter, Culling, Flying, HeldKeys };
    int seen(Seen what, const std::vector<Rgba>& startFrame) {
        GLint value[2] = {0, 0};
        switch (what) {
        case HelpPoster: return g->posterVisible * g->posterIndex;
        case Picture: return frame() != startFrame;
        case PolygonMode: glGetIntegerv(GL_POLYGON_MODE, value); return value[0];
        case MagFilter:
        case MinFilter:  // of the splat image, as the last frame left it
            frame();
            glBindTexture(GL_TEXTURE_2D, g->splatTexture->textureName);
            glGetTexParameteriv(GL_TEXTURE_2D,
                                what == MagFilter ? GL_TEXTURE_MAG_FILTER : GL_TEXTURE_MIN_FILTER,
                                value);
            return value[0];
        case Culling: return g->frustumCulling;
        // The distance leaves the HUD when flying starts and comes back with the next step.
        case Flying: return g->flyMode * 2 + (g->goalDistance < 0);
        case HeldKeys: return std::count(keyState.begin(), keyState.end(), 1);
        }
        return -1;
    }
};

struct Action {
    int action;
    const char* says;  // after the key log's line
    int shows;
};
// The key, its code in the key log, what it changes and its actions one after another, from
// the game's starting switches. Flying goes last: the distance it hides is in the pictures.
const struct {
    int key, logged;
    Input::Seen seen;
    std::vector<Action> actions;
} kSwitches[] = {
    // clang-format off
    {GLFW_KEY_F1, 258, Input::HelpPoster, {{kPress, "Switching help screen on\n", kPosterHelp},
                                           {kPress, "Switching help screen off\n", 0}}},
    {GLFW_KEY_F2, 259, Input::Picture, {{kPress, "Switching printing of frame time on\n", 1},
                                        {kPress, "Switching printing of frame time off\n", 0}}},
    {GLFW_KEY_F3, 260, Input::PolygonMode, {{kPress, "Switching wireframe mode on\n", GL_LINE},
                                            {kPress, "Switching wireframe mode off\n", GL_FILL}}},
    {GLFW_KEY_F4, 261, Input::MagFilter,
     {{kPress, "Switching texture sampling quality to nearest neighbor\n", GL_NEAREST},
      {kPress, "Switching texture sampling quality to bilinear\n", GL_LINEAR}}},
    {GLFW_KEY_F5, 262, Input::MinFilter,
     {{kPress, "Switching mip mapping-quality to none\n", GL_LINEAR},
      {kPress, "Switching mip mapping-quality to nearest neighbor\n", GL_NEAREST_MIPMAP_NEAREST},
      {kPress, "Switching mip mapping-quality to linear\n", GL_LINEAR_MIPMAP_LINEAR}}},
    {GLFW_KEY_F7, 264, Input::Picture, {{kPress, "Switching shader of heightmap\n", 1},
                                        {kPress, "Switching shader of heightmap\n", 0}}},
    {GLFW_KEY_F8, 265, Input::Culling, {{kPress, "Switching view frustum culling off\n", 0},
                                        {kPress, "Switching view frustum culling on\n", 1}}},
    {GLFW_KEY_F9, 266, Input::Picture, {{kPress, "Switching transparency mode off\n", 1},
                                        {kPress, "Switching transparency mode on\n", 0}}},
    {GLFW_KEY_F10, 267, Input::Picture, {{kPress, "Showing debug HUD is on\n", 1},
                                         {kPress, "Showing debug HUD is off\n", 0}}},
    {GLFW_KEY_F6, 263, Input::Flying, {{kPress, "Switching flying mode on\n", 3},
                                       {kPress, "Switching flying mode off\n", 1}}},
    // Walking keys are held while pressed; every other key is only logged.
    {'W', 'W', Input::HeldKeys, {{kPress, "", 1}, {GLFW_REPEAT, "", 1}, {kRelease, "", 0}}},
    {GLFW_KEY_ESCAPE, 257, Input::HeldKeys, {{kPress, "", 0}, {kRelease, "", 0}}},
    // clang-format on
};

}  // namespace

TEST_F(Input, EverySwitchShowsWhatItsMessageSays) {
    const std::vector<Rgba> start = frame();
    for (const auto& s : kSwitches) {
        for (const Action& a : s.actions) {
            SCOPED_TRACE(testing::Message() << "key " << s.logged << " action " << a.action);
            EXPECT_EQ(press(s.key, a.action), "Key '" + std::to_string(s.logged) + "', state '" +
                                                  std::to_string(a.action) + "'\n" + a.says);
            EXPECT_EQ(seen(s.seen, start), a.shows);
        }
    }
}

// Before the first click keys are dead too: the session test holds W there.
TEST_F(Input, KeysIgnoredUnderPostersReleasesIncluded) {
    keyState['W'] = 1;  // held when the poster came up
    g->posterVisible = true;
    g->posterIndex = kPosterHelp;
    EXPECT_EQ(press(GLFW_KEY_F3), "");
    EXPECT_EQ(press('W', kRelease), "");
    EXPECT_EQ(keyState['W'], 1);  // stays held after the poster closes
    g->posterIndex = kPosterWin;  // F1 on an end poster only clears the poster's flag
    press(GLFW_KEY_F1);
    EXPECT_FALSE(g->posterVisible);
    EXPECT_EQ(g->posterIndex, kPosterWin);
    press(GLFW_KEY_F1);  // helpShown back
}

TEST_F(Input, FirstLeftClickStartsAfreshWithTwoHundredBallsOthersWaitTillThen) {
    gameStarted = false;
    g->posterVisible = g->awaitingFirstStart = true;
    g->elapsedTime = 42.0;
    g->ballsLeft = 3;
    EXPECT_EQ(click(GLFW_MOUSE_BUTTON_RIGHT), "");
    EXPECT_EQ(click(GLFW_MOUSE_BUTTON_LEFT, kRelease), "");
    EXPECT_EQ(click(GLFW_MOUSE_BUTTON_LEFT), "Clicked on left mouse button - firing 1 ball\n");
    EXPECT_TRUE(gameStarted);
    EXPECT_FALSE(g->posterVisible);
    EXPECT_EQ(g->elapsedTime, 0.0);
    EXPECT_EQ(g->ballsLeft, 200);
    EXPECT_TRUE(g->balls.empty());
    // Under a poster after the start nothing answers; leaving the help poster keeps the clock.
    g->posterVisible = true;
    for (int button : {GLFW_MOUSE_BUTTON_LEFT, GLFW_MOUSE_BUTTON_MIDDLE})
        EXPECT_EQ(click(button), "");
    g->elapsedTime = 42.0;
    startGame();
    EXPECT_FALSE(g->posterVisible);
    EXPECT_EQ(g->elapsedTime, 42.0);
}

// From (10, 5, 10) looking along +z: what each button throws, standing or running (W held).
TEST_F(Input, EachButtonThrowsItsBalls) {
    const std::string left = "Clicked on left mouse button - firing 1 ball\n",
                      right = "Clicked on right mouse button - firing 3 balls\n";
    const struct {
        int button;
        bool running, unlocked;
        int ballsLeft;
        std::string says;              // at first
        std::vector<vec3> directions;  // of the balls thrown, as asked for
        int lacking;                   // throws refused for want of a ball
    } throws[] = {
        // clang-format off
        {GLFW_MOUSE_BUTTON_LEFT, false, false, 200, left + "Adding Ball on position: "
         "10.00/5.00/10.00 | Direction: 0.00/0.00/2.00 \nBall created with angle 0.35\nBall 1 "
         "created\n", {{0, 0, 1}}, 0},
        {GLFW_MOUSE_BUTTON_LEFT, true, false, 200, left, {{0, 0, 1}}, 0},
        {GLFW_MOUSE_BUTTON_RIGHT, false, false, 200, "Clicked on right mouse button but not "
         "allowed to throw multiple balls yet (find the bonus item!)\n", {}, 0},
        // The side balls go off along world x and z, whatever the view.
        {GLFW_MOUSE_BUTTON_RIGHT, true, true, 200, right,
         {{0, 0, 1}, {-0.2f, 0, 0.8f}, {0.2f, 0, 1.2f}}, 0},
        {GLFW_MOUSE_BUTTON_RIGHT, false, true, 2, right, {{0, 0, 1}, {-0.2f, 0, 0.8f}}, 1},
        {GLFW_MOUSE_BUTTON_LEFT, false, false, 0, left, {}, 1},
        {GLFW_MOUSE_BUTTON_MIDDLE, false, true, 200, "Clicked on middle mouse button\n", {}, 0},
        {5, false, true, 200,
         "I do not know this mouse button. WHAT CRAZY KIND OF MOUSE ARE YOU HAVING?\n", {}, 0},
        // clang-format on
    };
    playerPosition = vec3(10.0f, 5.0f, 10.0f);
    viewDirection = vec3(0.0f, 0.0f, 2.0f);
    for (const auto& t : throws) {
        SCOPED_TRACE(testing::Message() << t.button << " running " << t.running);
        keyState['W'] = t.running;
        g->tripleThrowUnlocked = t.unlocked;
        g->ballsLeft = t.ballsLeft;
        g->balls.clear();
        const size_t voices = g->soundEngine->voiceCount();
        const std::string out = click(t.button);
        EXPECT_EQ(out.rfind(t.says, 0), 0u) << out;
        // The empty sound and its message for each throw without a ball.
        EXPECT_EQ(countOf(out, "There are no balls left to shoot"), t.lacking);
        EXPECT_EQ(g->soundEngine->voiceCount(), voices + t.lacking);
        ASSERT_EQ(g->balls.size(), t.directions.size());
        EXPECT_EQ(g->ballsLeft, t.ballsLeft - static_cast<int>(t.directions.size()));
        // Standing: from half the direction ahead, 20 degrees up; running: from two thirds of
        // it, 10 degrees up and with power 10.
        for (size_t i = 0; i < t.directions.size(); ++i) {
            const kesto::scene::BallObject& ball = *g->balls[i];
            const vec3 spawn = playerPosition + t.directions[i] / (t.running ? 1.5f : 2.0f);
            EXPECT_NEAR(glm::distance(translationOf(ball.modelMatrix), spawn), 0.0f, 1e-5f);
            EXPECT_FLOAT_EQ(ball.startHeight, 5.0f);
            EXPECT_NEAR(glm::distance(ball.direction, glm::normalize(t.directions[i])), 0.0f,
                        1e-6f);
            EXPECT_FLOAT_EQ(ball.angle, t.running ? 0.1745329f : 0.3490658f);
            EXPECT_EQ(ball.power, t.running ? 10.0f : 0.0f);
        }
    }
}
