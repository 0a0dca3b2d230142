#version 330 core
// HUD text, laid out in 800 x 600 units from the bottom left whatever the window size.
layout(location = 0) in vec2 vertexPosition_screenspace;
layout(location = 1) in vec2 vertexUV;

out vec2 uv;

const vec2 layoutSize = vec2(800.0, 600.0);

void main() {
    uv = vertexUV;
    // In front of everything else on screen.
    gl_Position = vec4(vertexPosition_screenspace / layoutSize * 2.0 - 1.0, -1.0, 1.0);
}
