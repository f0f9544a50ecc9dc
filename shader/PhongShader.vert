#version 150 compatibility

// Scene models with per-fragment Phong lighting and no normal mapping.
// Lighting is done in view space; the light position is given in world space.

in vec3 vertex;
in vec3 normal;
in vec2 texCoord;
in vec3 tangent;
in vec3 bitangent;

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

void main() {
    vec4 position = vec4(vertex, 1.0);
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
