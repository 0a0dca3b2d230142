// State shared by the application shell, the input callbacks and the movement step.
#pragma once

#include <array>

#include "Math.h"

class Game;
namespace audio {
class SoundEngine;
}

extern Game* game;
extern audio::SoundEngine* soundEngine;
extern int windowWidth;
extern int windowHeight;
extern mat4 projectionMatrix;
extern mat4 viewMatrix;
extern vec3 playerPosition;
extern vec3 viewDirection;
extern float horizontalAngle;
extern float verticalAngle;
extern std::array<unsigned char, 256> keyState;  // only codes below 256 ever index it
// The walking keys, by the codes keyState is indexed with (a letter's is its capital).
constexpr int kKeyW = 'W', kKeyS = 'S', kKeyA = 'A', kKeyD = 'D';
extern bool gameStarted;
extern bool helpShown;
// From the settings: the view's turn per pixel (and per stick deflection) as a factor of the
// built-in one, and whether pushing the pointer forward looks down.
extern float pointerSpeed;
extern bool invertVerticalLook;
// The gamepad's sticks this frame (see PadIntent): walking and turning.
extern vec2 padWalk;
extern vec2 padTurn;
// False while another window has the keyboard and the pointer.
extern bool windowFocused;

// The camera projection: the field of view vertically, near 0.1, far 210.
mat4 makeProjectionMatrix(int width, int height);
