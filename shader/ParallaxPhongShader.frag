#version 150 compatibility

in vec3 viewPosition;
in vec3 viewNormal;
in vec3 viewTangent;
in vec3 viewBitangent;
in vec3 viewLight;
in vec2 uv;
in vec4 shadowCoord;
in float fogAmount;
in float viewDistance;
in float worldHeight;

uniform vec4 lightColor;
uniform vec4 ambientColor;
uniform vec4 specularColor;
uniform vec4 fogColor;
uniform vec4 mistColor;
uniform float mistDensity;
uniform float mistLevel;
uniform float ambientMat;
uniform float diffuseMat;
uniform float specularMat;
uniform float specularExp;
uniform float useAlpha;
uniform float activeShadow;
uniform float useNormalMap;
uniform sampler2DShadow ShadowMap;
uniform sampler2D texture;
uniform sampler2D normalmap;

out vec4 fragColor;

// Height below 1.0 in the normal map's alpha moves the lookup; maps without a
// height channel (alpha 1) are not shifted.
const float parallaxScale = 0.03;

// Four hardware-compared taps around the texel; the depth texture's linear
// filter smooths each of them further. The map is the engine's fixed 2048 x 2048
// depth texture and has no mipmaps: its size is a constant here and the taps
// read level 0 directly, because asking the sampler for the size or for a level
// on every fragment costs the software renderer more than the comparisons.
const vec2 shadowTexel = vec2(0.75 / 2048.0);

float shadowFactor(vec3 n, vec3 l) {
    if (activeShadow < 0.5 || shadowCoord.w <= 0.0)
        return 1.0;
    vec3 coord = shadowCoord.xyz / shadowCoord.w;
    if (coord.x < 0.0 || coord.x > 1.0 || coord.y < 0.0 || coord.y > 1.0 || coord.z > 1.0)
        return 1.0;
    float slope = clamp(1.0 - dot(n, l), 0.0, 1.0);
    coord.z -= 0.0005 + 0.003 * slope;
    float lit = textureLod(ShadowMap, vec3(coord.xy + vec2(-shadowTexel.x, -shadowTexel.y), coord.z), 0.0);
    lit += textureLod(ShadowMap, vec3(coord.xy + vec2(shadowTexel.x, -shadowTexel.y), coord.z), 0.0);
    lit += textureLod(ShadowMap, vec3(coord.xy + vec2(-shadowTexel.x, shadowTexel.y), coord.z), 0.0);
    lit += textureLod(ShadowMap, vec3(coord.xy + vec2(shadowTexel.x, shadowTexel.y), coord.z), 0.0);
    return lit * 0.25;
}

void main() {
    vec3 n = normalize(viewNormal);
    vec3 eye = normalize(-viewPosition);
    vec2 lookup = uv;

    if (useNormalMap > 0.5 && dot(viewTangent, viewTangent) > 1e-8) {
        mat3 tangentSpace = mat3(normalize(viewTangent), normalize(viewBitangent), n);
        vec3 eyeTangent = eye * tangentSpace;
        float height = texture2D(normalmap, uv).a;
        lookup = uv + eyeTangent.xy / max(eyeTangent.z, 0.25) * ((height - 1.0) * parallaxScale);
        vec3 bumped = texture2D(normalmap, lookup).rgb * 2.0 - 1.0;
        n = normalize(tangentSpace * bumped);
    }

    vec4 base = texture2D(texture, lookup);
    if (useAlpha > 0.5 && base.a < 0.5)
        discard;
    // A unit with no texture bound samples black: show untextured meshes in grey.
    if (base.r + base.g + base.b == 0.0)
        base = vec4(0.6, 0.6, 0.6, 1.0);

    vec3 l = normalize(viewLight - viewPosition);
    float diffuse = max(dot(n, l), 0.0);
    float specular = 0.0;
    if (diffuse > 0.0)
        specular = pow(max(dot(reflect(-l, n), eye), 0.0), specularExp);
    float lit = diffuse > 0.0 ? shadowFactor(n, l) : 1.0;

    vec3 color = ambientColor.rgb * ambientMat * base.rgb;
    color += lit * (lightColor.rgb * diffuseMat * diffuse * base.rgb + specularColor.rgb * specularMat * specular);

    color = mix(color, fogColor.rgb, fogAmount);
    float mist = 1.0 - exp(-mistDensity * viewDistance * max(mistLevel - worldHeight, 0.0));
    color = mix(color, mistColor.rgb, mist);

    fragColor = vec4(color, base.a);
}
