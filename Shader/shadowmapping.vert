#version 330 core
// Walls and terrain, the surfaces that receive the shadows of balls and hit bonus items.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;

uniform mat4 PV_cam;
uniform mat4 M;
uniform mat4 shadow_tex_mat;

// Same expression as the splat pass, so equal depths really are equal and splats win.
invariant gl_Position;

out vec3 worldPosition;
out vec3 worldNormal;
out vec3 localPosition;
out vec4 shadowCoord;
out float viewDepth;
flat out float isWall;
flat out float wallLength;

void main() {
    vec4 world = M * vec4(position, 1.0);
    gl_Position = PV_cam * world;
    worldPosition = world.xyz;
    // Walls are stretched and sheared onto the terrain: normals need the inverse transpose.
    worldNormal = transpose(inverse(mat3(M))) * normal;
    localPosition = position;
    shadowCoord = shadow_tex_mat * world;
    viewDepth = gl_Position.w;
    // The terrain is the one receiver drawn with the identity; every wall is placed somewhere.
    mat4 offset = M - mat4(1.0);
    float deviation = dot(abs(offset[0]) + abs(offset[1]) + abs(offset[2]) + abs(offset[3]),
                          vec4(1.0));
    isWall = deviation > 1e-4 ? 1.0 : 0.0;
    wallLength = length(M[0].xyz);
}
