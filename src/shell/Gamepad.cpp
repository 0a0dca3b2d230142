#include "shell/Gamepad.h"

#include <algorithm>
#include <cmath>

namespace {

// Worn sticks rest a little off centre: inside this they count as centred.
constexpr float kDeadZone = 0.2f;
// A full push of the right stick turns this fast: a half turn in a second.
constexpr float kTurnRate = 3.0f;
constexpr float kTriggerDown = 0.5f;

// The stick's push with the dead zone taken out, so the speed still starts from zero.
vec2 stick(const GLFWgamepadstate& state, int xAxis, int yAxis) {
    // GLFW's y axes point down; ours point forward and up.
    const vec2 raw(state.axes[xAxis], -state.axes[yAxis]);
    const float length = glm::length(raw);
    if (!(length > kDeadZone)) return vec2(0.0f);
    return raw / length * ((std::min(length, 1.0f) - kDeadZone) / (1.0f - kDeadZone));
}

bool pressed(const GLFWgamepadstate& now, const GLFWgamepadstate& before, int button) {
    return now.buttons[button] == GLFW_PRESS && before.buttons[button] != GLFW_PRESS;
}

bool pulled(const GLFWgamepadstate& now, const GLFWgamepadstate& before, int trigger) {
    return now.axes[trigger] > kTriggerDown && !(before.axes[trigger] > kTriggerDown);
}

}  // namespace

GLFWgamepadstate restingPad() {
    GLFWgamepadstate state{};
    state.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = state.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] =
        -1.0f;
    return state;
}

PadIntent padIntent(const GLFWgamepadstate& now, const GLFWgamepadstate& before) {
    PadIntent intent;
    intent.walk = stick(now, GLFW_GAMEPAD_AXIS_LEFT_X, GLFW_GAMEPAD_AXIS_LEFT_Y);
    // Right pushes the view right, which is a negative turn to the left.
    const vec2 turn = stick(now, GLFW_GAMEPAD_AXIS_RIGHT_X, GLFW_GAMEPAD_AXIS_RIGHT_Y);
    intent.turn = vec2(-turn.x, turn.y) * kTurnRate;
    intent.throwOne = pulled(now, before, GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER);
    intent.throwThree = pulled(now, before, GLFW_GAMEPAD_AXIS_LEFT_TRIGGER);
    intent.start = pressed(now, before, GLFW_GAMEPAD_BUTTON_START);
    intent.quit = pressed(now, before, GLFW_GAMEPAD_BUTTON_BACK);
    return intent;
}

GLFWgamepadstate readGamepad() {
    GLFWgamepadstate state;
    for (int pad = GLFW_JOYSTICK_1; pad <= GLFW_JOYSTICK_LAST; ++pad)
        if (glfwJoystickIsGamepad(pad) && glfwGetGamepadState(pad, &state)) return state;
    return restingPad();
}
