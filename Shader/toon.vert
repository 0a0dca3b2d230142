#version 330 core
// The finish gate and the bonus items that were hit: banded light over their texture.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;

uniform mat4 projectionMatrix;
uniform mat4 viewMatrix;
uniform mat4 modelMatrix;

out vec3 worldNormal;
out vec2 texCoord;

void main() {
    worldNormal = mat3(modelMatrix) * normal;
    texCoord = uv;
    gl_Position = projectionMatrix * viewMatrix * modelMatrix * vec4(position, 1.0);
}
