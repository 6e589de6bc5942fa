#version 120
// Scales from the stone picture, their mortar lines glowing like the veins of a deep-sea
// swimmer that pulse with the cymbals. The creatures are small on screen, so one coarse
// level of the picture serves every pixel.
#ifdef GL_ARB_shader_texture_lod
#extension GL_ARB_shader_texture_lod : enable
#define skinAt(sampler, uv) texture2DLod(sampler, uv, 2.0)
#else
#define skinAt(sampler, uv) texture2D(sampler, uv)
#endif

uniform sampler2D rockTex;

varying vec2 skinUv;
varying vec3 body;
varying vec3 veins;
varying vec3 sheen;

void main() {
    vec3 skin = skinAt(rockTex, skinUv).rgb;
    float scale = clamp((skin.r + skin.g + skin.b - 0.66) * 1.6, 0.0, 1.0);
    gl_FragColor = vec4(mix(veins, body * (0.6 + 0.6 * skin.r), scale) + sheen, 1.0);
}
