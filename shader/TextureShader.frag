#version 150 compatibility

// The loading picture over the whole window.

in vec2 uv;

uniform sampler2D texture;

out vec4 fragColor;

void main() {
    fragColor = texture2D(texture, uv);
}
