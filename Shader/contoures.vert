#version 330 core
// The outline: back faces pushed a little outwards along their normals.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;

uniform mat4 PV;
uniform mat4 modelMatrix;

const float thickness = 0.035;

void main() {
    vec4 world = modelMatrix * vec4(position, 1.0);
    vec3 n = mat3(modelMatrix) * normal;
    float len = length(n);
    if (len > 0.0) world.xyz += n / len * thickness;
    gl_Position = PV * world;
}
