#version 120
// The sprite on unit 0 (the blob falloff, or the smoke puff for sparks) in the particle's
// colour. Sprites are small on screen, so one fetch from a half-size level does.
#ifdef GL_ARB_shader_texture_lod
#extension GL_ARB_shader_texture_lod : enable
#define spriteAt(sampler, uv) texture2DLod(sampler, uv, 1.0)
#else
#define spriteAt(sampler, uv) texture2D(sampler, uv)
#endif

uniform sampler2D tex;

varying vec2 corner;
varying vec4 tint;

void main() {
    vec4 s = spriteAt(tex, corner);
    gl_FragColor = vec4(s.rgb * tint.rgb, s.a * tint.a);
}
