#version 150 compatibility

// Keeps the parts of the picture that are bright enough to glow.

in vec2 uv;

uniform sampler2D bloomTexture;

out vec4 fragColor;

const float threshold = 0.7;

void main() {
    vec3 color = texture2D(bloomTexture, uv).rgb;
    float brightness = max(color.r, max(color.g, color.b));
    fragColor = vec4(color * smoothstep(threshold, 1.0, brightness), 1.0);
}
