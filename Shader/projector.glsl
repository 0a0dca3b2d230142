// What a splat's projector paints at a point: the splat image's texel, its alpha the coverage,
// faded where the projector grazes the surface (it would smear the splat into a long streak).
// False outside the span it paints, which is the image and PROJECTOR_NEAREST to
// PROJECTOR_FARTHEST along its axis (it stands 4 units in front of the hit point). The terrain
// has no back side: a ground splat's projector may sit under a hill.
bool projectorPaint(mat4 textureMatrix, sampler2D image, vec4 projCoord, vec3 normal,
                    bool onWall, out vec4 paint) {
    paint = vec4(0.0);
    // projCoord.w is the distance along the projector's axis: <= 0 lies behind it.
    float along = projCoord.w;
    if (along < PROJECTOR_NEAREST || along > PROJECTOR_FARTHEST) return false;
    vec2 uv = projCoord.xy / along;
    if (uv.x < 0.0 || uv.x > 1.0 || uv.y < 0.0 || uv.y > 1.0) return false;
    // The gradient of w is the projector's viewing direction.
    vec3 forward = normalize(vec3(textureMatrix[0][3], textureMatrix[1][3], textureMatrix[2][3]));
    float facing = -dot(normalize(normal), forward);
    if (!onWall) facing = abs(facing);
    vec4 texel = texture(image, uv);
    paint = vec4(texel.rgb,
                 texel.a * smoothstep(PROJECTOR_LEAST_FACING, PROJECTOR_FULL_FACING, facing));
    return true;
}
