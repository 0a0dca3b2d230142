// The gamepad beside keyboard and mouse: any pad GLFW's built-in mappings know. Its state is
// read once a frame; what it asks for is worked out without the window, so it can be tested.
#pragma once

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include "Math.h"

// What one frame's pad state asks for. Walk and turn hold while the sticks are pushed; the
// rest happen once, on the frame a button or trigger goes down.
struct PadIntent {
    vec2 walk{0.0f};  // x right, y forward; length up to 1 for full walking speed
    vec2 turn{0.0f};  // radians per second at pointer speed 1: x to the left, y up
    bool throwOne = false;
    bool throwThree = false;
    bool start = false;  // the first click, then the help poster
    bool quit = false;
};

// A pad with nothing pushed (the triggers rest at -1); what no pad at all reads as.
GLFWgamepadstate restingPad();
PadIntent padIntent(const GLFWgamepadstate& now, const GLFWgamepadstate& before);
// The first joystick GLFW knows as a gamepad, or a resting pad.
GLFWgamepadstate readGamepad();
