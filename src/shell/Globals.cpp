#include "shell/Globals.h"

#include <algorithm>

#include "GameRules.h"
#include "platform/Window.h"

Game* game = nullptr;
audio::SoundEngine* soundEngine = nullptr;
int windowWidth = kWindowedWidth;
int windowHeight = kWindowedHeight;
mat4 projectionMatrix = makeProjectionMatrix(kWindowedWidth, kWindowedHeight);
mat4 viewMatrix{1.0f};
vec3 playerPosition = kStartPosition;
vec3 viewDirection{0.0f};
float horizontalAngle = kStartHorizontalAngle;
float verticalAngle = 0.0f;
std::array<unsigned char, 256> keyState{};
bool gameStarted = false;
bool windowFocused = true;
bool helpShown = false;
float pointerSpeed = 1.0f;
bool invertVerticalLook = false;
vec2 padWalk{0.0f};
vec2 padTurn{0.0f};

mat4 makeProjectionMatrix(int width, int height) {
    // A minimised window reports 0 x 0; keep the matrix finite until it comes back.
    float aspect = static_cast<float>(std::max(width, 1)) / static_cast<float>(std::max(height, 1));
    return glm::perspective(glm::radians(kFieldOfViewDegrees), aspect, 0.1f, 210.0f);
}
