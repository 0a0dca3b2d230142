#version 330 core
in vec3 eyePosition;
in vec3 eyeNormal;
in vec3 eyeLight;

out vec4 fragColor;

const vec3 paint = vec3(0.95, 0.25, 0.55);
const vec3 sky = vec3(0.55, 0.65, 0.8);

void main() {
    vec3 n = normalize(eyeNormal);
    vec3 l = normalize(eyeLight);
    vec3 v = normalize(-eyePosition);
    vec3 h = normalize(l + v);
    float diffuse = max(dot(n, l), 0.0);
    float specular = diffuse > 0.0 ? pow(max(dot(n, h), 0.0), 48.0) : 0.0;
    // A little sky from above keeps the shaded side from going black.
    vec3 ambient = paint * (0.25 + 0.15 * n.y) * sky;
    fragColor = vec4(ambient + paint * diffuse * 0.85 + vec3(0.6) * specular, 1.0);
}
