#version 330 core
// The full-window quad of posters and crosshair.
layout(location = 0) in vec3 position;

out vec2 texCoord;

void main() {
    texCoord = position.xy * 0.5 + 0.5;
    // Just behind the HUD text, in front of the whole world.
    gl_Position = vec4(position.xy, -0.9999, 1.0);
}
