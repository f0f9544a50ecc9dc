#version 150 compatibility

// Full-screen quad of the bloom passes and the loading screen, given in clip
// space.

in vec4 bloomVertex;
in vec2 bloomTexCoord;

out vec2 uv;

void main() {
    uv = bloomTexCoord;
    gl_Position = bloomVertex;
}
