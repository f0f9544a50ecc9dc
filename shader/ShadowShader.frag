#version 150 compatibility

in vec2 uv;

uniform float useAlpha;
uniform sampler2D texture;

out vec4 fragColor;

void main() {
    // Cut-out parts of alpha-tested textures cast no shadow. The cut-out is
    // taken from the full-size picture: working out a level per fragment would
    // cost the software renderer as much as the whole depth pass.
    if (useAlpha > 0.5 && textureLod(texture, uv, 0.0).a < 0.5)
        discard;
    fragColor = vec4(1.0);
}
