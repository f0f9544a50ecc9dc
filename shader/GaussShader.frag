#version 150 compatibility

// One direction of a separable blur along shift (in texture units): the
// 1 4 6 4 1 binomial kernel in three linearly filtered reads, written out
// because the software rasterizer pays for every read and every loop. The
// targets have no mipmaps, so the reads take level 0 without working one out.

in vec2 uv;

uniform sampler2D bloomTexture;
uniform vec2 shift;

out vec4 fragColor;

void main() {
    vec2 side = shift * 1.2;
    vec3 sum = textureLod(bloomTexture, uv, 0.0).rgb * 0.375;
    sum += (textureLod(bloomTexture, uv + side, 0.0).rgb + textureLod(bloomTexture, uv - side, 0.0).rgb) * 0.3125;
    fragColor = vec4(sum, 1.0);
}
