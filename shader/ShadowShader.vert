#version 150 compatibility

// Depth from the light. The attributes sit at the same locations as in the
// scene model program, which feeds them.

in vec3 vertex;
in vec3 normal;
in vec2 texCoord;
in vec3 tangent;
in vec3 bitangent;

uniform mat4 ProjViewModel;

out vec2 uv;

void main() {
    uv = texCoord;
    gl_Position = ProjViewModel * vec4(vertex, 1.0);
}
