#version 150 compatibility

// One direction of a separable Gaussian blur along shift (in texture units).
// Five linearly filtered reads give the weights of a nine-tap kernel.

in vec2 uv;

uniform sampler2D bloomTexture;
uniform vec2 shift;

out vec4 fragColor;

const float offsets[3] = float[](0.0, 1.3846153846, 3.2307692308);
const float weights[3] = float[](0.2270270270, 0.3162162162, 0.0702702703);

void main() {
    vec3 sum = texture2D(bloomTexture, uv).rgb * weights[0];
    for (int i = 1; i < 3; ++i) {
        sum += texture2D(bloomTexture, uv + shift * offsets[i]).rgb * weights[i];
        sum += texture2D(bloomTexture, uv - shift * offsets[i]).rgb * weights[i];
    }
    fragColor = vec4(sum, 1.0);
}
