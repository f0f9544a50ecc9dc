#version 150 compatibility

in vec2 uv;

uniform float useAlpha;
uniform sampler2D texture;

out vec4 fragColor;

void main() {
    // Cut-out parts of alpha-tested textures cast no shadow.
    if (useAlpha > 0.5 && texture2D(texture, uv).a < 0.5)
        discard;
    fragColor = vec4(1.0);
}
