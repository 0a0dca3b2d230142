#version 330 core
// Paint balls, lit in eye space.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;

uniform mat4 projectionMatrix;
uniform mat4 viewMatrix;
uniform mat4 modelMatrix;

out vec3 eyePosition;
out vec3 eyeNormal;
out vec3 eyeLight;

// Roughly where the sun stands over the maze.
const vec3 worldLight = vec3(-0.35, 0.85, -0.4);

void main() {
    mat4 modelView = viewMatrix * modelMatrix;
    vec4 p = modelView * vec4(position, 1.0);
    eyePosition = p.xyz;
    eyeNormal = mat3(modelView) * normal;
    eyeLight = mat3(viewMatrix) * normalize(worldLight);
    gl_Position = projectionMatrix * p;
}
