#version 330 core
// Billboards of gBillboardSize facing gCameraPos: blobs larger, droplets shrinking as they fade.
layout(points) in;
layout(triangle_strip, max_vertices = 4) out;

in float Type0[];
in float Age0[];

uniform mat4 gVP;
uniform vec3 gCameraPos;
uniform float gBillboardSize;

out vec2 TexCoord;
out float Fade;

// The lifetimes the update program gives blobs and droplets, in milliseconds.
const float shellLifetime = 150.0;
const float dropletLifetime = 1000.0;

void corner(vec3 centre, vec3 right, vec3 up, vec2 uv) {
    gl_Position = gVP * vec4(centre + right * (uv.x * 2.0 - 1.0) + up * (uv.y * 2.0 - 1.0), 1.0);
    TexCoord = uv;
    EmitVertex();
}

void main() {
    float type = Type0[0];
    // The launcher is not paint: it only marks where the burst started.
    if (type == 0.0) return;
    vec3 centre = gl_in[0].gl_Position.xyz;

    float life = type == 1.0 ? clamp(Age0[0] / shellLifetime, 0.0, 1.0)
                             : clamp(Age0[0] / dropletLifetime, 0.0, 1.0);
    float size = gBillboardSize * (type == 1.0 ? 2.2 : mix(1.5, 0.6, life));
    Fade = type == 1.0 ? 1.0 : 1.0 - life * life;

    vec3 toCamera = gCameraPos - centre;
    float distance = length(toCamera);
    toCamera = distance > 0.0 ? toCamera / distance : vec3(0.0, 0.0, 1.0);
    vec3 worldUp = abs(toCamera.y) > 0.99 ? vec3(1.0, 0.0, 0.0) : vec3(0.0, 1.0, 0.0);
    vec3 right = normalize(cross(worldUp, toCamera)) * size * 0.5;
    vec3 up = normalize(cross(toCamera, right)) * size * 0.5;

    corner(centre, right, up, vec2(0.0, 0.0));
    corner(centre, right, up, vec2(1.0, 0.0));
    corner(centre, right, up, vec2(0.0, 1.0));
    corner(centre, right, up, vec2(1.0, 1.0));
    EndPrimitive();
}
