#version 150 compatibility

// Depth of the wheat from the light, bent exactly as in SwayPhongShader.vert.

in vec3 vertex;
in vec3 normal;
in vec2 texCoord;
in vec3 tangent;
in vec3 bitangent;
// Constant per draw: the sway clock (0.002 more each frame) and the strength.
in float elapsedTime;
in float swayStrength;

uniform mat4 ProjViewModel;

out vec2 uv;

// Bends a vertex along the model's x and z axes by an amount that grows
// with the square of its height above the model's origin (+y is up in the
// wheat's own space). Only model-space values are used: the shadow pass has
// no model matrix. Each model starts its clock at its own random point.
vec3 sway(vec3 v) {
    float height = max(v.y, 0.0);
    float phase = dot(v.xz, vec2(0.35, 0.21));
    float gust = sin(elapsedTime * 26.0 + phase) + 0.35 * sin(elapsedTime * 61.0 + 1.7 * phase);
    return v + vec3(gust, 0.0, 0.45 * gust) * (swayStrength * height * height);
}

void main() {
    uv = texCoord;
    gl_Position = ProjViewModel * vec4(sway(vertex), 1.0);
}
