#version 150 compatibility

// Scene models with normal and parallax mapping. Lighting is done in view
// space; the light position is given in world space.

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

out vec3 viewPosition;
out vec3 viewNormal;
out vec3 viewTangent;
out vec3 viewBitangent;
out vec3 viewLight;
out vec2 uv;
out vec4 shadowCoord;
out float worldHeight;

void main() {
    vec4 position = vec4(vertex, 1.0);
    vec4 worldPosition = model * position;
    mat3 toView = mat3(ViewModel);
    viewPosition = (ViewModel * position).xyz;
    viewNormal = toView * normal;
    viewTangent = toView * tangent;
    viewBitangent = toView * bitangent;
    viewLight = (view * vec4(lightPosition, 1.0)).xyz;
    uv = texCoord;
    shadowCoord = TexModel * worldPosition;
    worldHeight = worldPosition.y;
    gl_Position = ProjViewModel * position;
}
