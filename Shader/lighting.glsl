// The sun every lit surface shares, and the haze that fades the distance into the sky.
const vec3 sunDirection = vec3(-0.35, 0.85, -0.4);
const vec3 skyColour = vec3(1.0);

// The surface's colour lit by the sky and, as far as visible, by the sun.
vec3 lightSurface(vec3 albedo, vec3 n, float visibility) {
    float diffuse = max(dot(n, normalize(sunDirection)), 0.0);
    vec3 ambient = mix(vec3(0.30, 0.28, 0.26), vec3(0.44, 0.48, 0.54), 0.5 + 0.5 * n.y);
    vec3 sun = vec3(1.0, 0.95, 0.86) * 0.8 * diffuse;
    return albedo * (ambient * (0.65 + 0.35 * visibility) + sun * visibility);
}

vec3 withHaze(vec3 colour, float viewDepth) {
    float haze = smoothstep(60.0, 205.0, viewDepth) * 0.8;
    return mix(colour, skyColour, haze);
}
