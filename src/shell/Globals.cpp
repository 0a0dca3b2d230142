#include "shell/Globals.h"

#include <algorithm>

Game* game = nullptr;
audio::SoundEngine* soundEngine = nullptr;
int windowWidth = 1024;
int windowHeight = 768;
mat4 projectionMatrix = makeProjectionMatrix(1024, 768);
mat4 viewMatrix{1.0f};
vec3 playerPosition{282.0f, 11.0f, 22.0f};
vec3 viewDirection{0.0f};
float horizontalAngle = 6.2831855f;
float verticalAngle = 0.0f;
std::array<unsigned char, 256> keyState{};
bool gameStarted = false;
bool helpShown = false;

mat4 makeProjectionMatrix(int width, int height) {
    // A minimised window reports 0 x 0; keep the matrix finite until it comes back.
    float aspect = static_cast<float>(std::max(width, 1)) / static_cast<float>(std::max(height, 1));
    return glm::perspective(glm::radians(45.0f), aspect, 0.1f, 210.0f);
}
