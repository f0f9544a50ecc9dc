#version 150 compatibility

// Keeps the parts of the picture that are bright enough to glow. The scene copy
// has no mipmaps, so the read takes level 0 without working one out.

in vec2 uv;

uniform sampler2D bloomTexture;

out vec4 fragColor;

const float threshold = 0.7;

void main() {
    vec3 color = textureLod(bloomTexture, uv, 0.0).rgb;
    float brightness = max(color.r, max(color.g, color.b));
    fragColor = vec4(color * smoothstep(threshold, 1.0, brightness), 1.0);
}
