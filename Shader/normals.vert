#version 330 core
// The normals view of walls and terrain, and the atom rings.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;

uniform mat4 PV;
uniform mat4 modelMatrix;

out vec3 worldNormal;

void main() {
    // Walls are sheared onto the terrain, so normals need the inverse transpose.
    worldNormal = transpose(inverse(mat3(modelMatrix))) * normal;
    gl_Position = PV * modelMatrix * vec4(position, 1.0);
}
