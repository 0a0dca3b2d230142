#version 330 core
in vec3 eyePosition;
in vec3 eyeNormal;
in vec3 eyeLight;

out vec4 fragColor;

const vec3 paint = vec3(0.95, 0.25, 0.55);

void main() {
    vec3 n = normalize(eyeNormal);
    vec3 l = normalize(eyeLight);
    vec3 v = normalize(-eyePosition);
    vec3 h = normalize(l + v);
    float lambert = dot(n, l);
    // Wrapped diffuse: the side away from the sun stays a readable, darker paint.
    float wrapped = lambert * 0.5 + 0.5;
    float specular = lambert > 0.0 ? pow(max(dot(n, h), 0.0), 48.0) : 0.0;
    vec3 colour = paint * (0.22 + 0.85 * wrapped * wrapped) + vec3(0.55) * specular;
    fragColor = vec4(colour, 1.0);
}
