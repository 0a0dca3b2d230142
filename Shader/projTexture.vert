#version 330 core
// Paint splats: a small projector camera throws the splat image onto walls and terrain.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;

uniform mat4 PV_cam;
uniform mat4 M;
uniform mat4 proj_tex_mat;

// Same expression as the shadow-receiving pass, so it loses to the splat at equal depth.
invariant gl_Position;

out vec4 projCoord;
out vec3 worldNormal;
out float viewDepth;
flat out float isWall;

void main() {
    vec4 world = M * vec4(position, 1.0);
    gl_Position = PV_cam * world;
    projCoord = proj_tex_mat * world;
    worldNormal = transpose(inverse(mat3(M))) * normal;
    viewDepth = gl_Position.w;
    mat4 offset = M - mat4(1.0);
    float deviation = dot(abs(offset[0]) + abs(offset[1]) + abs(offset[2]) + abs(offset[3]),
                          vec4(1.0));
    isWall = deviation > 1e-4 ? 1.0 : 0.0;
}
