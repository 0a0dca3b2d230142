#include "shell/Input.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <cstdio>

#include "game/Game.h"
#include "platform/Window.h"
#include "shell/Globals.h"

namespace {

// How far forward the left stick is pushed for a throw to count as running, as W does.
constexpr float kRunningPush = 0.5f;

const char* onOff(bool on) { return on ? "on" : "off"; }

// Special keys have codes from 256 up; only the codes below index keyState.
void setKeyState(int key, unsigned char value) {
    if (key >= 0 && key < static_cast<int>(keyState.size())) keyState[key] = value;
}

// The codes the key log has always shown: Escape 257 and F1 to F10 258 to 267; letters and other
// printable keys already come as their upper-case character, the rest as GLFW numbers them.
int loggedKeyCode(int key) {
    if (key == GLFW_KEY_ESCAPE) return 257;
    if (key >= GLFW_KEY_F1 && key <= GLFW_KEY_F10) return 258 + (key - GLFW_KEY_F1);
    return key;
}

void recentreCursor() { setCursorPos(windowWidth / 2, windowHeight / 2); }

void switchHelp() {
    recentreCursor();
    if (!game->posterVisible) {
        game->posterIndex = kPosterHelp;
        game->posterVisible = true;
    } else {
        game->posterVisible = false;
    }
    setCursorVisible(game->posterVisible);
    helpShown = !helpShown;
    std::printf("Switching help screen %s\n", onOff(helpShown));
}

}  // namespace

void onKey(int key, int action) {
    if (!gameStarted) return;
    if (game->posterVisible && key != GLFW_KEY_F1) return;
    std::printf("Key '%d', state '%d'\n", loggedKeyCode(key), action);
    if (action == GLFW_RELEASE) {
        setKeyState(key, 0);
        return;
    }
    if (action != GLFW_PRESS) return;

    switch (key) {
    case GLFW_KEY_F1: switchHelp(); break;
    case GLFW_KEY_F2:
        game->showFrameTime = !game->showFrameTime;
        std::printf("Switching printing of frame time %s\n", onOff(game->showFrameTime));
        break;
    case GLFW_KEY_F3:
        glPolygonMode(GL_FRONT_AND_BACK, game->wireframe ? GL_FILL : GL_LINE);
        game->wireframe = !game->wireframe;
        std::printf("Switching wireframe mode %s\n", onOff(game->wireframe));
        break;
    case GLFW_KEY_F4:
        game->bilinearFiltering = !game->bilinearFiltering;
        std::printf("Switching texture sampling quality to %s\n",
                    game->bilinearFiltering ? "bilinear" : "nearest neighbor");
        break;
    case GLFW_KEY_F5: {
        static const char* const names[] = {"none", "nearest neighbor", "linear"};
        game->mipmapMode = (game->mipmapMode + 1) % 3;
        std::printf("Switching mip mapping-quality to %s\n", names[game->mipmapMode]);
        break;
    }
    case GLFW_KEY_F6:
        game->flyMode = !game->flyMode;
        if (game->flyMode) game->goalDistance = -1.0f;
        std::printf("Switching flying mode %s\n", onOff(game->flyMode));
        break;
    case GLFW_KEY_F7:
        game->switchedTerrainShader = !game->switchedTerrainShader;
        std::printf("Switching shader of heightmap\n");
        break;
    case GLFW_KEY_F8:
        game->frustumCulling = !game->frustumCulling;
        std::printf("Switching view frustum culling %s\n", onOff(game->frustumCulling));
        break;
    case GLFW_KEY_F9:
        game->transparency = !game->transparency;
        std::printf("Switching transparency mode %s\n", onOff(game->transparency));
        break;
    case GLFW_KEY_F10:
        game->showDebugHud = !game->showDebugHud;
        std::printf("Showing debug HUD is %s\n", onOff(game->showDebugHud));
        break;
    default: setKeyState(key, 1); break;
    }
}

void onMouseButton(int button, int action) {
    if (gameStarted && game->posterVisible) return;
    if (action != GLFW_PRESS) return;

    const vec3 d = viewDirection * (1.0f / glm::length(viewDirection));
    const bool running = keyState[kKeyW] == 1 || padWalk.y > kRunningPush;
    switch (button) {
    case GLFW_MOUSE_BUTTON_LEFT:
        std::printf("Clicked on left mouse button - firing 1 ball\n");
        if (!gameStarted) {
            recentreCursor();
            startGame();
            gameStarted = true;
            break;
        }
        std::printf("Adding Ball on position: %0.2f/%0.2f/%0.2f | Direction: %0.2f/%0.2f/%0.2f \n",
                    playerPosition.x, playerPosition.y, playerPosition.z, viewDirection.x,
                    viewDirection.y, viewDirection.z);
        game->addBall(playerPosition, d, running);
        break;
    case GLFW_MOUSE_BUTTON_RIGHT:
        if (!gameStarted) return;
        if (!game->tripleThrowUnlocked) {
            std::printf(
                "Clicked on right mouse button but not allowed to throw multiple balls "
                "yet (find the bonus item!)\n");
            return;
        }
        std::printf("Clicked on right mouse button - firing 3 balls\n");
        // The side balls are offset along world x and z, whatever the view direction.
        game->addBall(playerPosition, d, running);
        game->addBall(playerPosition, vec3(d.x - 0.2f, d.y, d.z - 0.2f), running);
        game->addBall(playerPosition, vec3(d.x + 0.2f, d.y, d.z + 0.2f), running);
        break;
    case GLFW_MOUSE_BUTTON_MIDDLE: std::printf("Clicked on middle mouse button\n"); break;
    default:
        std::printf("I do not know this mouse button. WHAT CRAZY KIND OF MOUSE ARE YOU HAVING?\n");
        break;
    }
}

void onWindowSize(int width, int height) {
    std::printf("Changing window size to: %i/%i\n", width, height);
    windowWidth = width;
    windowHeight = height;
    // A minimised window reports a zero size; its aspect would divide by zero.
    if (width > 0 && height > 0) projectionMatrix = makeProjectionMatrix(width, height);
    glViewport(0, 0, width, height);
    if (game) {
        game->windowWidth = width;
        game->windowHeight = height;
    }
}

void onFocus(bool focused) {
    windowFocused = focused;
    if (!gameStarted || game->posterVisible) return;
    // The pointer is the desktop's while another window has the focus.
    setCursorVisible(!focused);
    // Where the pointer came back in is no turn the player made.
    if (focused) recentreCursor();
}

void startGame() {
    if (game->awaitingFirstStart) {
        game->elapsedTime = 0.0;
        game->ballsLeft = kStartBalls;
        game->awaitingFirstStart = false;
    }
    game->posterVisible = false;
    setCursorVisible(false);
}

bool onGamepad(const GLFWgamepadstate& state) {
    static GLFWgamepadstate before = restingPad();
    const PadIntent intent = padIntent(state, before);
    before = state;
    padWalk = intent.walk;
    padTurn = intent.turn;
    if (intent.start) {
        if (gameStarted)
            onKey(GLFW_KEY_F1, GLFW_PRESS);
        else
            onMouseButton(GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS);
    }
    if (gameStarted && intent.throwOne) onMouseButton(GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS);
    if (intent.throwThree) onMouseButton(GLFW_MOUSE_BUTTON_RIGHT, GLFW_PRESS);
    return intent.quit;
}
