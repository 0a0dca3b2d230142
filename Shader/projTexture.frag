#version 330 core
// Writes only the painted pixels; every other pixel is left to the shadow-receiving pass.
in vec4 projCoord;
in vec3 worldNormal;
in float viewDepth;
flat in float isWall;

uniform mat4 proj_tex_mat;
uniform sampler2D proj_Map;

out vec4 fragColor;

// The projector stands 4 units in front of the hit point; paint only surfaces close to it.
const float nearestPainted = 1.0;
const float farthestPainted = 5.5;

const vec3 sunDirection = vec3(-0.35, 0.85, -0.4);
const vec3 skyColour = vec3(1.0);

void main() {
    // projCoord.w is the distance along the projector's axis: <= 0 lies behind it.
    float along = projCoord.w;
    if (along < nearestPainted || along > farthestPainted) discard;
    vec2 uv = projCoord.xy / along;
    if (uv.x < 0.0 || uv.x > 1.0 || uv.y < 0.0 || uv.y > 1.0) discard;

    // The gradient of w is the projector's viewing direction.
    vec3 forward = normalize(vec3(proj_tex_mat[0][3], proj_tex_mat[1][3], proj_tex_mat[2][3]));
    vec3 n = normalize(worldNormal);
    float facing = -dot(n, forward);
    // A ground hit's projector may sit under a hill; the terrain has no back side to protect.
    if (isWall < 0.5) facing = abs(facing);
    vec4 texel = texture(proj_Map, uv);
    // Surfaces grazed by the projector would smear the splat into a long streak.
    float coverage = texel.a * smoothstep(0.2, 0.45, facing);
    if (coverage < 0.5) discard;

    float diffuse = max(dot(n, normalize(sunDirection)), 0.0);
    vec3 ambient = mix(vec3(0.30, 0.28, 0.26), vec3(0.44, 0.48, 0.54), 0.5 + 0.5 * n.y);
    vec3 colour = texel.rgb * (ambient + vec3(1.0, 0.95, 0.86) * 0.8 * diffuse);
    float haze = smoothstep(60.0, 205.0, viewDepth) * 0.8;
    fragColor = vec4(mix(colour, skyColour, haze), 1.0);
}
