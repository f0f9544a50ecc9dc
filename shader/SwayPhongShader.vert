#version 150 compatibility

// Wheat: the scene model program with the blades bent by the wind. The same
// sway is applied in SwayShadowShader.vert so that shadows follow the blades.

in vec3 vertex;
in vec3 normal;
in vec2 texCoord;
in vec3 tangent;
in vec3 bitangent;
// Constant per draw: the sway clock (0.002 more each frame) and the strength.
in float elapsedTime;
in float swayStrength;

uniform mat4 view;
uniform mat4 model;
uniform mat4 ProjViewModel;
uniform mat4 ViewModel;
uniform mat4 TexModel;
uniform mat4 LightView;
uniform vec3 lightPosition;
uniform float fogDensity;

out vec3 viewPosition;
out vec3 viewNormal;
out vec3 viewLight;
out vec2 uv;
out vec4 shadowCoord;
// Distance fog changes slowly across a surface and is worked out per vertex;
// the ground mist has an edge at the mist level and is left to the fragments.
out float fogAmount;
out float viewDistance;
out float worldHeight;

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
    vec4 position = vec4(sway(vertex), 1.0);
    vec4 worldPosition = model * position;
    viewPosition = (ViewModel * position).xyz;
    viewNormal = mat3(ViewModel) * normal;
    viewLight = (view * vec4(lightPosition, 1.0)).xyz;
    uv = texCoord;
    shadowCoord = TexModel * worldPosition;
    viewDistance = length(viewPosition);
    fogAmount = 1.0 - exp(-fogDensity * viewDistance);
    worldHeight = worldPosition.y;
    gl_Position = ProjViewModel * position;
}
