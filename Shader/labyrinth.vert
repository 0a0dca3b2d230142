#version 330 core
// Bonus items nobody has hit yet: plain and untextured.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;

uniform mat4 PV;
uniform mat4 modelMatrix;

out vec3 worldNormal;

void main() {
    worldNormal = mat3(modelMatrix) * normal;
    gl_Position = PV * modelMatrix * vec4(position, 1.0);
}
